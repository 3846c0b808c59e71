#include "platform/directory_search.hpp"

#include <algorithm>
#include <dirent.h>
#include <fnmatch.h>
#include <memory>

namespace vornmac::platform {

namespace {
struct DirectoryCloser {
    void operator()(DIR *directory) const { ::closedir(directory); }
};

// The fnmatch pattern for a name pattern in which only "*" and "?" are wild: a "[" is a
// character of the name (it holds no "\", which separates components). Programs written
// for the original platform use "*.*" for every file, names without a period included.
std::string name_pattern_of(const std::string &last_component) {
    if (last_component == "*.*") return "*";
    std::string pattern;
    for (const char c : last_component) {
        if (c == '[') pattern += '\\';
        pattern += c;
    }
    return pattern;
}
} // namespace

std::vector<std::string> find_matching_names(const std::string &pattern) {
    std::string directory = ".";
    std::string last_component = pattern;
    const size_t separator = pattern.find_last_of("\\/");
    if (separator != std::string::npos) {
        directory = pattern.substr(0, separator + 1);
        std::replace(directory.begin(), directory.end(), '\\', '/');
        last_component = pattern.substr(separator + 1);
    }
    std::vector<std::string> names;
    if (last_component.empty()) return names;
    const std::unique_ptr<DIR, DirectoryCloser> search(::opendir(directory.c_str()));
    if (!search) return names;
    const std::string name_pattern = name_pattern_of(last_component);
    while (const dirent *entry = ::readdir(search.get()))
        if (::fnmatch(name_pattern.c_str(), entry->d_name, 0) == 0)
            names.emplace_back(entry->d_name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vornmac::platform
