#include "run/token_writer.hpp"

#include "run/run_signals.hpp"

#include <unistd.h>

#include <cerrno>

namespace vornmac::tool {

namespace {
// The -o file's temporary is not hidden, so that a user sees what a killed run left; the
// next run writing the same file removes it.
constexpr const char *temporary_output_suffix = ".vornmac-tmp";
} // namespace

TokenWriter::TokenWriter(std::FILE *out, std::unique_ptr<ReplacedFile> file, Layout layout,
                         bool flush_each)
    : out_(out), file_(std::move(file)), layout_(layout), flush_each_(flush_each),
      gathers_text_(file_ && layout == Layout::text && !flush_each) {
    if (file_) block_ = std::make_unique<char[]>(block_size);
}

std::optional<TokenWriter> TokenWriter::open(const std::optional<std::string> &path, Layout layout,
                                             bool flush_each, int &reason) {
    if (!path) {
        // Nothing has been written to standard output yet, so its buffer can still be set.
        if (::isatty(STDOUT_FILENO) != 1) std::setvbuf(stdout, nullptr, _IOFBF, block_size);
        return TokenWriter(stdout, nullptr, layout, flush_each);
    }
    auto file = std::make_unique<ReplacedFile>(*path, temporary_output_suffix);
    if (!file->created()) {
        reason = file->reason();
        return std::nullopt;
    }
    return TokenWriter(nullptr, std::move(file), layout, flush_each);
}

void TokenWriter::write_each(const char *token) {
    if (block_) {
        gather(token);
        if (layout_ == Layout::token_lines) {
            if (gathered_ == block_size) write_block();
            block_[gathered_++] = '\n';
        }
    } else if (standard_output_ == StandardOutput::open) {
        fputs_unlocked(token, out_);
        if (layout_ == Layout::token_lines) putc_unlocked('\n', out_);
        if (ferror_unlocked(out_) != 0) note_standard_output_error();
    }
    if (flush_each_) flush();
}

void TokenWriter::note_standard_output_error() {
    standard_output_reason_ = errno;
    standard_output_ =
        reader_gone(fileno_unlocked(out_)) ? StandardOutput::reader_gone : StandardOutput::failed;
}

void TokenWriter::write_block() {
    if (!file_failed_ && !file_->write(block_.get(), gathered_)) file_failed_ = true;
    gathered_ = 0;
}

void TokenWriter::flush() {
    if (file_) {
        write_block();
    } else if (standard_output_ == StandardOutput::open) {
        std::fflush(out_);
        if (std::ferror(out_) != 0) note_standard_output_error();
    }
}

bool TokenWriter::finish() {
    flush();
    return file_ ? !file_failed_ : standard_output_ != StandardOutput::failed;
}

bool TokenWriter::commit() {
    return !file_ || file_->commit();
}

} // namespace vornmac::tool
