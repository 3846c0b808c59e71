#include "input/read_ahead.hpp"

#include "input/input_stack.hpp"
#include "platform/raw_file.hpp"

#include <algorithm>

namespace vornmac {

int32_t ReadAhead::read_window(int handle, int32_t offset, int32_t length, ReadBuffer &block) {
    const int32_t wanted = std::min<int32_t>(length - offset + 1, read_buffer_size);
    if (wanted <= 0) return read_source_block(handle, offset, length, block);
    const bool current =
        handle == handle_ && changes_ == platform::file_changes() && offset >= start_;
    const bool held = current && (offset - start_ <= got_ - wanted || got_ < asked_);
    if (!held) {
        // Read on in order, the next read doubles.
        next_size_ = current ? std::min(next_size_ * 2, most) : read_buffer_size;
        const int32_t size = std::max(wanted, std::min(next_size_, length - offset + 1));
        if (bytes_.size() < static_cast<size_t>(size)) bytes_.resize(static_cast<size_t>(size));
        changes_ = platform::file_changes();
        const int32_t got = platform::raw_read_at(handle, offset, bytes_.data(), size);
        // A failed read gives blanks, as read_source_block does, and is tried again next time.
        handle_ = got < 0 ? -1 : handle;
        start_ = offset;
        got_ = std::max(got, 0);
        asked_ = size;
    }
    // Past the end the file had when it was read: blanks.
    const int32_t have = std::clamp(got_ - (offset - start_), 0, wanted);
    if (have > 0) std::copy_n(bytes_.data() + (offset - start_), have, block.begin());
    std::fill(block.begin() + have, block.end(), ' ');
    return have;
}

} // namespace vornmac
