// Any bytes as a program (the first line is the value of the variable x): the host's
// protocol runs to the end of the input or to a jump with 100, never a crash or a hang.
#include "fuzz_host.hpp"
#include "vornmac/vornmac.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace {
const std::string &fuzz_home() {
    static const std::string home = [] {
        char pattern[] = "/tmp/vornmac_fuzz_XXXXXX";
        std::string dir = mkdtemp(pattern) != nullptr ? std::string(pattern) + "/" : "/tmp/";
        const char *names[] = {"_errorfile", "_errorlog"};
        const char *values[] = {"fuzz.msg", "no"};
        vornmac_write_variable_file((dir + "vorn_opt.dat").c_str(), 2, names, values);
        std::ofstream(dir + "fuzz.msg") << "173 4 end\n2021 1 undefined %s\n32000 0 end\n";
        return dir;
    }();
    return home;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t line_end = input.find('\n');
    const std::string value = input.substr(0, line_end);
    const std::string program = line_end == std::string::npos ? "" : input.substr(line_end + 1);
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
