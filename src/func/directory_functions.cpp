#include "func/directory_functions.hpp"

#include "error/error_numbers.hpp"
#include "func/file_name.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"
#include "platform/directory_search.hpp"
#include "platform/path_class.hpp"

#include <cstring>

namespace vornmac {

namespace {
constexpr const char *dirlist_label = "Dirlist";

// An optional argument of one character: the first character of the token after the ",".
// The token after it is read in any case, as the list goes on there.
char optional_character(ParserContext &context, char absent) {
    if (token_begins_with(context, ')')) return absent;
    advance(context);
    const char first = token_text(context)[0];
    advance(context);
    return first;
}

bool is_strip_flag(char c) {
    return c != '\0' && std::strchr("1tyTY", c) != nullptr;
}
} // namespace

std::string directory_listing(const std::string &pattern, char separator, bool strip) {
    const std::vector<std::string> names = platform::find_matching_names(pattern);
    if (names.empty()) return std::string(1, separator);
    std::string listing;
    for (const std::string &name : names) {
        listing += strip ? name.substr(0, name.find('.')) : name;
        listing += separator;
    }
    return listing;
}

void dirlist_function(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, dirlist_label,
                      ArgumentList::Start::found_token_first, {1});
    const std::string pattern = file_name_from_text(list.collect(TokenForm::cleaned, false));
    const char separator = optional_character(context, '|');
    const bool strip = is_strip_flag(optional_character(context, '\0'));
    if (!list.ended())
        context.errors.raise(error::parenthesis_missing, {dirlist_label, token_text(context)});
    list.deliver(directory_listing(pattern, separator, strip));
}

void findpath_function(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, "%findpath",
                      ArgumentList::Start::found_token_first);
    const std::string name = file_name_from_text(list.collect(TokenForm::cleaned, true));
    const std::string path = context.home_dir + name;
    const PathClass found = classify_path(path.c_str());
    list.deliver(found == PathClass::writable || found == PathClass::readable ? path : name);
}

} // namespace vornmac
