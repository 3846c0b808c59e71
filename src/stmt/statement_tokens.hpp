// How statement handlers read their own words. A handler runs after the scanner has
// consumed `%` and the keyword; it then takes token after token with the same scanner, so
// every word arrives expanded (unless the handler has turned expansion off) and carries the
// white space that followed it. The token a handler looks at is the scanner's look-ahead
// buffer: the host's current token is never touched.
//
// Tests on a token look at its first character only, except where a lone character is
// asked for; words are compared with the name comparison (case-insensitive, trailing white
// space ignored).
#pragma once
#include "input/quoting_bytes.hpp"

#include <cstddef>
#include <cstdint>

namespace vornmac {

class ParserContext;

// The longest variable name a statement sets (%let and its kin, %do, %makevar, %setbyte,
// %setstring): statements keep names in buffers of 60 bytes.
inline constexpr size_t statement_name_limit = 59;

// The token the handler is looking at.
char *statement_token(ParserContext &context);
// Scans the next token, quoting markers kept, and returns it.
const char *take_token(ParserContext &context);
// Scans the next token with marker tokens skipped and a quoted character restored: the
// reader for names.
const char *take_name_token(ParserContext &context);

bool begins_with(const char *token, char c);
bool is_lone(const char *token, char c);
bool is_word(const char *token, const char *word);
bool is_marker(const char *token);
// The code byte of a marker token; odd codes open a quoted stretch, even ones close it.
int marker_code(const char *token);
// How a token moves the quoting depth that statements read to their ";" with (a ";" in a
// quoted stretch does not end them): 1 for an opening marker, -1 for a closing one, else 0.
int quoting_step(const char *token);

// Turns the scanner's expansion switch off for a while and restores it when restore() is
// called or the scope ends, whichever comes first, so that an error that leaves a handler
// early never leaves `%` and `&` dead for the rest of the program.
class ExpansionOff {
  public:
    explicit ExpansionOff(ParserContext &context);
    ~ExpansionOff() { restore(); }
    ExpansionOff(const ExpansionOff &) = delete;
    ExpansionOff &operator=(const ExpansionOff &) = delete;
    void restore();

  private:
    ParserContext &context_;
    bool saved_;
    bool restored_ = false;
};

// The reading position of the top source, as handed to the re-read operation.
struct SourcePosition {
    int16_t line;
    int16_t column;
};
SourcePosition current_position(ParserContext &context);

} // namespace vornmac
