// A file source's bytes read ahead of its 1024-byte windows, so that most refills copy from
// memory instead of making a system call. A window taken from it holds what reading the
// window from the file at that moment would give: the bytes are dropped whenever this
// process may have changed a file since they were read (platform::file_changes), when the
// source's file is opened again, or when another descriptor asks. Reads grow from one window
// to 64 KiB while the source is read on in order, so a source read a little after each change
// reads little more than its windows.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace vornmac {

inline constexpr int16_t read_buffer_size = 1024;
using ReadBuffer = std::array<char, read_buffer_size>;

class ReadAhead {
  public:
    static constexpr int32_t most = 64 * 1024;

    // The source's file has been opened (again): nothing read before is its.
    void forget() {
        handle_ = -1;
        next_size_ = read_buffer_size;
    }
    // read_source_block(handle, offset, length, block), from the bytes read ahead where they
    // hold the window.
    int32_t read_window(int handle, int32_t offset, int32_t length, ReadBuffer &block);

  private:
    std::vector<char> bytes_;
    int handle_ = -1;
    uint64_t changes_ = 0; // platform::file_changes() when the bytes were read
    int32_t start_ = 0;    // the file offset of bytes_[0]
    int32_t got_ = 0;      // bytes the file gave
    int32_t asked_ = 0;    // bytes asked for: the file ended before when got_ is fewer
    int32_t next_size_ = read_buffer_size;
};

} // namespace vornmac
