// Any bytes as a program (the first line is the value of the variable x): the host's
// protocol runs to the end of the input or to a jump with 100, never a crash or a hang.
// Each input starts from the same home: the installed message file, a fresh variable file
// and an empty macro library that is both the definition file and slot 1, so that the
// program's own %macro definitions can be called.
#include "fuzz_host.hpp"
#include "vornmac/vornmac.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::string &fuzz_home() {
    static const std::string home = [] {
        const std::string dir = fuzz_host::scratch_home();
        std::filesystem::copy_file(VORNMAC_MESSAGE_FILE, dir + "vornmac.msg",
                                   std::filesystem::copy_options::overwrite_existing);
        return dir;
    }();
    return home;
}

void reset_home() {
    const std::string &home = fuzz_home();
    const std::string library = home + "fuzz.mac";
    static const char empty_library[16] = {'\x68', '\xe8', '\xd9', '\xfe', 0,  0, 0, 0,
                                           0,      0,      0,      0,      16, 0, 0, 0};
    std::ofstream(library, std::ios::binary | std::ios::trunc)
        .write(empty_library, sizeof empty_library);
    const char *names[] = {"_errorfile", "_errorlog", "_macromacro", "_macro1"};
    const char *values[] = {"vornmac.msg", "yes", library.c_str(), library.c_str()};
    vornmac_write_variable_file((home + "vorn_opt.dat").c_str(), 4, names, values);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t line_end = input.find('\n');
    const std::string value = input.substr(0, line_end);
    const std::string program = line_end == std::string::npos ? "" : input.substr(line_end + 1);
    reset_home();
    const std::string &home = fuzz_home();
    const std::string options = home + "vorn_opt.dat";
    parser_context *ctx =
        init_parser(nullptr, 0, nullptr, program.c_str(), home.c_str(), VORNMAC_OPTIONS_TAG,
                    options.c_str(), VORNMAC_LOG_TAG, "/dev/null");
    if (ctx == nullptr) return 0;
    call_savemacrochar(ctx, 0, "x", value.c_str());
    fuzz_host::run_to_end(ctx);
    finish_parser(ctx, 2);
    return 0;
}
