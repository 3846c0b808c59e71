#include "vars_command.hpp"

#include "text_escape.hpp"
#include "variable_listing.hpp"
#include "vars_edit.hpp"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vornmac::tool {

const char vars_usage[] =
    R"(Usage: vornmac vars FILE
       vornmac vars FILE NAME
       vornmac vars FILE (--set NAME=VALUE | --unset NAME)...

Lists a variable file (such as vorn_opt.dat in the vornmac home): its version, the input
records saved with it, and every saved value with its level, one per line. Texts are shown
in double quotes, with control characters, quotes and backslashes escaped.

With NAME, prints that saved value's text as it stands, followed by a line feed.

With --set and --unset, changes saved values in place, in the order given: --set gives
NAME the text VALUE (adding it when the file has none), --unset removes NAME. The new file
replaces the old one in one step; on any failure the old file is left as it was. The
input records saved by the last run are not kept.

Options:
  --set NAME=VALUE   set a saved value (repeatable)
  --unset NAME       remove a saved value (repeatable)
  -h, --help         show this help
)";

namespace {

constexpr int variable_file_version = 2;

void print(const Listing &file) {
    std::printf("version %d\n", variable_file_version);
    std::printf("input records %zu\n", file.inputs.size());
    for (size_t i = 0; i < file.inputs.size(); ++i) {
        const vornmac_saved_input &in = file.inputs[i].fields;
        std::printf("  %zu kind %s source %s current %s line %d column %d offset %d length %d "
                    "level %d end-blanks %d\n",
                    i, quoted(std::string(1, in.kind)).c_str(),
                    quoted(file.inputs[i].source_name).c_str(),
                    quoted(file.inputs[i].current_name).c_str(), in.line, in.column, in.offset,
                    in.length, in.level, in.end_blanks);
    }
    std::printf("values %zu\n", file.values.size());
    for (const SavedValue &value : file.values)
        std::printf("  %d %s = %s\n", value.level, value.name.c_str(), quoted(value.text).c_str());
}

int print_value(const char *path, const Listing &file, const std::string &name) {
    const auto found = std::ranges::find(file.values, name, &SavedValue::name);
    if (found == file.values.end()) {
        std::fprintf(stderr, "vornmac vars: %s: no saved value %s\n", path, name.c_str());
        return 1;
    }
    std::fwrite(found->text.data(), 1, found->text.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
}

// What the words after FILE ask for: nothing (list), one NAME, or edits.
struct VarsRequest {
    std::optional<std::string> name;
    std::vector<VarsEdit> edits;
};

// The request, or a message about the command line. Option values may be attached
// ("--set=NAME=VALUE") or follow as the next word.
std::variant<VarsRequest, std::string> parse_request(std::span<const char *const> words) {
    VarsRequest request;
    if (words.size() == 1 && !std::string_view(words[0]).starts_with("-")) {
        request.name = words[0];
        return request;
    }
    for (size_t i = 0; i < words.size(); ++i) {
        std::string_view word = words[i];
        std::string_view option = word.substr(0, word.find('='));
        if (option != "--set" && option != "--unset")
            return "unexpected " + std::string(word) + ": give NAME alone, or --set and --unset";
        std::string value;
        if (option.size() < word.size())
            value = word.substr(option.size() + 1);
        else if (i + 1 < words.size())
            value = words[++i];
        else
            return std::string(option) + " needs a value";
        if (option == "--unset") {
            request.edits.push_back({false, value, ""});
            continue;
        }
        const size_t equals = value.find('=');
        if (equals == std::string::npos) return "--set needs NAME=VALUE, got \"" + value + "\"";
        request.edits.push_back({true, value.substr(0, equals), value.substr(equals + 1)});
    }
    return request;
}

} // namespace

int vars_command(std::span<const char *const> words) {
    if (!words.empty() &&
        (std::string_view(words[0]) == "-h" || std::string_view(words[0]) == "--help")) {
        std::fputs(vars_usage, stdout);
        return 0;
    }
    const auto request =
        words.empty() ? std::variant<VarsRequest, std::string>(std::string("name a variable file"))
                      : parse_request(words.subspan(1));
    if (const auto *error = std::get_if<std::string>(&request)) {
        std::fprintf(stderr, "vornmac vars: %s\n", error->c_str());
        std::fputs(vars_usage, stderr);
        return 2;
    }
    const VarsRequest &asked = std::get<VarsRequest>(request);
    const char *path = words[0];
    auto read = read_listing(path);
    if (const auto *problem = std::get_if<std::string>(&read)) {
        std::fprintf(stderr, "vornmac vars: %s: %s\n", path, problem->c_str());
        return 1;
    }
    Listing &listing = std::get<Listing>(read);
    if (asked.name) return print_value(path, listing, *asked.name);
    if (asked.edits.empty()) {
        print(listing);
        return 0;
    }
    if (const auto problem = edit_variable_file(path, std::move(listing), asked.edits)) {
        std::fprintf(stderr, "vornmac vars: %s: %s\n", path, problem->c_str());
        return 1;
    }
    return 0;
}

} // namespace vornmac::tool
