// The exported C operations. Every subsystem reaches the context it belongs to through its
// own reference, so calls for several contexts in turn need no current-context switch. This file is
// the one boundary where control leaves the library: a RecoveryJump thrown by the error reporter is
// caught here, every destructor has run by then, and only then is the host's longjmp made, from a
// frame that owns nothing. No C++ exception ever crosses the C interface.
#include "vornmac/vornmac.h"

#include "error/error_numbers.hpp"
#include "error/location_trace.hpp"
#include "error/recovery_jump.hpp"
#include "func/numbers.hpp"
#include "host/parser_context.hpp"
#include "host/start_up.hpp"
#include "input/input_image.hpp"
#include "platform/memory.hpp"
#include "platform/raw_file.hpp"
#include "stmt/keyword_table.hpp"
#include "vars/option_file.hpp"
#include "vars/variable_file.hpp"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <string>

namespace {
using vornmac::ParserContext;

constexpr int16_t interface_version = 80;
constexpr int16_t finish_closes_log = 2;
constexpr size_t log_name_buffer_size = 200;

ParserContext *context_of(parser_context *ctx) {
    return static_cast<ParserContext *>(ctx);
}

// The context for an operation that changes it: null while that context's trace callback
// runs in the middle of a scan, which such a call would break.
ParserContext *changeable_context(parser_context *ctx) {
    if (ctx == nullptr) return nullptr;
    ParserContext *context = context_of(ctx);
    return context->trace.in_callback() ? nullptr : context;
}

const char *or_empty(const char *text) {
    return text != nullptr ? text : "";
}

// Copies text into a host's buffer of `size` bytes, cut to fit, always terminated.
void copy_cut(const std::string &text, char *buffer, size_t size) {
    if (buffer == nullptr || size == 0) return;
    const size_t length = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

// Runs work on the context; returns the value to jump to the host's mark with, or 0. `left`
// runs when an error's jump or the end of the input cut the work short. Inline: a token
// request is one of these, and the call around it would cost a tenth of a plain token.
template <typename Work, typename Left = void (*)()>
[[gnu::always_inline]] inline int run_guarded(
    Work &&work, Left &&left = [] {}) {
    try {
        work();
    } catch (const vornmac::RecoveryJump &jump) {
        left();
        return jump.value;
    } catch (const vornmac::InputExhausted &) {
        left();
    } catch (const std::bad_alloc &) {
        vornmac::platform::out_of_memory(); // as for every other allocation
    }
    return 0;
}

void jump_to_host(ParserContext &context, int value) {
    if (value != 0 && context.recovery.host_set) std::longjmp(context.recovery.mark, value);
}

// One token request. After a jump the token being delivered stays in the current token,
// and the next request delivers it instead of moving past it. Inline, as run_guarded is.
// The flag is set on the way out of a jump, not cleared after the scan: GCC takes a store
// after the guarded call for one that never runs and moves it out of line, two more jumps
// on every token.
[[gnu::always_inline]] inline int advance_token(ParserContext &context) {
    vornmac::Scanner &scanner = context.scanner;
    const bool shift = !context.delivery_interrupted;
    context.delivery_interrupted = false;
    return run_guarded([&] { scanner.gettoken(shift); },
                       [&] { context.delivery_interrupted = true; });
}
} // namespace

extern "C" parser_context *init_parser(const char *program_name, int16_t argc,
                                       const char *const *argv, const char *program_text,
                                       const char *home_dir, int32_t options_tag,
                                       const char *options_file, int32_t log_tag,
                                       const char *log_file) {
    if (argc < 0) argc = 0;
    std::vector<const char *> vector(static_cast<size_t>(argc) + 1);
    vector[0] = program_name != nullptr   ? program_name
                : program_text != nullptr ? "Batch Editor"
                                          : "Interactive";
    for (int16_t i = 1; i <= argc; ++i)
        vector[static_cast<size_t>(i)] = argv != nullptr ? or_empty(argv[i]) : "";
    vornmac::build_keyword_order();
    vornmac::fill_pow10_table();
    auto *context = new ParserContext(home_dir, argc, std::move(vector));
    context->no_program = program_name == nullptr && program_text == nullptr;
    const vornmac::StartUpArguments arguments{
        program_name, program_text, options_tag == VORNMAC_OPTIONS_TAG ? options_file : nullptr,
        log_tag == VORNMAC_LOG_TAG ? log_file : nullptr};
    bool started = false;
    run_guarded([&] {
        started = vornmac::start_up(*context, arguments);
        if (started && !context->no_program && context->input.top >= 0) context->input.resume();
    });
    if (!started) {
        delete context;
        return nullptr;
    }
    return context;
}

extern "C" void set_jmpmark(parser_context *ctx, jmp_buf mark) {
    if (ctx == nullptr) return;
    ParserContext *context = context_of(ctx);
    std::memcpy(&context->recovery.mark, mark, sizeof(jmp_buf));
    context->recovery.host_set = true;
}

extern "C" void set_modulename(parser_context *ctx, const char *name) {
    if (ctx == nullptr) return;
    std::string &module = context_of(ctx)->module_name;
    module = or_empty(name);
    if (module.size() >= ParserContext::module_name_size)
        module.resize(ParserContext::module_name_size - 1);
}

extern "C" int16_t start_parser_module(parser_context *ctx, char *first_token) {
    if (changeable_context(ctx) == nullptr) return 0;
    ParserContext &context = *context_of(ctx);
    if (first_token != nullptr) first_token[0] = '\0';
    if (context.no_program) return 0;
    context.flags.write_program = context.flags.echo_program;
    context.flags.message = true;
    context.flags.macro_echo = true;
    context.flags.expand_in_quotes = context.vars.optyes("_expand_macros_in_quotes");
    vornmac::InputStack &in = context.input;
    int value = run_guarded([&] {
        in.save();
        in.priming = true;
        context.scanner.skip_white();
        vornmac::write_input_trace(context);
    });
    for (int request = 0; request < 2 && value == 0; ++request)
        value = advance_token(context);
    in.priming = false;
    if (value == 0 && first_token != nullptr)
        std::memcpy(first_token, context.scanner.current_token, vornmac::token_size);
    jump_to_host(context, value);
    return 0;
}

extern "C" void call_gettoken(parser_context *ctx) {
    if (changeable_context(ctx) == nullptr) return;
    ParserContext &context = *context_of(ctx);
    if (context.no_program) return;
    jump_to_host(context, advance_token(context));
}

extern "C" int vornmac_gettokens(parser_context *ctx, char *to, size_t room, int max_tokens,
                                 size_t *written) {
    if (written != nullptr) *written = 0;
    if (changeable_context(ctx) == nullptr || to == nullptr || written == nullptr) return 0;
    ParserContext &context = *context_of(ctx);
    // After a jump the token being delivered is a general request's to deliver.
    if (context.no_program || context.delivery_interrupted ||
        !context.input.fast_paths.token_batches)
        return 0;
    // Plain tokens, and references read in place, are only read and echoed: nothing on the
    // way raises an error.
    return context.scanner.gettokens(to, room, max_tokens, *written);
}

extern "C" char *addcurrtoken(parser_context *ctx) {
    return ctx != nullptr ? context_of(ctx)->scanner.current_token : nullptr;
}

extern "C" char *addnextoken(parser_context *ctx) {
    return ctx != nullptr ? context_of(ctx)->scanner.next_token_text : nullptr;
}

extern "C" char *call_optstring(parser_context *ctx, const char *name) {
    static char empty[1] = "";
    if (ctx == nullptr || name == nullptr) return empty;
    return const_cast<char *>(context_of(ctx)->vars.optstring(name));
}

extern "C" void *call_savemacrochar(parser_context *ctx, uint16_t level, const char *name,
                                    const char *text) {
    if (changeable_context(ctx) == nullptr) return nullptr;
    ParserContext &context = *context_of(ctx);
    void *stored = nullptr;
    const int value =
        run_guarded([&] { stored = context.vars.save(static_cast<int16_t>(level), name, text); });
    jump_to_host(context, value);
    return stored;
}

extern "C" void call_errorproc(parser_context *ctx, int16_t number, va_list args) {
    if (changeable_context(ctx) == nullptr) return;
    ParserContext &context = *context_of(ctx);
    const int value = run_guarded([&] { context.errors.raise_from_host(number, args); });
    jump_to_host(context, value);
}

extern "C" void *get_logfileptr(parser_context *ctx, char *name_buffer) {
    if (ctx == nullptr) return nullptr;
    ParserContext *context = context_of(ctx);
    // The header promises that 200 bytes are enough: a longer name is cut.
    copy_cut(context->log_name, name_buffer, log_name_buffer_size);
    return context->log.get();
}

extern "C" void outmesdbs(parser_context *ctx, int32_t records, int16_t variables, int32_t bytes,
                          const char *target) {
    if (changeable_context(ctx) == nullptr) return;
    ParserContext *context = context_of(ctx);
    if (!context->flags.message || !context->log) return;
    std::string line = std::to_string(static_cast<long>(records)) + " Records Of " +
                       std::to_string(variables) + " Variables";
    if (bytes > 0) line += " And " + std::to_string(bytes) + " Bytes";
    line += " Written To ";
    line += or_empty(target);
    line += "\r\n\r\n";
    context->log->write_string(line.c_str());
}

extern "C" void finish_parser(parser_context *ctx, int32_t mode) {
    vornmac_finish_parser(ctx, mode, nullptr, 0);
}

extern "C" int vornmac_finish_parser(parser_context *ctx, int32_t mode, char *message,
                                     size_t message_size) {
    if (changeable_context(ctx) == nullptr) return 0;
    ParserContext *context = context_of(ctx);
    // Errors while finishing are reported, but the context must still be released.
    context->errors.jumps_allowed = false;
    const int raised_before = context->errors.raised_count();
    run_guarded([&] {
        context->vars.drop_local_levels();
        if (mode == finish_closes_log) vornmac::BufferedFile::forget_log_handle();
        if (!context->no_program) {
            context->input.save();
            if (context->save_variables) vornmac::save_variable_file(*context);
            context->macros.close_slots();
        }
    });
    int failed = 0;
    if (context->errors.raised_count() != raised_before) {
        failed = context->errors.last_number();
        copy_cut(context->vars.optstring("_errormessage"), message, message_size);
    }
    if (context->log) context->log->close();
    delete context;
    return failed;
}

extern "C" int16_t version_number(void) {
    return interface_version;
}

extern "C" void vornmac_set_blank_whitespace(parser_context *ctx, int on) {
    if (ctx != nullptr) context_of(ctx)->flags.blank_whitespace = on != 0;
}

extern "C" void vornmac_set_program_echo(parser_context *ctx, int on) {
    if (ctx != nullptr) context_of(ctx)->flags.echo_program = on != 0;
}

extern "C" const char *vornmac_main_program_file(parser_context *ctx) {
    return ctx != nullptr ? context_of(ctx)->main_program_file.c_str() : "";
}

extern "C" void vornmac_set_variable_save(parser_context *ctx, int on) {
    if (ctx != nullptr) context_of(ctx)->save_variables = on != 0;
}

extern "C" int vornmac_set_log_descriptor(int handle) {
    const int duplicate = vornmac::platform::raw_duplicate(handle);
    if (duplicate < 0) return -1;
    vornmac::BufferedFile::adopt_log_handle(duplicate);
    return 0;
}

extern "C" void vornmac_set_prompt(parser_context *ctx, vornmac_prompt_callback callback,
                                   void *user) {
    if (ctx != nullptr) context_of(ctx)->prompt = {callback, user};
}

extern "C" int vornmac_open_constructs(parser_context *ctx, int index,
                                       vornmac_open_construct *construct) {
    if (ctx == nullptr) return 0;
    const std::vector<vornmac::OpenRecord> &open = context_of(ctx)->open_constructs.at_end();
    if (construct != nullptr && index >= 0 && static_cast<size_t>(index) < open.size()) {
        const vornmac::OpenRecord &record = open[static_cast<size_t>(index)];
        *construct = {record.construct.c_str(),  record.closing.c_str(), record.began.kind,
                      record.began.name.c_str(), record.began.index,     record.began.line,
                      record.began.column};
    }
    return static_cast<int>(open.size());
}

extern "C" void vornmac_report_open_construct(parser_context *ctx, int index) {
    if (changeable_context(ctx) == nullptr) return;
    ParserContext &context = *context_of(ctx);
    const std::vector<vornmac::OpenRecord> &open = context.open_constructs.at_end();
    if (index < 0 || static_cast<size_t>(index) >= open.size()) return;
    const vornmac::OpenRecord record = open[static_cast<size_t>(index)];
    const int value = run_guarded([&] {
        if (record.closing.empty())
            context.errors.raise_for_host(vornmac::error::input_ended_in_text,
                                          {record.construct.c_str()});
        else
            context.errors.raise_for_host(vornmac::error::input_ended_inside,
                                          {record.construct.c_str(), record.closing.c_str()});
    });
    jump_to_host(context, value);
}

extern "C" void vornmac_set_trace(parser_context *ctx, vornmac_trace_callback callback,
                                  void *user) {
    if (ctx != nullptr) context_of(ctx)->trace.set(callback, user);
}

extern "C" int vornmac_write_variable_file(const char *path, int count, const char *const *names,
                                           const char *const *values) {
    if (path == nullptr || *path == '\0' || count < 0 || (count > 0 && names == nullptr)) return -1;
    vornmac::ChunkAllocator chunks;
    vornmac::BlockPool pool{chunks};
    bool refused = false;
    vornmac::VarStore store{chunks, pool,
                            [&](int16_t, std::vector<vornmac::ErrorArg>) { refused = true; }};
    for (int i = 0; i < count; ++i)
        store.save(-1, names[i], values != nullptr ? values[i] : "");
    if (refused) return -1;
    std::vector<vornmac::SavedValue> left_out;
    const std::string bytes = vornmac::write_variable_file(store, {}, &left_out);
    if (!left_out.empty()) return -1;
    return vornmac::replace_variable_file(path, bytes, true).result ==
                   vornmac::ReplaceResult::replaced
               ? 0
               : -1;
}

extern "C" int vornmac_read_variable_file(const char *path, void *user,
                                          vornmac_input_visitor on_input,
                                          vornmac_value_visitor on_value, char *problem,
                                          size_t problem_size) {
    vornmac::VariableFileContents contents;
    const vornmac::LoadOutcome outcome = vornmac::inspect_variable_file(or_empty(path), contents);
    if (outcome.result != vornmac::LoadResult::loaded) {
        copy_cut(outcome.problem, problem, problem_size);
        return -1;
    }
    for (const vornmac::SavedInputRecord &record : contents.input_records) {
        const vornmac::InputSource source = vornmac::source_from_image(record);
        const vornmac_saved_input input{static_cast<char>(source.kind),
                                        source.line,
                                        source.column,
                                        source.level,
                                        source.end_blanks,
                                        source.offset,
                                        source.length,
                                        source.source_name.c_str(),
                                        source.current_name.c_str()};
        if (on_input != nullptr) on_input(user, &input);
    }
    for (const vornmac::SavedValue &value : contents.values)
        if (on_value != nullptr)
            on_value(user, value.level, value.name.c_str(), value.text.c_str());
    return 0;
}
