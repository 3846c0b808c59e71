// Where a run's output goes: standard output or the -o file, either as program text (each
// token written as it is, so the line structure of the program survives) or one token per
// line. Tokens are short, so those bound for the -o file are gathered into blocks of 64 KiB
// before they reach the stream.
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

    void write(const char *token);
    // Flushes and closes; false when any write failed.
    bool finish();

  private:
    static constexpr size_t block_size = 64 * 1024;

    void hand_over();

    struct Closer {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    TokenWriter(std::FILE *out, std::unique_ptr<std::FILE, Closer> owned, Layout layout,
                bool flush_each)
        : out_(out), owned_(std::move(owned)), layout_(layout), flush_each_(flush_each) {
        pending_.reserve(block_size + 256);
    }

    std::FILE *out_;
    std::unique_ptr<std::FILE, Closer> owned_;
    Layout layout_;
    bool flush_each_; // a terminal session shows each token as soon as it is known
    std::string pending_;
    bool failed_ = false;
};

} // namespace vornmac::tool
