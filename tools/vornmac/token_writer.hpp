// Where a run's output goes: standard output or the -o file, either as program text (each
// token written as it is, so the line structure of the program survives) or one token per
// line.
//
// Tokens are short, so they are gathered into 64 KiB blocks in the stream's own buffer (the
// stream is used by this program's thread only, so it is written without locking).
// Standard output is shared with the library's own console output (%display, prompts),
// which goes through the same stream, so the two stay in order without any flushing of
// ours; the library flushes the stream before it shows a prompt or reads a line. A
// terminal keeps its usual line buffering, and an interactive session flushes each token.
#pragma once
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace vornmac::tool {

class TokenWriter {
  public:
    enum class Layout { text, token_lines };

    // Opens the output; nothing when the -o file cannot be created.
    static std::optional<TokenWriter> open(const std::optional<std::string> &path, Layout layout,
                                           bool flush_each);

    void write(const char *token) {
        // Straight into the stream's buffer: a call per token would cost more than the
        // copying.
        for (const char *c = token; *c != '\0'; ++c)
            putc_unlocked(*c, out_);
        if (layout_ == Layout::token_lines) putc_unlocked('\n', out_);
        if (flush_each_) std::fflush(out_);
    }
    // Flushes and closes; false when any write failed.
    bool finish();

  private:
    static constexpr size_t block_size = 64 * 1024;

    struct Closer {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    TokenWriter(std::FILE *out, std::unique_ptr<std::FILE, Closer> owned, Layout layout,
                bool flush_each)
        : out_(out), owned_(std::move(owned)), layout_(layout), flush_each_(flush_each) {}

    std::FILE *out_;
    std::unique_ptr<std::FILE, Closer> owned_;
    Layout layout_;
    bool flush_each_; // a terminal session shows each token as soon as it is known
};

} // namespace vornmac::tool
