// What a path names, from its status: used to find option and message files.
#pragma once

namespace vornmac {

enum class PathClass { missing, directory, writable, readable, other };

PathClass classify_path(const char *path);

} // namespace vornmac
