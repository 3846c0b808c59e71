// The host side of the fuzz targets that run programs: a scratch home for their files, and
// a host that requests tokens until the input ends, the library gives up (100) or a budget
// of requests runs out, so no input hangs.
#pragma once
#include "vornmac/vornmac.h"

#include <csetjmp>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace fuzz_host {

// A folder of this process for the files each input needs, ending in "/". It lies in
// $TMPDIR when that is set (fuzz/run points it at a folder it removes afterwards), else in
// memory when the system has it: every run saves its variable file with a sync, which on
// a disk would cost more than everything else a target does.
inline const std::string &scratch_home() {
    static const std::string home = [] {
        const char *tmpdir = std::getenv("TMPDIR");
        std::string pattern = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir
                              : access("/dev/shm", W_OK) == 0      ? "/dev/shm"
                                                                   : "/tmp";
        pattern += "/vornmac_fuzz_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern + "/";
    }();
    return home;
}

struct Run {
    parser_context *ctx = nullptr;
    int requests = 0;
    bool started = false;
    jmp_buf mark;
};

// Returns the jump value, or 0 when the request budget ran out.
inline int drive(Run &run) {
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
    while (++run.requests < 5000)
        call_gettoken(run.ctx);
    return 0;
}

// Statement errors jump with 1; the host goes on until the input ends (error type 4).
inline void run_to_end(parser_context *ctx) {
    auto run = std::make_unique<Run>();
    run->ctx = ctx;
    for (int rounds = 0; rounds < 200 && drive(*run) == 1; ++rounds) {
        if (std::string(call_optstring(ctx, "_errortype")) == "4") break;
    }
}

} // namespace fuzz_host
