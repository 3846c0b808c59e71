// Tokens read one after another as scan_token(0, 0) reads them, by a reader that does nothing
// else in between: an expression's operators and operands, the opening of an argument list.
// Most are plain tokens the input has in view (operators, numbers, parentheses, words), and
// each would cost the general scan's full round of steps. Here they are taken straight from
// the view instead, each token's text into the scanner's next-token buffer as always, while
// the input stack's reading position and the token's place (where errors and traces say it
// began) are brought up to date once for the whole run of them (settle): before a token that
// only the general scan can read, before the reader raises an error or lets anything else
// read, and when it is done. A token with a line feed, whose line the general steps count,
// ends the run too.
#pragma once
#include "host/parser_context.hpp"
#include "input/lexer.hpp"
#include "input/token_copy.hpp"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vornmac {

class TokensInView {
  public:
    explicit TokensInView(ParserContext &context) : context_(context) {}
    TokensInView(const TokensInView &) = delete;
    TokensInView &operator=(const TokensInView &) = delete;

    // The token just read.
    const char *text() const { return context_.scanner.next_token_text; }
    // Reads the next token. Inline: the evaluator reads every operator and operand here, and
    // most are one character long.
    [[gnu::always_inline]] void next() {
        if (end_ - at_ < 2 || !take_single()) take_in_view_or_scan();
    }
    // Brings the input stack and the token's place up to date with the tokens taken in view.
    void settle() {
        if (at_ != start_) settle_taken();
        at_ = start_ = end_ = nullptr;
    }

  private:
    // A token of one character that the character after it ends, both in view, as plain_token
    // would find it: a name character or another character that does not act, then anything
    // but white space or a carriage return (which is folded into a line feed), and after a
    // name character anything but one more or an ampersand (which would go on with the word).
    // A slash may open a comment, so plain tokens leave it to the general scan; but before
    // anything else than white space, a carriage return or an asterisk it is a token of its
    // own too, read as any other character is: the character after it read and stepped back
    // before.
    [[gnu::always_inline]] bool take_single() {
        const auto first = static_cast<unsigned char>(at_[0]);
        const auto after = static_cast<unsigned char>(at_[1]);
        const CharClass after_class = char_classes[after];
        if (after_class == CharClass::white || after_class == CharClass::line_feed || after == '\r')
            return false;
        switch (char_classes[first]) {
        case CharClass::name:
            if (after_class == CharClass::name || after == '&') return false;
            break;
        case CharClass::other:
            break;
        case CharClass::acting:
            if (first != '/' || after == '*') return false;
            break;
        default:
            return false;
        }
        const unsigned char shown = context_.flags.upper_case ? fold_name_char(first) : first;
        // The token's word, as store_token_text writes it: the character, then zero bytes.
        // Made in a register: an array built on the stack costs a dozen steps per token.
        const uint64_t word = std::endian::native == std::endian::little
                                  ? uint64_t{shown}
                                  : uint64_t{shown} << (8 * (token_word_size - 1));
        Scanner &scanner = context_.scanner;
        store_token_word(scanner.next_token_text, word);
        scanner.next_length = 1;
        last_ = at_;
        last_read_after_ = true;
        ++at_;
        return true;
    }
    // The other ways to the next token: a view opened if none is, the plain token at its
    // start, else the general scan.
    void take_in_view_or_scan();
    // Where the view starts, as the input has it ready; false when there is nothing in view
    // (or the fast path is off).
    bool open_view();
    // The plain token at the start of what is left of the view, as take_plain_token finds it;
    // false, with nothing taken, when there is none or it holds a line feed.
    bool take_in_view();
    void settle_taken();
    // settle, then the general scan.
    void scan();

    ParserContext &context_;
    const char *start_ = nullptr; // where the view began: the input stands there still
    const char *at_ = nullptr;    // where the next token begins; null when no view is open
    const char *end_ = nullptr;
    const char *last_ = nullptr; // where the last token taken began
    bool last_read_after_ = false;
};

} // namespace vornmac
