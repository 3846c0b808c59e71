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

std::vector<std::string> program_file_candidates(const std::string &name,
                                                 const std::string &extension,
                                                 const std::string &folder) {
    std::vector<std::string> candidates{name};
    if (!extension.empty()) candidates.push_back(name + "." + extension);
    if (!folder.empty()) candidates.push_back(folder + name);
    if (!extension.empty() && !folder.empty())
        candidates.push_back(folder + name + "." + extension);
    return candidates;
}

std::string find_program_file(ParserContext &context, const std::string &name) {
    for (const std::string &candidate : program_file_candidates(
             name, context.vars.optstring("_prgextend"), context.vars.optstring("_pathprg")))
        if (can_open_for_reading(candidate)) return candidate;
    return name;
}

} // namespace vornmac
