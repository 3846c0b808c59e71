#include "error_report.hpp"

#include <charconv>
#include <string_view>

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
    // The message keeps the line end of its message-file line, and a name or token at its
    // end brings the white space that followed it in the program: one line end is enough.
    const std::string_view message = error.message;
    const size_t end = message.find_last_not_of(" \t\r\n\v\f");
    const std::string_view shown = end == std::string_view::npos ? "" : message.substr(0, end + 1);
    std::fprintf(out, "%.*s\n", static_cast<int>(shown.size()), shown.data());
}

} // namespace vornmac::tool
