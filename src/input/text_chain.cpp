#include "input/text_chain.hpp"

#include "input/quoting_bytes.hpp"

#include <algorithm>
#include <cstring>

namespace vornmac {

TextChain::Segment *SegmentSupply::take() {
    TextChain::Segment *segment = free_;
    if (segment != nullptr)
        free_ = segment->next;
    else
        segment = static_cast<TextChain::Segment *>(pool_.alloc(sizeof(TextChain::Segment)));
    segment->next = nullptr;
    segment->used = 0;
    return segment;
}

void SegmentSupply::give_back(TextChain::Segment *first) {
    while (first != nullptr) {
        TextChain::Segment *next = first->next;
        first->next = free_;
        free_ = first;
        first = next;
    }
}

TextChain::TextChain(SegmentSupply &supply) : supply_(supply) {
    first_ = last_ = supply_.take();
}

TextChain::~TextChain() {
    supply_.give_back(first_);
}

bool TextChain::append(const char *text) {
    size_t n = std::strlen(text);
    if (n > static_cast<size_t>(max_length - length_)) return false;
    length_ = static_cast<int16_t>(length_ + n);
    while (n > 0) {
        const size_t room = static_cast<size_t>(segment_size - last_->used);
        const size_t piece = std::min(n, room);
        std::memcpy(last_->text + last_->used, text, piece);
        last_->used = static_cast<int16_t>(last_->used + piece);
        text += piece;
        n -= piece;
        if (n > 0) {
            last_->next = supply_.take();
            last_ = last_->next;
        }
    }
    return true;
}

char *TextChain::flatten() const {
    auto *out = static_cast<char *>(supply_.pool().alloc(static_cast<uint16_t>(length_ + 1)));
    char *at = out;
    for (const Segment *s = first_; s != nullptr; s = s->next) {
        std::memcpy(at, s->text, static_cast<size_t>(s->used));
        at += s->used;
    }
    *at = '\0';
    return out;
}

std::string TextChain::text() const {
    std::string out;
    out.reserve(static_cast<size_t>(length_));
    for (const Segment *s = first_; s != nullptr; s = s->next)
        out.append(s->text, static_cast<size_t>(s->used));
    return out;
}

void clean_text(char *text) {
    char *out = text;
    for (const char *in = text; *in != '\0'; ++in) {
        const auto c = static_cast<signed char>(*in);
        const char quoted = static_cast<unsigned char>(c) == quoted_byte
                                ? quoted_character(static_cast<unsigned char>(in[1]))
                                : '\0';
        if (static_cast<unsigned char>(c) == marker_byte) {
            if (in[1] != '\0') ++in;
        } else if (quoted != '\0') {
            *out++ = quoted;
            ++in;
        } else if (c < 32) {
            *out++ = ' ';
        } else {
            *out++ = *in;
        }
    }
    *out = '\0';
}

int16_t trailing_blanks(const char *text) {
    const size_t length = std::strlen(text);
    size_t end = length;
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return static_cast<int16_t>(length - end);
}

} // namespace vornmac
