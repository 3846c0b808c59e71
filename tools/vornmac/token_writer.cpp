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
    std::fputs(token, out_);
    if (layout_ == Layout::token_lines) std::fputc('\n', out_);
    if (flush_each_) std::fflush(out_);
}

bool TokenWriter::finish() {
    bool ok = std::fflush(out_) == 0 && std::ferror(out_) == 0;
    if (owned_) ok = std::fclose(owned_.release()) == 0 && ok;
    return ok;
}

} // namespace vornmac::tool
