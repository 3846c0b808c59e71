// The growing text a statement collects or copies: a text chain that remembers a refused
// append (a chain holds at most 32767 characters). The handler still reads its statement
// to the end and then reports one error, rather than using a text that was cut short.
#pragma once
#include "input/text_chain.hpp"
#include "stmt/statement_tokens.hpp"

namespace vornmac {

class StatementText {
  public:
    explicit StatementText(ParserContext &context);

    void append(const char *text);
    bool overflowed() const { return overflowed_; }
    const TextChain &chain() const { return chain_; }
    // Raises the overflow error for the keyword when an append was refused; true then.
    bool report_overflow(const char *keyword);
    // Sets the variable at the level to the text.
    void store(int16_t level, const char *name);
    // Hands the text back to the scanner, to be read next as if it stood at the position;
    // `end_blanks` blanks follow it.
    void push(SourcePosition at, int16_t end_blanks = 0);

  private:
    ParserContext &context_;
    TextChain chain_;
    bool overflowed_ = false;
};

// Pushes a plain text the same way.
void push_text_back(ParserContext &context, const char *text, SourcePosition at);

} // namespace vornmac
