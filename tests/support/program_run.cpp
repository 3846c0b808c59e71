#include "support/program_run.hpp"

#include "support/fast_paths.hpp"
#include "vornmac/vornmac.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace vornmac::testing {

namespace {
// Everything the loop changes lives here, outside the frame that setjmp saves.
struct RunState {
    parser_context *ctx = nullptr;
    ProgramRun run;
    bool started = false;
    bool done = false;
    int requests = 0;
    int jump = 0;
    jmp_buf mark;
};

bool is_end_of_input(parser_context *ctx) {
    return std::strncmp(call_optstring(ctx, "_errormessage"), "ERROR #173", 10) == 0;
}

void drive(RunState &state, int max_tokens) {
    switch (setjmp(state.mark)) {
    case 0:
        break;
    case 1:
        state.jump = 1;
        return;
    case 2:
        state.jump = 2;
        return;
    default:
        state.jump = 100;
        return;
    }
    set_jmpmark(state.ctx, state.mark);
    if (!state.started) {
        state.started = true;
        char first[200];
        start_parser_module(state.ctx, first);
        state.run.tokens.emplace_back(first);
    }
    while (state.requests++ < max_tokens) {
        call_gettoken(state.ctx);
        state.run.tokens.emplace_back(addcurrtoken(state.ctx));
    }
    state.done = true;
}
} // namespace

ProgramRun run_program(const TestHome &home, const ProgramRequest &request) {
    auto state = std::make_unique<RunState>();
    const std::string options = home.options_file();
    const std::string log = home.log_file();
    state->ctx = init_parser(request.file, 0, nullptr, request.text, home.dir().c_str(),
                             VORNMAC_OPTIONS_TAG, options.c_str(), VORNMAC_LOG_TAG, log.c_str());
    use_test_fast_paths(state->ctx);
    if (state->ctx == nullptr) return state->run;
    state->run.created = true;
    if (request.trace != nullptr) vornmac_set_trace(state->ctx, request.trace, request.trace_user);
    for (const auto &[name, value] : request.variables)
        call_savemacrochar(state->ctx, 0, name.c_str(), value.c_str());
    while (!state->done) {
        drive(*state, request.max_tokens);
        if (state->done) break;
        state->run.jumps.push_back({state->jump, call_optstring(state->ctx, "_errormessage")});
        if (state->jump == 100) break;
        // At the end of the input the interrupted token is still pending in the current one.
        if (is_end_of_input(state->ctx)) {
            state->run.tokens.emplace_back(addcurrtoken(state->ctx));
            break;
        }
    }
    const int open = vornmac_open_constructs(state->ctx, 0, nullptr);
    for (int i = 0; i < open; ++i) {
        vornmac_open_construct c{};
        vornmac_open_constructs(state->ctx, i, &c);
        state->run.open_at_end.push_back(
            {c.construct, c.closing, c.source_kind, c.source_name, c.line, c.column});
    }
    finish_parser(state->ctx, 2);
    state->run.log = home.read("test.log");
    return state->run;
}

ProgramRun run_text(const TestHome &home, const std::string &text, Options variables) {
    ProgramRequest request;
    request.text = text.c_str();
    request.variables = std::move(variables);
    return run_program(home, request);
}

ProgramRun run_terminal_program(const TestHome &home, const std::string &typed) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return {};
    const bool written =
        write(pipe_ends[1], typed.data(), typed.size()) == static_cast<ssize_t>(typed.size());
    close(pipe_ends[1]);
    const int saved_stdin = dup(0);
    dup2(pipe_ends[0], 0);
    close(pipe_ends[0]);
    clearerr(stdin);
    ProgramRequest request;
    request.file = "";
    ProgramRun run = written ? run_program(home, request) : ProgramRun{};
    dup2(saved_stdin, 0);
    close(saved_stdin);
    clearerr(stdin);
    return run;
}

std::string joined(const std::vector<std::string> &tokens, const char *separator) {
    std::string out;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (i > 0) out += separator;
        out += tokens[i];
    }
    return out;
}

} // namespace vornmac::testing
