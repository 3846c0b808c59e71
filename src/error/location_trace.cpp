#include "error/location_trace.hpp"

#include "host/parser_context.hpp"
#include "input/scanner.hpp"
#include "platform/local_time.hpp"

#include <ctime>
#include <string>

namespace vornmac {

namespace {
const char *const first_error_prefix = "*** Error in";
const char *const first_input_prefix = "*** Input From ";
const char *const called_from_prefix = "  *** Called From";

std::string blanked(std::string text) {
    for (char &c : text)
        if (is_white(static_cast<unsigned char>(c))) c = ' ';
    return text;
}

bool is_temp_name(const std::string &name) {
    return name.compare(0, 5, "_TEMP") == 0;
}

std::string line_and_column(int line, int column) {
    return format_message("Before Line=%d Column=%d", {line, column});
}

void record_trace_entry(ParserContext &context, const std::string &location,
                        const std::string &position, bool first) {
    ErrorReporter &errors = context.errors;
    ++errors.depth;
    const std::string depth = std::to_string(errors.depth);
    context.vars.save(0, ("_errorfiles" + depth).c_str(), location.c_str());
    context.vars.save(0, ("_errorlocs" + depth).c_str(), position.c_str());
    if (errors.log_switch == 'n' || !context.log) return;
    BufferedFile &log = *context.log;
    if (first) log.write_line_end();
    log.write_string(location.c_str());
    log.write_line_end();
    if (position.empty()) return;
    log.write_string(position.c_str());
    log.write_line_end();
}

// The date and time as ctime writes them: "Sat Dec  5 23:19:13 2026".
std::string ctime_text() {
    const std::tm now = platform::local_time_now();
    char text[32];
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &now);
    return text;
}
} // namespace

void write_error_trace(ParserContext &context) {
    InputStack &in = context.input;
    if (in.top < 0) return;
    const char *prefix = first_error_prefix;
    bool first = true;
    for (;;) {
        in.blank_names();
        std::string position(10, ' ');
        std::string location;
        switch (in.live.kind) {
        case SourceKind::macro:
            location = format_message("%s Macro %s", {prefix, in.current_name().c_str()});
            position = format_message("within %s   ", {in.source_name().c_str()});
            break;
        case SourceKind::text:
            if (!is_temp_name(in.source_name()))
                location = format_message("%s Macro Variable -> %s   ",
                                          {prefix, in.source_name().c_str()});
            else if (in.top == 0)
                location = format_message("%s Editor File   ", {prefix});
            break;
        case SourceKind::file:
            location = format_message("%s Captured Interactive Text    ", {prefix});
            break;
        default:
            location = format_message(
                "%s %s   ", {prefix, in.interactive ? "_terminal_" : in.source_name().c_str()});
            break;
        }
        if (!location.empty()) {
            if (first) {
                const Scanner &scanner = context.scanner;
                context.vars.save(0, "_errorline",
                                  std::to_string(scanner.token_start_line).c_str());
                context.vars.save(0, "_errorcolumn",
                                  std::to_string(scanner.token_start_column).c_str());
                position += line_and_column(scanner.token_start_line, scanner.token_start_column);
            } else {
                position += line_and_column(in.live.line, in.live.column);
            }
            record_trace_entry(context, location, position, first);
            prefix = called_from_prefix;
            first = false;
        }
        if (in.top == 0) return;
        in.pop();
        in.resume(ResumeMode::restore_only);
    }
}

void write_input_trace(ParserContext &context) {
    InputStack &in = context.input;
    if (!context.log) return;
    BufferedFile &log = *context.log;
    log.write_string(std::string(61, '-').c_str());
    log.write_line_end();
    const char *prefix = first_input_prefix;
    for (int16_t i = in.top; i >= 0; --i) {
        const InputSource *source = in.slot(i);
        if (source == nullptr) continue;
        const std::string name = blanked(source->source_name);
        const std::string current = blanked(source->current_name);
        const char *where = i == in.top ? "At" : "Before";
        std::string line;
        switch (source->kind) {
        case SourceKind::macro:
            line = format_message("%s Macro %s within %s", {prefix, current.c_str(), name.c_str()});
            break;
        case SourceKind::text:
            if (!is_temp_name(name))
                line = format_message("%s Macro Variable -> %s", {prefix, name.c_str()});
            else if (i == 0)
                line = format_message("%s Editor File %s Line=%d", {prefix, where, source->line});
            else
                line = format_message("%s Inside %%if or %%do", {prefix});
            break;
        case SourceKind::file:
            line = format_message("%s Captured Interactive Text", {prefix});
            break;
        default:
            line =
                format_message("%s %s   %s Line=%d", {prefix, name.c_str(), where, source->line});
            break;
        }
        log.write_string(line.c_str());
        if (prefix == first_input_prefix) {
            log.write_string(("  " + ctime_text()).c_str());
            prefix = called_from_prefix;
        }
        log.write_line_end();
    }
}

} // namespace vornmac
