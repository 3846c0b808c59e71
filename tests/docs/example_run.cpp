// One process per example, started with fork and exec so that its standard streams can
// be files of the scratch folder. A run that does not end within the time limit is
// killed and reported, so that a hanging example fails instead of stalling the suite.
#include "example_run.hpp"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vornmac::docs {

namespace fs = std::filesystem;

namespace {

constexpr auto time_limit = std::chrono::seconds(30);

std::string read_file(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path &path, const std::string &text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Removes the scratch folder whatever way the run ends.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "vornmac-example-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    const fs::path &path() const { return path_; }

  private:
    fs::path path_;
};

std::vector<std::string> command_line(const std::string &tool, const fs::path &home,
                                      const ManualExample &example) {
    if (example.script) return {"/bin/sh", "example.sh"};
    std::vector<std::string> words = {tool, "run", "--home", home.string(), "--no-echo"};
    words.insert(words.end(), example.options.begin(), example.options.end());
    words.push_back("example.vm");
    words.insert(words.end(), example.arguments.begin(), example.arguments.end());
    return words;
}

// In the child: never returns.
[[noreturn]] void start_tool(const fs::path &work, const fs::path &scratch,
                             const std::vector<std::string> &words, const ManualExample &example,
                             const std::string &path) {
    if (chdir(work.c_str()) != 0) _exit(126);
    const int in = open((scratch / "stdin").c_str(), O_RDONLY);
    const int out = open((scratch / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open((scratch / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    unsetenv("VORNMAC_HOME");
    if (example.script) {
        setenv("VORNMAC_HOME", (scratch / "home").c_str(), 1);
        setenv("PATH", path.c_str(), 1);
    }
    for (const std::string &assignment : example.environment)
        putenv(const_cast<char *>(assignment.c_str()));
    std::vector<char *> argv;
    for (const std::string &word : words)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Waits for the child; empty when it ended in time, else why not.
std::string wait_for(pid_t child) {
    const auto deadline = std::chrono::steady_clock::now() + time_limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return "the run did not end within 30 seconds";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFSIGNALED(status))
        return "the tool was killed by signal " + std::to_string(WTERMSIG(status));
    if (WIFEXITED(status) && WEXITSTATUS(status) >= 126) return "the tool could not be started";
    return {};
}

} // namespace

std::string shown_line_ends(const std::string &text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) shown += text[i];
    return shown;
}

std::string shown_log(const std::string &log) {
    std::istringstream in(shown_line_ends(log));
    std::string shown;
    bool in_start_trace = false;
    for (std::string line; std::getline(in, line);) {
        if (line == std::string(61, '-')) {
            in_start_trace = true;
            continue;
        }
        if (in_start_trace &&
            (line.starts_with("*** Input From ") || line.starts_with("  *** Called From")))
            continue;
        in_start_trace = false;
        shown += line + '\n';
    }
    return shown;
}

ExampleResult run_example(const std::string &tool, const ManualExample &example) {
    ExampleResult result;
    ScratchFolder scratch;
    if (scratch.path().empty()) {
        result.failure = "no scratch folder could be made";
        return result;
    }
    const fs::path work = scratch.path() / "work";
    const fs::path home = scratch.path() / "home";
    fs::create_directories(work);
    for (const auto &[name, text] : example.files)
        write_file(work / name, text);
    write_file(work / (example.script ? "example.sh" : "example.vm"), example.program);
    write_file(scratch.path() / "stdin", example.standard_input);
    // A script finds the tool as `vornmac`, before anything else on the PATH.
    const fs::path bin = scratch.path() / "bin";
    fs::create_directories(bin);
    std::error_code linked;
    fs::create_symlink(fs::absolute(tool), bin / "vornmac", linked);
    const char *inherited = std::getenv("PATH");
    const std::string path =
        bin.string() + ":" + (inherited != nullptr ? inherited : "/usr/bin:/bin");

    const std::vector<std::string> words = command_line(tool, home, example);
    const pid_t child = fork();
    if (child < 0) {
        result.failure = "fork failed";
        return result;
    }
    if (child == 0) start_tool(work, scratch.path(), words, example, path);
    result.failure = wait_for(child);
    result.output = read_file(scratch.path() / "stdout") + read_file(scratch.path() / "stderr");
    for (const auto &[name, text] : example.expected_files) {
        const fs::path path = work / name;
        result.files[name] =
            fs::exists(path) ? shown_line_ends(read_file(path)) : "(no such file)\n";
    }
    if (example.checks_log) result.log = shown_log(read_file(home / "vorntool.log"));
    return result;
}

} // namespace vornmac::docs
