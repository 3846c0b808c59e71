// The host loop the benchmarks share: it sets its mark, starts the module and takes tokens
// until the end of the input jumps back to the mark.
#pragma once
#include "vornmac/vornmac.h"

#include <csetjmp>

struct Run {
    parser_context *ctx = nullptr;
    long tokens = 0;
    jmp_buf mark;
};

inline void drive(Run &run) {
    if (setjmp(run.mark) != 0) return; // the end of the input
    set_jmpmark(run.ctx, run.mark);
    char first[200];
    start_parser_module(run.ctx, first);
    for (;;) {
        call_gettoken(run.ctx);
        ++run.tokens;
    }
}
