// A file the tool writes whole (the -o output, a new home's message file) through the
// library's file replacement (vornmac.h): the bytes go into a temporary beside the target,
// which takes the target's place only at commit(), so a run that fails leaves the old file
// as it was. Each failure keeps the system's reason (an errno value) for the message.
#pragma once
#include <vornmac/vornmac.h>

#include <memory>
#include <string>

namespace vornmac::tool {

class ReplacedFile {
  public:
    ReplacedFile(const std::string &target, const char *temporary_suffix);

    // Whether a file to write into was made; reason() tells why not.
    bool created() const { return file_ != nullptr; }
    bool write(const void *bytes, size_t count);
    bool commit();
    // The errno of the last failure, 0 before one.
    int reason() const { return reason_; }

  private:
    struct End {
        void operator()(vornmac_file_replacement *file) const {
            vornmac_end_file_replacement(file);
        }
    };
    std::unique_ptr<vornmac_file_replacement, End> file_;
    int reason_ = 0;
};

} // namespace vornmac::tool
