#include "vars_command.hpp"

#include "text_escape.hpp"
#include "variable_file_reader.hpp"

#include <cstdio>
#include <fstream>
#include <iterator>
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

void print(const VariableFile &file) {
    std::printf("version %u\n", file.version);
    std::printf("input records %zu\n", file.inputs.size());
    for (size_t i = 0; i < file.inputs.size(); ++i) {
        const SavedInput &in = file.inputs[i];
        std::printf("  %zu kind %s source %s current %s line %d column %d offset %u length %u "
                    "level %d end-blanks %d\n",
                    i, quoted(std::string(1, in.kind)).c_str(), quoted(in.source_name).c_str(),
                    quoted(in.current_name).c_str(), in.line, in.column, in.offset, in.length,
                    in.level, in.end_blanks);
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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "vornmac vars: cannot open %s\n", path);
        return 1;
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>()};
    try {
        print(parse_variable_file(bytes));
    } catch (const VariableFileError &error) {
        std::fprintf(stderr, "vornmac vars: %s: %s\n", path, error.what());
        return 1;
    }
    return 0;
}

} // namespace vornmac::tool
