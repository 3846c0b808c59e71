#include "host/buffered_file.hpp"

#include "error/contract.hpp"
#include "platform/message_box.hpp"
#include "platform/raw_file.hpp"

#include <algorithm>
#include <cstring>

namespace vornmac {

struct BufferedFile::SharedDescriptor {
    int handle;
    explicit SharedDescriptor(int h) : handle(h) {}
    ~SharedDescriptor() { platform::raw_close(handle); }
    SharedDescriptor(const SharedDescriptor &) = delete;
    SharedDescriptor &operator=(const SharedDescriptor &) = delete;
};

namespace {
using platform::Access;

// The log descriptor the next open_log reuses; empty once forgotten.
std::shared_ptr<BufferedFile::SharedDescriptor> library_log;

// Opens an existing file for reading and writing, creating it when it is missing. A name
// that is neither a regular file nor a device is refused and never created over.
int open_for_append(const char *name, bool report, bool *not_a_file) {
    const platform::OpenedFile existing = platform::raw_open_file(name, Access::read_append, true);
    if (not_a_file != nullptr) *not_a_file = existing.wrong_kind;
    if (existing.handle >= 0 || existing.wrong_kind) return existing.handle;
    // Exclusive creation never empties a log that another run has just created.
    platform::raw_close(platform::raw_create_new(name));
    const int handle = platform::raw_open_file(name, Access::read_append, true).handle;
    if (handle < 0 && report) platform::show_message_box("File Creation Error", name ? name : "");
    return handle;
}
// The number of bytes up to and including the last line feed, 0 when there is none.
int32_t through_last_line_end(const char *bytes, int32_t count) {
    const void *found = ::memrchr(bytes, '\n', static_cast<size_t>(count));
    return found == nullptr ? 0
                            : static_cast<int32_t>(static_cast<const char *>(found) - bytes) + 1;
}
} // namespace

BufferedFile::BufferedFile(int handle, bool is_read, bool whole_lines, int64_t total,
                           int32_t capacity)
    : handle_(handle), is_read_(is_read), whole_lines_(whole_lines), limit_(capacity),
      position_(is_read ? capacity : 0), total_(total), capacity_(capacity),
      buffer_(std::make_unique<char[]>(static_cast<size_t>(capacity))) {}

BufferedFile::~BufferedFile() {
    close();
}

std::unique_ptr<BufferedFile> BufferedFile::open(const char *name, const char *mode) {
    const char letter = mode != nullptr ? mode[0] : 'r';
    int handle = -1;
    int64_t total = 0;
    bool is_read = false;
    switch (letter) {
    case 'a':
    case 'A':
        handle = open_for_append(name, letter == 'a', nullptr);
        if (handle >= 0) total = platform::raw_seek(handle, 0, 2);
        break;
    case 'w':
    case 'W':
        handle = platform::raw_create(name);
        if (handle < 0) {
            if (letter == 'w') platform::show_message_box("File Creation Error", name ? name : "");
        } else {
            platform::raw_close(handle);
            handle = platform::raw_open_existing(name, Access::read_write);
        }
        break;
    case 'u':
        handle = platform::raw_open_existing(name, Access::read_write);
        break;
    default:
        is_read = true;
        handle = platform::raw_open_existing(name, Access::read);
        if (handle < 0 && letter == 'r')
            platform::show_message_box("File Opening Error", name ? name : "");
        break;
    }
    if (handle < 0) return nullptr;
    const bool appended = letter == 'a' || letter == 'A';
    return std::unique_ptr<BufferedFile>(new BufferedFile(handle, is_read, appended, total));
}

std::unique_ptr<BufferedFile> BufferedFile::open_log(const char *name, const char *mode,
                                                     bool *not_a_file) {
    const char letter = mode != nullptr ? mode[0] : 'a';
    if (not_a_file != nullptr) *not_a_file = false;
    if (!library_log) {
        const int handle = open_for_append(name, letter == 'a', not_a_file);
        if (handle < 0) return nullptr;
        library_log = std::make_shared<SharedDescriptor>(handle);
    }
    const int64_t end = platform::raw_seek(library_log->handle, 0, 2);
    const int64_t total = (letter == 'a' || letter == 'A') ? end : 0;
    std::unique_ptr<BufferedFile> log(
        new BufferedFile(library_log->handle, false, true, total, log_buffer_size));
    log->shared_ = library_log;
    return log;
}

void BufferedFile::adopt_log_handle(int handle) {
    library_log = std::make_shared<SharedDescriptor>(handle);
}

void BufferedFile::forget_log_handle() {
    library_log.reset();
}

int BufferedFile::log_handle() {
    return library_log ? library_log->handle : -1;
}

void BufferedFile::write_in_pieces(const char *bytes, int32_t count) {
    if (handle_ < 0) return;
    while (count > 0) {
        int32_t piece = std::min(count, capacity_);
        if (position_ + piece > limit_) {
            write_out(Flush::buffer_full);
            // An appended file may keep a partial line: the piece fills what is free.
            piece = std::min(piece, limit_ - position_);
        }
        std::memcpy(buffer_.get() + position_, bytes, static_cast<size_t>(piece));
        position_ += piece;
        total_ += piece;
        bytes += piece;
        count -= piece;
    }
}

void BufferedFile::write_string(const char *text) {
    write(text, static_cast<int32_t>(std::strlen(text)));
}

void BufferedFile::write_text_in_pieces(const char *text, size_t length) {
    // Runs between line feeds are written whole.
    const char *const stop = text + length;
    for (;;) {
        const char *end = text;
        while (end != stop && *end != '\n')
            ++end;
        write(text, static_cast<int32_t>(end - text));
        if (end == stop) return;
        write_line_end();
        text = end + 1;
    }
}

bool BufferedFile::start_echo(const char *text, size_t length) {
    settle_echo();
    // Token by token nothing would be written either.
    if (handle_ < 0) return true;
    // Room for the span with each character doubled, as a line end may be, and for the word
    // write_token_line stores past a token.
    const auto free = static_cast<size_t>(limit_ - position_);
    const size_t room = free > token_word_size ? (free - token_word_size - 1) / 2 : 0;
    if (length > room) return false;
    echo_ = text;
    echo_end_ = text + length;
    echo_room_ = room - length;
    return true;
}

void BufferedFile::copy_echo() {
    const char *text = echo_;
    auto length = static_cast<size_t>(echo_end_ - echo_);
    echo_ = echo_end_ = nullptr;
    echo_room_ = 0;
    // start_echo kept the span within what is free, line ends doubled.
    VORNMAC_ASSERT(2 * length < static_cast<size_t>(limit_ - position_));
    char *const start = buffer_.get() + position_;
    char *to = start;
    while (length > 0) {
        const auto *line_feed = static_cast<const char *>(std::memchr(text, '\n', length));
        const size_t run = line_feed != nullptr ? static_cast<size_t>(line_feed - text) : length;
        std::memcpy(to, text, run);
        to += run;
        if (line_feed == nullptr) break;
        *to++ = '\r';
        *to++ = '\n';
        text += run + 1;
        length -= run + 1;
    }
    position_ += static_cast<int32_t>(to - start);
    total_ += to - start;
}

int32_t BufferedFile::read(char *destination, int32_t count) {
    settle_echo();
    if (handle_ < 0) return 0;
    int32_t copied = 0;
    while (copied < count) {
        const int32_t piece = std::min(count - copied, capacity_);
        if (position_ + piece > limit_) {
            const int32_t unread = limit_ - position_;
            std::memmove(buffer_.get(), buffer_.get() + position_, static_cast<size_t>(unread));
            const int32_t got =
                platform::raw_read(handle_, buffer_.get() + unread, capacity_ - unread);
            limit_ = unread + std::max(got, 0);
            position_ = 0;
        }
        if (piece > limit_) {
            const int32_t left = limit_;
            limit_ = 0;
            return copied + left;
        }
        std::memcpy(destination + copied, buffer_.get() + position_, static_cast<size_t>(piece));
        position_ += piece;
        total_ += piece;
        copied += piece;
    }
    return count;
}

void BufferedFile::write_out(Flush how) {
    if (is_read_ || handle_ < 0) return;
    int32_t count = position_;
    if (whole_lines_ && how != Flush::everything) {
        count = through_last_line_end(buffer_.get(), position_);
        if (count == 0) {
            // No line ends here: a full buffer is part of a long line, gathered until its
            // end comes or it grows too long to keep back; then it goes out as it stands.
            if (how != Flush::buffer_full || position_ < limit_) return;
            const size_t gathered = long_line_.size() + static_cast<size_t>(position_);
            if (gathered < longest_whole_line) {
                long_line_.append(buffer_.get(), static_cast<size_t>(position_));
                position_ = 0;
                return;
            }
            count = position_;
        }
    }
    if (long_line_.empty()) {
        write_to_file(buffer_.get(), static_cast<size_t>(count));
    } else {
        long_line_.append(buffer_.get(), static_cast<size_t>(count));
        write_to_file(long_line_.data(), long_line_.size());
        long_line_.clear();
    }
    position_ -= count;
    std::memmove(buffer_.get(), buffer_.get() + count, static_cast<size_t>(position_));
}

void BufferedFile::write_to_file(const char *bytes, size_t count) {
    if (count == 0) return;
    const auto size = static_cast<int32_t>(count);
    // The log is only ever appended to: what a program reads of it stays as it was.
    const auto kind = shared_ ? platform::WriteKind::append_only : platform::WriteKind::any;
    if (platform::raw_write(handle_, bytes, size, kind) < size && !write_failed_) {
        write_failed_ = true;
        platform::show_message_box("Database Error", "Write File Error");
    }
}

void BufferedFile::close() {
    settle_echo();
    if (handle_ < 0) return;
    write_out(Flush::everything);
    if (shared_)
        shared_.reset(); // the last record on a forgotten log closes it
    else
        platform::raw_close(handle_);
    handle_ = -1;
}

} // namespace vornmac
