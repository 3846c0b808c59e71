// The default error message file (data/vornmac.msg), built into the binary so that a fresh
// home can be set up anywhere the tool is installed.
#pragma once
#include <string_view>

namespace vornmac::tool {

std::string_view default_message_file();

} // namespace vornmac::tool
