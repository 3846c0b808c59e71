// Any bytes as a program (the first line is the value of the variable x): the host's
// protocol runs to the end of the input or to a jump with 100, never a crash or a hang.
#include "vornmac/vornmac.h"

#include <csetjmp>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {
struct Run {
    parser_context *ctx = nullptr;
    int requests = 0;
    bool started = false;
    jmp_buf mark;
};

// Returns the jump value, or 0 when the request budget ran out.
int drive(Run &run) {
    switch (setjmp(run.mark)) {
    case 0:
        break;
    case 100:
        return 100;
    default:
        return 1;
    }
    set_jmpmark(run.ctx, run.mark);
    if (!run.started) {
        run.started = true;
        char first[200];
        start_parser_module(run.ctx, first);
    }
    while (++run.requests < 5000) call_gettoken(run.ctx);
    return 0;
}

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
    auto run = std::make_unique<Run>();
    run->ctx = init_parser(nullptr, 0, nullptr, program.c_str(), home.c_str(),
                           VORNMAC_OPTIONS_TAG, options.c_str(), VORNMAC_LOG_TAG, "/dev/null");
    if (run->ctx == nullptr) return 0;
    call_savemacrochar(run->ctx, 0, "x", value.c_str());
    // Statement errors jump with 1; the host goes on until the input ends.
    for (int rounds = 0; rounds < 200 && drive(*run) == 1; ++rounds) {
        if (std::string(call_optstring(run->ctx, "_errortype")) == "4") break;
    }
    finish_parser(run->ctx, 2);
    return 0;
}
