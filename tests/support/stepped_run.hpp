// A context on a program file or text read step by step below the host's interface, so that
// a test can see where the reading stands after each step: the variables are saved first,
// capitals set as asked, and `step` runs until the input is exhausted or `limit` steps have
// run, each giving a line. The parser is ended after.
#pragma once
#include "error/recovery_jump.hpp"
#include "host/parser_context.hpp"
#include "support/test_home.hpp"
#include "vornmac/vornmac.h"

#include <string>
#include <vector>

namespace vornmac::testing {

template <typename Step>
std::vector<std::string> record_steps(const TestHome &home, const char *file, const char *text,
                                      const Options &variables, bool upper_case, int limit,
                                      Step step) {
    parser_context *ctx = home.create(file, text);
    auto &context = *static_cast<ParserContext *>(ctx);
    for (const auto &[name, value] : variables)
        call_savemacrochar(ctx, 0, name.c_str(), value.c_str());
    char first[200];
    start_parser_module(ctx, first);
    context.flags.upper_case = upper_case;
    std::vector<std::string> steps;
    try {
        for (int i = 0; i < limit && context.input.top >= 0; ++i)
            steps.push_back(step(context, i));
    } catch (const InputExhausted &) {
    }
    finish_parser(ctx, 2);
    return steps;
}

} // namespace vornmac::testing
