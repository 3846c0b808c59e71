#include "platform/new_file.hpp"

#include "platform/raw_file.hpp"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace vornmac::platform {

namespace {
// Writes the bytes to a new file `name`, which is removed again when they cannot all be
// written; `exists` tells that the name was taken.
bool write_new(const char *name, const void *bytes, int32_t count, bool *exists) {
    bool written;
    {
        const UniqueHandle file(raw_create_new(name, exists));
        if (file.get() < 0) return false;
        written = raw_write(file.get(), bytes, count) == count;
    }
    if (!written) ::unlink(name);
    return written;
}
} // namespace

NewFile create_whole_file(const char *name, const void *bytes, int32_t count) {
    if (name == nullptr || *name == '\0') return NewFile::failed;
    // Named after this process, so a file of that name is a leftover of a killed one.
    const std::string temporary = std::string(name) + "." + std::to_string(::getpid()) + ".new";
    ::unlink(temporary.c_str());
    if (!write_new(temporary.c_str(), bytes, count, nullptr)) return NewFile::failed;
    const bool linked = ::link(temporary.c_str(), name) == 0;
    const int link_error = errno;
    ::unlink(temporary.c_str());
    if (linked) return NewFile::created;
    if (link_error == EEXIST) return NewFile::exists;
    // A file system without hard links: create the name itself, which no other run can
    // replace either, though it may see it short for a moment.
    bool exists = false;
    if (write_new(name, bytes, count, &exists)) return NewFile::created;
    return exists ? NewFile::exists : NewFile::failed;
}

} // namespace vornmac::platform
