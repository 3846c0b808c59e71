#include "run/source_label.hpp"

#include <cstdint>

namespace vornmac::tool {

int shown_position(int position) {
    return static_cast<int>(static_cast<uint16_t>(position));
}

namespace {
constexpr const char *white_space = " \t\r\n\v\f";

std::string blanked(std::string_view name) {
    std::string text(name);
    for (char &c : text)
        if (std::string_view(white_space).find(c) != std::string_view::npos) c = ' ';
    return text;
}

std::string_view without_trailing_white(std::string_view name) {
    const size_t end = name.find_last_not_of(white_space);
    return end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1);
}
} // namespace

SourceNames::SourceNames(std::string program_label, std::string_view main_program_file)
    : program_label_(std::move(program_label)), main_program_file_(blanked(main_program_file)) {}

std::string SourceNames::label(SourceKind kind, std::string_view name, bool bottom) const {
    name = without_trailing_white(name);
    const bool main_program =
        bottom && (kind != SourceKind::file || blanked(name) == main_program_file_);
    if (main_program) return program_label_;
    switch (kind) {
    case SourceKind::macro:
        return "%" + std::string(name);
    case SourceKind::variable:
        return "&" + std::string(name);
    case SourceKind::file:
    case SourceKind::program_text:
        break;
    }
    return std::string(name);
}

} // namespace vornmac::tool
