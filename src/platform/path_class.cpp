#include "platform/path_class.hpp"

#include <sys/stat.h>

namespace vornmac {

PathClass classify_path(const char *path) {
    struct stat status {};
    if (path == nullptr || ::stat(path, &status) != 0) return PathClass::missing;
    if (S_ISDIR(status.st_mode)) return PathClass::directory;
    if (!S_ISREG(status.st_mode)) return PathClass::other;
    if ((status.st_mode & S_IWUSR) != 0) return PathClass::writable;
    if ((status.st_mode & S_IRUSR) != 0) return PathClass::readable;
    return PathClass::other;
}

} // namespace vornmac
