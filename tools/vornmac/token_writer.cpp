#include "token_writer.hpp"

#include <unistd.h>

namespace vornmac::tool {

std::optional<TokenWriter> TokenWriter::open(const std::optional<std::string> &path, Layout layout,
                                             bool flush_each) {
    if (!path) {
        // Nothing has been written to standard output yet, so its buffer can still be set.
        if (::isatty(STDOUT_FILENO) != 1) std::setvbuf(stdout, nullptr, _IOFBF, block_size);
        return TokenWriter(stdout, nullptr, layout, flush_each);
    }
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path->c_str(), "wb"));
    if (!file) return std::nullopt;
    std::setvbuf(file.get(), nullptr, _IOFBF, block_size);
    std::FILE *out = file.get();
    return TokenWriter(out, std::move(file), layout, flush_each);
}

bool TokenWriter::finish() {
    bool ok = std::fflush(out_) == 0 && std::ferror(out_) == 0;
    if (owned_) ok = std::fclose(owned_.release()) == 0 && ok;
    return ok;
}

} // namespace vornmac::tool
