#include "token_writer.hpp"

namespace vornmac::tool {

std::optional<TokenWriter> TokenWriter::open(const std::optional<std::string> &path, Layout layout,
                                             bool flush_each) {
    if (!path) return TokenWriter(stdout, nullptr, layout, flush_each);
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path->c_str(), "wb"));
    if (!file) return std::nullopt;
    std::FILE *out = file.get();
    return TokenWriter(out, std::move(file), layout, flush_each);
}

void TokenWriter::write(const char *token) {
    pending_ += token;
    if (layout_ == Layout::token_lines) pending_ += '\n';
    // The program's own console output (%display) shares standard output: tokens bound
    // for it go to the stream at once, so the two stay in order.
    if (!owned_ || flush_each_ || pending_.size() >= block_size) hand_over();
}

void TokenWriter::hand_over() {
    if (std::fwrite(pending_.data(), 1, pending_.size(), out_) != pending_.size()) failed_ = true;
    pending_.clear();
    if (flush_each_) std::fflush(out_);
}

bool TokenWriter::finish() {
    hand_over();
    bool ok = !failed_ && std::fflush(out_) == 0 && std::ferror(out_) == 0;
    if (owned_) ok = std::fclose(owned_.release()) == 0 && ok;
    return ok;
}

} // namespace vornmac::tool
