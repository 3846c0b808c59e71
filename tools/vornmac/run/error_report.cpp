#include "run/error_report.hpp"

#include <charconv>
#include <string_view>

namespace vornmac::tool {

ReportedError ReportedError::read(parser_context *ctx) {
    return {call_optstring(ctx, "_errormessage"), call_optstring(ctx, "_errortype"),
            call_optstring(ctx, "_errordepth")};
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

namespace {
void print_called_from(std::FILE *out, const ErrorPlace &place) {
    std::fprintf(out, "  called from %s:%d:%d\n", place.where.c_str(), place.line, place.column);
}
} // namespace

void print_error(std::FILE *out, const std::string &label, const ReportedError &error,
                 const std::vector<ErrorPlace> &places) {
    if (places.empty())
        std::fprintf(out, "%s: ", label.c_str());
    else
        std::fprintf(out, "%s:%d:%d: ", places[0].where.c_str(), places[0].line, places[0].column);
    // The message keeps the line end of its message-file line, and a name or token at its
    // end brings the white space that followed it in the program: one line end is enough.
    const std::string_view message = error.message;
    const size_t end = message.find_last_not_of(" \t\r\n\v\f");
    const std::string_view shown = end == std::string_view::npos ? "" : message.substr(0, end + 1);
    std::fprintf(out, "%.*s\n", static_cast<int>(shown.size()), shown.data());
    // A recursion repeats one line up to the bound of the input stack: a run of equal lines
    // keeps its first few and its last.
    constexpr size_t kept_first = 3;
    for (size_t i = 1; i < places.size();) {
        size_t run_end = i + 1;
        while (run_end < places.size() && places[run_end] == places[i])
            ++run_end;
        const size_t run = run_end - i;
        const bool folded = run > kept_first + 2;
        for (size_t n = 0; n < (folded ? kept_first : run); ++n)
            print_called_from(out, places[i]);
        if (folded) {
            std::fprintf(out, "  ... %zu more like this\n", run - kept_first - 1);
            print_called_from(out, places[i]);
        }
        i = run_end;
    }
}

} // namespace vornmac::tool
