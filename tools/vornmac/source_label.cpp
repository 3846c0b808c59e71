#include "source_label.hpp"

namespace vornmac::tool {

std::string source_label(const std::string &program_label, SourceKind kind, std::string_view name) {
    const size_t end = name.find_last_not_of(" \t\r\n\v\f");
    name = end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1);
    switch (kind) {
    case SourceKind::main_program:
        return program_label;
    case SourceKind::macro:
        return "%" + std::string(name);
    case SourceKind::variable:
        return "&" + std::string(name);
    case SourceKind::file:
        break;
    }
    return std::string(name);
}

} // namespace vornmac::tool
