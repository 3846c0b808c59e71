#include "stmt/program_file.hpp"

#include "host/parser_context.hpp"
#include "platform/raw_file.hpp"

namespace vornmac {

ProgramFileKind program_file_kind(const std::string &name) {
    const platform::OpenedFile opened =
        platform::raw_open_file(name.c_str(), platform::Access::read, false);
    platform::raw_close(opened.handle);
    if (opened.wrong_kind) return ProgramFileKind::other;
    return opened.handle >= 0 ? ProgramFileKind::regular : ProgramFileKind::missing;
}

bool can_open_for_reading(const std::string &name) {
    return program_file_kind(name) != ProgramFileKind::missing;
}

std::string find_program_file(ParserContext &context, const std::string &name) {
    const std::string extension = context.vars.optstring("_prgextend");
    const std::string path = context.vars.optstring("_pathprg");
    std::string candidates[] = {name, "", "", ""};
    if (!extension.empty()) candidates[1] = name + "." + extension;
    if (!path.empty()) candidates[2] = path + name;
    if (!extension.empty() && !path.empty()) candidates[3] = path + name + "." + extension;
    for (const std::string &candidate : candidates)
        if (!candidate.empty() && can_open_for_reading(candidate)) return candidate;
    return name;
}

} // namespace vornmac
