#include "stmt/program_file.hpp"

#include "host/parser_context.hpp"
#include "platform/raw_file.hpp"

namespace vornmac {

bool can_open_for_reading(const std::string &name) {
    const int handle = platform::raw_open_existing(name.c_str(), platform::Access::read);
    if (handle < 0) return false;
    platform::raw_close(handle);
    return true;
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
