#include "token_writer.hpp"

#include <unistd.h>

namespace vornmac::tool {

TokenWriter::TokenWriter(std::FILE *out, std::unique_ptr<std::FILE, Closer> owned, Layout layout,
                         bool flush_each)
    : out_(out), owned_(std::move(owned)), layout_(layout), flush_each_(flush_each),
      gathers_text_(owned_ && layout == Layout::text && !flush_each) {
    if (owned_) block_ = std::make_unique<char[]>(block_size);
}

std::optional<TokenWriter> TokenWriter::open(const std::optional<std::string> &path, Layout layout,
                                             bool flush_each) {
    if (!path) {
        // Nothing has been written to standard output yet, so its buffer can still be set.
        if (::isatty(STDOUT_FILENO) != 1) std::setvbuf(stdout, nullptr, _IOFBF, block_size);
        return TokenWriter(stdout, nullptr, layout, flush_each);
    }
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path->c_str(), "wb"));
    if (!file) return std::nullopt;
    // Whole blocks come from this writer: the stream passes them on.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    std::FILE *out = file.get();
    return TokenWriter(out, std::move(file), layout, flush_each);
}

void TokenWriter::write_each(const char *token) {
    if (block_) {
        gather(token);
        if (layout_ == Layout::token_lines) {
            if (gathered_ == block_size) write_block();
            block_[gathered_++] = '\n';
        }
    } else {
        fputs_unlocked(token, out_);
        if (layout_ == Layout::token_lines) putc_unlocked('\n', out_);
    }
    if (flush_each_) flush();
}

void TokenWriter::write_block() {
    fwrite_unlocked(block_.get(), 1, gathered_, out_);
    gathered_ = 0;
}

void TokenWriter::flush() {
    if (block_) write_block();
    std::fflush(out_);
}

bool TokenWriter::finish() {
    flush();
    bool ok = std::ferror(out_) == 0;
    if (owned_) ok = std::fclose(owned_.release()) == 0 && ok;
    return ok;
}

} // namespace vornmac::tool
