#include "run/replaced_file.hpp"

#include <cerrno>

namespace vornmac::tool {

ReplacedFile::ReplacedFile(const std::string &target, const char *temporary_suffix)
    : file_(vornmac_begin_file_replacement(target.c_str(), temporary_suffix)),
      reason_(file_ ? 0 : errno) {}

bool ReplacedFile::write(const void *bytes, size_t count) {
    if (file_ && vornmac_write_file_replacement(file_.get(), bytes, count) == 0) return true;
    reason_ = file_ ? errno : reason_;
    return false;
}

bool ReplacedFile::commit() {
    if (file_ && vornmac_commit_file_replacement(file_.get()) == 0) return true;
    reason_ = file_ ? errno : reason_;
    return false;
}

} // namespace vornmac::tool
