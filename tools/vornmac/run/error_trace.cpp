#include "run/error_trace.hpp"

#include "run/source_label.hpp"

#include <charconv>
#include <cstdio>
#include <string_view>

namespace vornmac::tool {

namespace {
constexpr std::string_view first_entry_prefix = "*** Error in ";
constexpr std::string_view later_entry_prefix = "  *** Called From ";

int as_number(const std::string &text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string entry_variable(const char *name, int number) {
    return name + std::to_string(number);
}

// The entry's source, read from its location line; the last entry is the bottom source's.
std::string where_of(const SourceNames &names, std::string_view location, std::string_view position,
                     bool bottom) {
    for (std::string_view prefix : {first_entry_prefix, later_entry_prefix})
        if (location.starts_with(prefix)) location.remove_prefix(prefix.size());
    // A macro's position line names the library file it came from.
    constexpr std::string_view macro = "Macro ";
    if (position.starts_with("within ") && location.starts_with(macro))
        return names.label(SourceKind::macro, location.substr(macro.size()), bottom);
    constexpr std::string_view variable = "Macro Variable -> ";
    if (location.starts_with(variable))
        return names.label(SourceKind::variable, location.substr(variable.size()), bottom);
    if (location.starts_with("Editor File"))
        return names.label(SourceKind::program_text, "", bottom);
    // The terminal is named "_terminal_" here, "" everywhere else.
    if (location.starts_with("_terminal_ ")) return names.label(SourceKind::file, "", bottom);
    return names.label(SourceKind::file, location, bottom);
}

ErrorPlace place_of(const SourceNames &names, const std::string &location,
                    const std::string &position, bool bottom) {
    ErrorPlace place{where_of(names, location, position, bottom)};
    // Searched from the end: the library file name before it may hold anything.
    const size_t at = position.rfind("Before Line=");
    if (at != std::string::npos)
        std::sscanf(position.c_str() + at, "Before Line=%d Column=%d", &place.line, &place.column);
    place.line = shown_position(place.line);
    place.column = shown_position(place.column);
    return place;
}
} // namespace

std::vector<ErrorPlace> read_error_places(parser_context *ctx, const SourceNames &names,
                                          const std::string &depth_before,
                                          const std::string &depth_now) {
    const int before = as_number(depth_before);
    const int last = as_number(depth_now);
    if (last <= before) return {};
    // Only the last error's entries count, should earlier ones have come without a report.
    int first = last;
    while (first > before + 1 &&
           !std::string_view(call_optstring(ctx, entry_variable("_errorfiles", first).c_str()))
                .starts_with(first_entry_prefix))
        --first;
    std::vector<ErrorPlace> places;
    for (int n = first; n <= last; ++n)
        places.push_back(
            place_of(names, call_optstring(ctx, entry_variable("_errorfiles", n).c_str()),
                     call_optstring(ctx, entry_variable("_errorlocs", n).c_str()), n == last));
    return places;
}

} // namespace vornmac::tool
