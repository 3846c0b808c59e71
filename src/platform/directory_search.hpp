// Directory search for %dirlist: the names in one directory that match a pattern, in which
// only "*" and "?" are wild. The pattern's last component is matched with fnmatch against
// every entry of the directory before it (the current directory when there is none); "\"
// separates components as well as "/". Entries come back sorted by their bytes, so a listing is
// repeatable, and nothing is filtered out: "." and ".." and subdirectories are listed like files.
#pragma once
#include <string>
#include <vector>

namespace vornmac::platform {

// An empty result when nothing matches or the directory cannot be read.
std::vector<std::string> find_matching_names(const std::string &pattern);

} // namespace vornmac::platform
