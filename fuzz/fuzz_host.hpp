// The host side of the fuzz targets that run programs: a scratch home for their files, and
// a host that requests tokens until the input ends, the library gives up (100) or a budget
// of requests runs out, so no input hangs. Like the tool, it takes runs of plain tokens in
// one request where the library offers them (into a buffer of a size that varies, so that
// runs stop for room too), and asks for the others one at a time.
#pragma once
#include "vornmac/vornmac.h"

#include <csetjmp>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fuzz_host {

// A folder of this process for the files each input needs; it lies in $TMPDIR when that
// is set (fuzz/run points it at a folder in memory), else in memory when the system has
// it: every run saves its variable file with a sync, which on a disk would cost more than
// everything else a target does. It is removed when the process ends.
class ScratchHome {
  public:
    ScratchHome() {
        const char *tmpdir = std::getenv("TMPDIR");
        std::string pattern = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir
                              : access("/dev/shm", W_OK) == 0      ? "/dev/shm"
                                                                   : "/tmp";
        pattern += "/vornmac_fuzz_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        dir_ = pattern + "/";
    }
    ~ScratchHome() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScratchHome(const ScratchHome &) = delete;
    ScratchHome &operator=(const ScratchHome &) = delete;

    const std::string &dir() const { return dir_; } // ends in "/"

  private:
    std::string dir_;
};

inline const std::string &scratch_home() {
    static const ScratchHome home;
    return home.dir();
}

struct Run {
    parser_context *ctx = nullptr;
    int requests = 0;
    bool started = false;
    jmp_buf mark;
    char batch[1024];
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
    while (++run.requests < 5000) {
        size_t written = 0;
        const size_t room = 200 + static_cast<size_t>(run.requests) * 37 % (sizeof run.batch - 199);
        if (vornmac_gettokens(run.ctx, run.batch, room, 1 + run.requests % 8, &written) == 0)
            call_gettoken(run.ctx);
    }
    return 0;
}

// The error a round ended with, and where.
inline std::string error_seen(parser_context *ctx) {
    return std::string(call_optstring(ctx, "_errormessage")) + "@" +
           call_optstring(ctx, "_errorline") + ":" + call_optstring(ctx, "_errorcolumn");
}

// Statement errors jump with 1; the host goes on until the input ends (error type 4). A
// message file that is itself fuzzed may give the end of the input another type: the end
// is then seen as the same error raised again by the first request of a round, which is
// what every request after the end gets.
inline void run_to_end(parser_context *ctx) {
    auto run = std::make_unique<Run>();
    run->ctx = ctx;
    std::string last_error;
    for (int rounds = 0; rounds < 200; ++rounds) {
        const int requests_before = run->requests;
        if (drive(*run) != 1) break;
        if (std::string(call_optstring(ctx, "_errortype")) == "4") break;
        std::string error = error_seen(ctx);
        if (run->requests == requests_before + 1 && error == last_error) break;
        last_error = std::move(error);
    }
}

} // namespace fuzz_host
