#include "error_report.hpp"

#include <charconv>

namespace vornmac::tool {

ReportedError ReportedError::read(parser_context *ctx) {
    return {call_optstring(ctx, "_errormessage"), call_optstring(ctx, "_errortype"),
            call_optstring(ctx, "_errordepth"), call_optstring(ctx, "_errorline"),
            call_optstring(ctx, "_errorcolumn")};
}

std::optional<int> ReportedError::number() const {
    constexpr std::string_view prefix = "ERROR #";
    if (!message.starts_with(prefix)) return std::nullopt;
    int value = 0;
    const char *first = message.data() + prefix.size();
    const char *last = message.data() + message.size();
    if (std::from_chars(first, last, value).ec != std::errc()) return std::nullopt;
    return value;
}

void print_error(std::FILE *out, const std::string &label, const ReportedError &error,
                 bool located) {
    if (located)
        std::fprintf(out, "%s:%s:%s: ", label.c_str(), error.line.c_str(), error.column.c_str());
    else
        std::fprintf(out, "%s: ", label.c_str());
    std::fputs(error.message.c_str(), out);
    if (error.message.empty() || error.message.back() != '\n') std::fputc('\n', out);
}

} // namespace vornmac::tool
