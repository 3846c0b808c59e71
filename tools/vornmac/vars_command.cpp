#include "vars_command.hpp"

#include "text_escape.hpp"

#include <vornmac/vornmac.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vornmac::tool {

const char vars_usage[] =
    R"(Usage: vornmac vars FILE

Lists a variable file (such as vorn_opt.dat in the vornmac home): its version, the input
records saved with it, and every saved value with its level, one per line. Texts are shown
in double quotes, with control characters, quotes and backslashes escaped.

Options:
  -h, --help   show this help
)";

namespace {

constexpr int variable_file_version = 2;

struct SavedInput {
    vornmac_saved_input fields;
    std::string source_name;
    std::string current_name;
};

struct SavedValue {
    int16_t level;
    std::string name;
    std::string text;
};

struct Listing {
    std::vector<SavedInput> inputs;
    std::vector<SavedValue> values;
};

void collect_input(void *user, const vornmac_saved_input *input) {
    static_cast<Listing *>(user)->inputs.push_back(
        {*input, input->source_name, input->current_name});
}

void collect_value(void *user, int16_t level, const char *name, const char *text) {
    static_cast<Listing *>(user)->values.push_back({level, name, text});
}

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

} // namespace

int vars_command(std::span<const char *const> words) {
    if (!words.empty() &&
        (std::string_view(words[0]) == "-h" || std::string_view(words[0]) == "--help")) {
        std::fputs(vars_usage, stdout);
        return 0;
    }
    if (words.size() != 1) {
        std::fputs("vornmac vars: name exactly one variable file\n", stderr);
        std::fputs(vars_usage, stderr);
        return 2;
    }
    const char *path = words[0];
    // The library reads the file by the very rules it loads it with.
    Listing listing;
    char problem[300];
    if (vornmac_read_variable_file(path, &listing, collect_input, collect_value, problem,
                                   sizeof problem) != 0) {
        std::fprintf(stderr, "vornmac vars: %s: %s\n", path, problem);
        return 1;
    }
    print(listing);
    return 0;
}

} // namespace vornmac::tool
