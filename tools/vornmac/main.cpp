// vornmac: the command-line host of the vornmac library. It runs macro programs through the
// library's public interface and inspects the library's variable and macro library files.
#include "home.hpp"
#include "host_run.hpp"
#include "lib_command.hpp"
#include "run_options.hpp"
#include "vars_command.hpp"

#include <vornmac/vornmac.h>

#include <cstdio>
#include <span>
#include <string_view>
#include <variant>

namespace {

constexpr const char main_usage[] =
    R"(Usage: vornmac COMMAND [ARG...]

Commands:
  run    run a macro program and write the text that comes out of it
  vars   list the options and saved values of a variable file
  lib    list, print or check a macro library file
  help   show this help

Run "vornmac COMMAND --help" for the options of a command, "vornmac --version" for the
version.
)";

int run(std::span<const char *const> words) {
    using namespace vornmac::tool;
    auto parsed = parse_run_options(words);
    if (const auto *error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "vornmac run: %s\n(see vornmac run --help)\n", error->c_str());
        return 2;
    }
    const RunOptions &options = std::get<RunOptions>(parsed);
    if (options.help) {
        std::fputs(run_usage, stdout);
        return 0;
    }
    const std::optional<Home> home = locate_home(options.home);
    if (!home) {
        std::fputs("vornmac run: no home: use --home DIR or set VORNMAC_HOME or HOME\n", stderr);
        return 2;
    }
    if (const auto error = prepare_home(*home)) {
        std::fprintf(stderr, "vornmac run: %s\n", error->c_str());
        return 2;
    }
    return run_program(options, *home);
}

} // namespace

int main(int argc, char **argv) {
    const std::span<const char *const> words(argv, static_cast<size_t>(argc));
    if (words.size() < 2) {
        std::fputs(main_usage, stderr);
        return 2;
    }
    const std::string_view command = words[1];
    const auto rest = words.subspan(2);
    if (command == "run") return run(rest);
    if (command == "vars") return vornmac::tool::vars_command(rest);
    if (command == "lib") return vornmac::tool::lib_command(rest);
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(main_usage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("vornmac %s (library interface %d)\n", VORNMAC_TOOL_VERSION, version_number());
        return 0;
    }
    std::fprintf(stderr, "vornmac: unknown command %s\n", argv[1]);
    std::fputs(main_usage, stderr);
    return 2;
}
