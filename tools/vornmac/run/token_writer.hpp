// Where a run's output goes: standard output or the -o file, either as program text (each
// token written as it is, so the line structure of the program survives) or one token per
// line.
//
// Tokens are short, so they are gathered into 64 KiB blocks before they are written, and
// copied a word at a time. Standard output is shared with the library's own console output
// (%display, prompts), which goes through the same stream: tokens for it go straight into
// the stream's own 64 KiB buffer, and the two stay in order without any flushing of ours; the
// library flushes the stream before it shows a prompt, reads a line or starts a command. Where
// the C library lets a program fill a stream's buffer itself (glibc, as its putc_unlocked
// does), a token is copied into the buffer like a token of the -o file into its block, which
// costs a third of a stream write; elsewhere, and for a token that does not fit in what is
// left, it is written with fputs. The -o file is this writer's alone: tokens for it gather in
// a block of its own. A terminal keeps its usual line buffering, and an interactive session
// flushes each token.
//
// When the reader of standard output has gone (`| head`), the output ends there, quietly: the
// run goes on to its end and saves, and the output does not count as failed. Any other failed
// write to standard output ends the output too, and does count.
//
// The -o file is written as a replacement (replaced_file.hpp): into a temporary beside it,
// which takes its place only when the run is over and commit() is called, so a run that
// cannot start or cannot write its output leaves the old file as it was.
#pragma once
#include "run/replaced_file.hpp"

#include <vornmac/vornmac.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace vornmac::tool {

class TokenWriter {
  public:
    enum class Layout { text, token_lines };

    // Opens the output: standard output without a path, else the -o file; nothing when no temporary
    // for it can be created (`reason` then holds the errno).
    static std::optional<TokenWriter> open(const std::optional<std::string> &path, Layout layout,
                                           bool flush_each, int &reason);

    // The library's token buffers, which write reads, hold 200 bytes.
    static constexpr size_t token_buffer_size = 200;

    // `token` is one of the library's token buffers (or one as large).
    void write(const char *token) {
        if (gathers_text_) {
            gather(token);
            return;
        }
        if (fills_stream_ && copy_into_stream(token)) return;
        write_each(token);
    }
    // Runs of plain tokens, delivered by the library straight into the block or the stream's
    // buffer (vornmac_gettokens) where program text is gathered there; false when the next
    // token needs call_gettoken and write.
    bool write_plain_tokens(parser_context *ctx) {
        // A request that finds no plain token costs about a third of a token: after one, the
        // next requests are skipped, more of them the more requests fail in a row, so that
        // text made mostly of references and statements does not pay for them.
        if (skipped_requests_ < requests_to_skip_) {
            ++skipped_requests_;
            return false;
        }
        skipped_requests_ = 0;
        size_t room_left = 0;
        const bool taken = take_plain_tokens(ctx, room_left);
        requests_to_skip_ = taken ? 0 : std::min(2 * requests_to_skip_ + 1, most_requests_skipped);
        // A run that ended with a token's room left ended at a token that needs call_gettoken:
        // a request for more would find none.
        return taken && room_left < token_buffer_size;
    }
    // Writes out what is waiting; false when any write failed.
    bool finish();
    // Puts the -o file in the place of the old one; false when that failed.
    bool commit();
    // The errno of the output's last failure, 0 when it is not known.
    int reason() const { return file_ ? file_->reason() : standard_output_reason_; }

  private:
    static constexpr size_t block_size = 64 * 1024;
    static constexpr int most_requests_skipped = 15;

    // Gives whether any token was taken, and the room left after them in `room_left`.
    bool take_plain_tokens(parser_context *ctx, size_t &room_left) {
        size_t written = 0;
        if (gathers_text_) {
            if (block_size - gathered_ < token_buffer_size) write_block();
            const int count = vornmac_gettokens(ctx, block_.get() + gathered_,
                                                block_size - gathered_, INT_MAX, &written);
            gathered_ += written;
            room_left = block_size - gathered_;
            return count != 0;
        }
#ifdef __GLIBC__
        if (fills_stream_) {
            char *&at = out_->_IO_write_ptr;
            const int count = vornmac_gettokens(
                ctx, at, static_cast<size_t>(out_->_IO_write_end - at), INT_MAX, &written);
            at += written;
            room_left = static_cast<size_t>(out_->_IO_write_end - at);
            return count != 0;
        }
#endif
        return false;
    }
    TokenWriter(std::FILE *out, std::unique_ptr<ReplacedFile> file, Layout layout, bool flush_each);

    // The -o file's tokens as program text, the bulk of most runs: copied into the block.
    void gather(const char *token) {
        if (block_size - gathered_ < token_buffer_size) write_block();
        gathered_ += vornmac_copy_token(token, block_.get() + gathered_);
    }
    // Standard output's text, copied into the stream's buffer when a whole token buffer fits in
    // what is left of it; false when it was not copied.
    bool copy_into_stream(const char *token) {
#ifdef __GLIBC__
        if (out_->_IO_write_end - out_->_IO_write_ptr < static_cast<ptrdiff_t>(token_buffer_size))
            return false;
        out_->_IO_write_ptr += vornmac_copy_token(token, out_->_IO_write_ptr);
        return true;
#else
        (void)token;
        return false;
#endif
    }
    // Every other way: standard output, a token per line, a token shown as soon as known.
    void write_each(const char *token);
    // After a failed write to standard output: tells a reader that has gone from a failure.
    void note_standard_output_error();
    // Hands the gathered bytes to the -o file.
    void write_block();
    // The gathered bytes to the -o file, or standard output's buffer to it.
    void flush();

    enum class StandardOutput { open, reader_gone, failed };

    std::FILE *out_; // standard output, null with -o
    StandardOutput standard_output_ = StandardOutput::open;
    int standard_output_reason_ = 0;
    std::unique_ptr<ReplacedFile> file_; // the -o file
    bool file_failed_ = false;
    Layout layout_;
    bool flush_each_; // a terminal session shows each token as soon as it is known
    bool gathers_text_;
    bool fills_stream_;             // standard output's text, while the output is open
    std::unique_ptr<char[]> block_; // the -o file's tokens, not yet written
    size_t gathered_ = 0;
    int requests_to_skip_ = 0; // batch requests, after the last one found no plain token
    int skipped_requests_ = 0;
};

} // namespace vornmac::tool
