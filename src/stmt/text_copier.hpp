// The text copiers that %if, the loops and the selection share. Control statements are not
// run in place: while expansion is off they copy the unexpanded text of the part they
// choose into a StatementText (and skip the rest token by token), then hand the copy back
// to the scanner, which reads it as if it stood in the program.
//
// Every copier starts at the statement's current token (the scanner's look-ahead) and
// takes further tokens raw, markers kept. The mode says what happens to what is read:
// skip drops it, copy keeps it, loop_body keeps it and writes the block's closing %end as
// the rewind statement "%doend## ". Input that ends before the `;` or `%end` a copier looks
// for ends the request through the input stack's end-of-input rule, so no copier can spin.
#pragma once
#include "stmt/statement_text.hpp"

#include <cstdint>

namespace vornmac {

enum class CopyMode : int16_t { skip = 0, copy = 1, loop_body = 3 };

// Whether a copied branch keeps a `;`: it does when it is a macro statement.
enum class BranchStart : int16_t { text = 0, percent = 1, statement = 2 };

class TextCopier {
  public:
    TextCopier(ParserContext &context, StatementText &buffer) : context_(context), out_(buffer) {}

    // Starts a branch at the current token: notes whether it begins with `%`.
    void start_branch();
    // The text that ends a copied branch: ";" after a macro statement, " " otherwise.
    const char *branch_terminator() const;

    // One statement up to (not including) its `;`, one block to its %end, or one nested
    // %if with its %else. At return the current token is that `;`, or, after a nested %if
    // without %else, the token read ahead, which has been handed back to be read again.
    void statement(CopyMode mode, bool in_branch);
    // From a `(` to its matching `)`; the token after it becomes current.
    void parenthesised(CopyMode mode);
    void nested_if(CopyMode mode);
    // From the block's opening word (the current token) to its matching %end or %doend.
    void block(CopyMode mode, bool in_branch);
    // The caller tells itself of a block the input ends in (a selection's branch, which
    // comes in as "%do;").
    void leave_blocks_open_to_caller() { guards_blocks_ = false; }

  private:
    void append(CopyMode mode, const char *text);
    void append_word(CopyMode mode, const char *word);
    void note_first_word(const char *word);
    const char *block_name(const char *word) const;

    ParserContext &context_;
    StatementText &out_;
    BranchStart branch_start_ = BranchStart::text;
    bool guards_blocks_ = true;
};

// Reads tokens into a text that begins with "(" up to `%word` or, when asked, up to a `;`
// (neither is copied), closes it with ")" and the sentinel marker 0x01 0x01 that no
// expression reads past, and tells where it stopped.
struct CollectedCondition {
    bool stopped_at_semicolon;
};
CollectedCondition collect_condition(ParserContext &context, StatementText &out, const char *word,
                                     bool stop_at_semicolon);

// A word after `%` that opens a block the copiers must match with its %end.
bool opens_block(const char *word);

} // namespace vornmac
