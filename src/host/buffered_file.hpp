// Buffered files opened by a one-letter mode: "a"/"A" append, "w"/"W" write (truncate),
// "u" update, anything else read. Lower-case letters report a failed open in a message
// box, upper-case ones and "u" fail silently. Data moves through one 2048-byte buffer; the
// log's holds 64 KiB, since it gets every token of a program and each write is a system call.
// Appending opens only regular files and devices: a FIFO would block the run.
//
// Appended files (the log, "a" and "A") are opened for appending, so that runs sharing
// one file add to its end instead of writing over each other, and their buffer goes out
// in whole lines: each write ends at a line end, so a line never has another process's
// bytes inside it. The partial line after the last line end waits for its end (or for
// close); a line longer than the buffer is gathered whole up to longest_whole_line bytes.
//
// The log is a buffered file too, but its descriptor is library-wide so that it stays
// open from one parser context to the next. Every log record shares the descriptor; it
// is closed once it has been forgotten (finish_parser with mode 2) and the last record
// on it is closed, so a context never loses the log another context still writes to.
#pragma once
#include "input/token_copy.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace vornmac {

class BufferedFile {
  public:
    static constexpr int32_t buffer_size = 2048;
    static constexpr int32_t log_buffer_size = 64 * 1024;
    // Longer lines of an appended file are written in pieces. As large as the log's buffer:
    // gathering more would cost fresh memory for every long line of the echo (a program whose
    // output has no line end makes one the size of its output) and lose more to a kill.
    static constexpr size_t longest_whole_line = log_buffer_size;

    // Null when the file cannot be opened.
    static std::unique_ptr<BufferedFile> open(const char *name, const char *mode);
    // Null when the log cannot be opened; `not_a_file` tells that the name is a FIFO, a
    // socket or the like.
    static std::unique_ptr<BufferedFile> open_log(const char *name, const char *mode,
                                                  bool *not_a_file = nullptr);
    // The next open_log opens the file again; records on the old descriptor keep it.
    static void forget_log_handle();
    // The next open_log writes to `handle`, an open descriptor it takes over, instead of
    // opening the file it is given (a host's standard error, say).
    static void adopt_log_handle(int handle);
    static int log_handle();

    ~BufferedFile();
    BufferedFile(const BufferedFile &) = delete;
    BufferedFile &operator=(const BufferedFile &) = delete;

    // The common case, a piece that fits beside what is waiting, is copied inline: the log
    // gets every token of a program.
    void write(const char *bytes, int32_t count) {
        settle_echo();
        if (handle_ >= 0 && count <= limit_ - position_) {
            std::memcpy(buffer_.get() + position_, bytes, static_cast<size_t>(count));
            position_ += count;
            total_ += count;
            return;
        }
        write_in_pieces(bytes, count);
    }
    void write_string(const char *text);
    // Each line feed becomes carriage return and line feed.
    void write_text(const char *text) { write_text(text, std::strlen(text)); }
    // The same for `length` characters of `text`. The log gets every token of a program, so
    // a text that fits even were it all line feeds is translated straight into the buffer.
    void write_text(const char *text, size_t length) {
        settle_echo();
        if (handle_ >= 0 && length <= static_cast<size_t>(limit_ - position_) / 2) {
            char *const start = buffer_.get() + position_;
            char *to = start;
            for (size_t i = 0; i < length; ++i) {
                if (text[i] == '\n') *to++ = '\r';
                *to++ = text[i];
            }
            position_ += static_cast<int32_t>(to - start);
            total_ += to - start;
            return;
        }
        write_text_in_pieces(text, length);
    }
    // write_text for the text of a token buffer (see token_copy.hpp) with no line feed
    // before its last character: copied a word at a time where the room allows.
    void write_token_line(const char *text, size_t length) {
        settle_echo();
        if (handle_ < 0 || length + token_word_size >= static_cast<size_t>(limit_ - position_)) {
            write_text(text, length);
            return;
        }
        char *const to = buffer_.get() + position_;
        for (size_t at = 0; at < length; at += token_word_size)
            store_token_word(to + at, load_token_word(text + at));
        size_t written = length;
        if (length > 0 && text[length - 1] == '\n') {
            to[length - 1] = '\r';
            to[length] = '\n';
            ++written;
        }
        position_ += static_cast<int32_t>(written);
        total_ += static_cast<int64_t>(written);
    }
    void write_line_end() { write("\r\n", 2); }
    // The log's echo of program text, token by token, written as write_text writes it but
    // gathered as spans of the input's read buffer instead of copied token by token: `length`
    // bytes at `text` join the span when they follow it there. Anything else done with the
    // file first copies the span in (settle_echo), and so must the input before those bytes
    // change. A span grows only while it would fit in what is free of the buffer, so the file
    // is written at the same moments, with the same bytes, as token by token. False, with the
    // span settled, when the caller must write the text itself.
    bool defer_echo(const char *text, size_t length) {
        if (text == echo_end_ && length <= echo_room_) {
            echo_end_ += length;
            echo_room_ -= length;
            return true;
        }
        return start_echo(text, length);
    }
    void settle_echo() {
        if (echo_end_ != echo_) copy_echo();
    }
    // Returns count, or the bytes that were left when the file ran out (not copied).
    int32_t read(char *destination, int32_t count);
    // Writes what is waiting; an appended file keeps a partial last line back.
    void flush() {
        settle_echo();
        write_out(Flush::whole_lines);
    }
    void close();

    int handle() const { return handle_; }
    int64_t total() {
        settle_echo();
        return total_;
    }
    int32_t waiting() {
        settle_echo();
        return is_read_ ? 0 : position_;
    }
    int32_t limit() const { return limit_; }
    // True once a write did not reach the file (a full disk, say). The first such write
    // shows the message box; later ones of the same file drop their bytes quietly.
    bool write_failed() const { return write_failed_; }

    struct SharedDescriptor;

  private:
    enum class Flush { buffer_full, whole_lines, everything };

    BufferedFile(int handle, bool is_read, bool whole_lines, int64_t total,
                 int32_t capacity = buffer_size);
    void write_in_pieces(const char *bytes, int32_t count);
    void write_text_in_pieces(const char *text, size_t length);
    // Writes the waiting bytes, or for an appended file those up to its last line end.
    void write_out(Flush how);
    // defer_echo's other cases: a span begun, or none when the text would not fit.
    bool start_echo(const char *text, size_t length);
    void copy_echo();
    void write_to_file(const char *bytes, size_t count);

    int handle_;
    bool is_read_;
    bool whole_lines_; // an appended file: written a line end at a time
    int32_t limit_;
    int32_t position_;
    int64_t total_;
    bool write_failed_ = false;
    std::shared_ptr<SharedDescriptor> shared_; // set for the log
    std::string long_line_; // the start of a line longer than the buffer, not yet written
    int32_t capacity_;
    std::unique_ptr<char[]> buffer_;
    // The echo not yet copied in (see defer_echo), and how much more it may take.
    const char *echo_ = nullptr;
    const char *echo_end_ = nullptr;
    size_t echo_room_ = 0;
};

} // namespace vornmac
