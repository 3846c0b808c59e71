#include "platform/process.hpp"

#include "platform/raw_file.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace vornmac::platform {

namespace {
constexpr const char *shell = "/bin/sh";
// Runs its arguments in the background and ends at once: the command it leaves behind
// is adopted by init, which reaps it, so the library has only this shell to wait for.
constexpr const char *background_script = "\"$@\" &";

bool is_executable_file(const std::string &path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The path the program is started from, found the way execvp finds it; empty when there
// is none, so that a missing program is never handed to a shell that would complain.
std::string find_program(const std::string &name) {
    if (name.find('/') != std::string::npos) return is_executable_file(name) ? name : "";
    const char *search = std::getenv("PATH");
    const std::string directories = search != nullptr && *search != '\0' ? search : "/bin:/usr/bin";
    size_t start = 0;
    while (start <= directories.size()) {
        size_t end = directories.find(':', start);
        if (end == std::string::npos) end = directories.size();
        const std::string directory = directories.substr(start, end - start);
        const std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        if (is_executable_file(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

// As system(3) does: while the library waits for a command, Ctrl-C and Ctrl-\ are the
// command's alone; the process goes on when the command ends.
class KeyboardSignalsIgnored {
  public:
    KeyboardSignalsIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGINT, &ignore, &interrupt_);
        ::sigaction(SIGQUIT, &ignore, &quit_);
    }
    ~KeyboardSignalsIgnored() {
        ::sigaction(SIGINT, &interrupt_, nullptr);
        ::sigaction(SIGQUIT, &quit_, nullptr);
    }
    KeyboardSignalsIgnored(const KeyboardSignalsIgnored &) = delete;
    KeyboardSignalsIgnored &operator=(const KeyboardSignalsIgnored &) = delete;

    // Whether the process ignored the keyboard's signals before: a command then ignores
    // them too, as a background job of a script or a command under nohup should.
    bool were_ignored() const { return interrupt_.sa_handler == SIG_IGN; }

  private:
    struct sigaction interrupt_ {};
    struct sigaction quit_ {};
};

// A command starts with the default action for the signals this process may ignore: the
// keyboard's (ignored while it is waited for, unless they were ignored before) and those the
// tool ignores for its writes (SIGPIPE, SIGXFSZ), so that `cmd | head` and `ulimit -f` end
// it as they end any command.
class SpawnAttributes {
  public:
    explicit SpawnAttributes(const KeyboardSignalsIgnored &keyboard) {
        ::posix_spawnattr_init(&attributes_);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGXFSZ);
        if (!keyboard.were_ignored()) {
            sigaddset(&defaults, SIGINT);
            sigaddset(&defaults, SIGQUIT);
        }
        ::posix_spawnattr_setsigdefault(&attributes_, &defaults);
        ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes &) = delete;
    SpawnAttributes &operator=(const SpawnAttributes &) = delete;
    const posix_spawnattr_t *get() const { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
};

void spawn_and_wait(const std::string &program, const std::vector<std::string> &arguments) {
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    // Console output of the program so far comes before the child's on standard output.
    std::fflush(stdout);
    const KeyboardSignalsIgnored for_the_command;
    const SpawnAttributes attributes(for_the_command);
    pid_t child = 0;
    if (::posix_spawn(&child, program.c_str(), nullptr, attributes.get(), argv.data(), environ) !=
        0)
        return;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The command may have written any file, a program file being read among them.
    note_file_change();
}
} // namespace

std::vector<std::string> command_words(const std::string &command_line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    bool quoted = false;
    for (const char c : command_line) {
        if (c == '"') {
            quoted = !quoted;
            in_word = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

void run_command(const std::string &command_line, Interpreter interpreter, Waiting waiting) {
    std::string program = shell;
    std::vector<std::string> arguments;
    if (interpreter == Interpreter::shell) {
        arguments = {"sh", "-c", command_line};
    } else {
        arguments = command_words(command_line);
        if (arguments.empty()) return;
        program = find_program(arguments.front());
        if (program.empty()) return;
    }
    if (waiting == Waiting::yes) {
        spawn_and_wait(program, arguments);
        return;
    }
    std::vector<std::string> wrapped = {"sh", "-c", background_script, "sh", program};
    wrapped.insert(wrapped.end(), arguments.begin() + 1, arguments.end());
    spawn_and_wait(shell, wrapped);
}

} // namespace vornmac::platform
