// The exported C operations. Each one that works on a context first makes it the current
// context; no C++ exception ever leaves this file.
#include "vornmac/vornmac.h"

#include "host/parser_context.hpp"
#include "func/numbers.hpp"
#include "host/start_up.hpp"
#include "stmt/keyword_table.hpp"

#include <cstring>
#include <string>

namespace {
using vornmac::ParserContext;

constexpr int16_t interface_version = 80;
constexpr int16_t finish_closes_log = 2;

ParserContext *current_context = nullptr;

ParserContext *make_current(parser_context *ctx) {
    current_context = static_cast<ParserContext *>(ctx);
    return current_context;
}

ParserContext *context_of(parser_context *ctx) {
    return static_cast<ParserContext *>(ctx);
}

const char *or_empty(const char *text) {
    return text != nullptr ? text : "";
}
} // namespace

extern "C" parser_context *init_parser(const char *program_name, int16_t argc,
                                       const char *const *argv, const char *program_text,
                                       const char *home_dir, int32_t options_tag,
                                       const char *options_file, int32_t log_tag,
                                       const char *log_file) {
    (void)options_tag;
    (void)options_file;
    if (argc < 0) argc = 0;
    std::vector<const char *> vector(static_cast<size_t>(argc) + 1);
    vector[0] = program_name != nullptr   ? program_name
                : program_text != nullptr ? "Batch Editor"
                                          : "Interactive";
    for (int16_t i = 1; i <= argc; ++i)
        vector[static_cast<size_t>(i)] = argv != nullptr ? or_empty(argv[i]) : "";
    vornmac::build_keyword_order();
    vornmac::fill_pow10_table();
    try {
        auto *context = new ParserContext(home_dir, argc, std::move(vector));
        make_current(context);
        context->no_program = program_name == nullptr && program_text == nullptr;
        vornmac::start_up(*context, log_tag == VORNMAC_LOG_TAG ? log_file : nullptr);
        return context;
    } catch (...) {
        return nullptr;
    }
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

extern "C" char *call_optstring(parser_context *ctx, const char *name) {
    static char empty[1] = "";
    if (ctx == nullptr || name == nullptr) return empty;
    return const_cast<char *>(make_current(ctx)->vars.optstring(name));
}

extern "C" void *call_savemacrochar(parser_context *ctx, uint16_t level, const char *name,
                                    const char *text) {
    if (ctx == nullptr) return nullptr;
    return make_current(ctx)->vars.save(static_cast<int16_t>(level), name, text);
}

extern "C" void *get_logfileptr(parser_context *ctx, char *name_buffer) {
    if (ctx == nullptr) return nullptr;
    ParserContext *context = context_of(ctx);
    if (name_buffer != nullptr) std::strcpy(name_buffer, context->log_name.c_str());
    return context->log.get();
}

extern "C" void outmesdbs(parser_context *ctx, int32_t records, int16_t variables, int32_t bytes,
                          const char *target) {
    if (ctx == nullptr) return;
    ParserContext *context = make_current(ctx);
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
    if (ctx == nullptr) return;
    ParserContext *context = make_current(ctx);
    context->vars.drop_local_levels();
    if (mode == finish_closes_log) vornmac::BufferedFile::forget_log_handle();
    if (context->log) context->log->close();
    delete context;
}

extern "C" int16_t version_number(void) {
    return interface_version;
}
