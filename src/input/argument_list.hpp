// The argument list of a built-in function: the keyword is followed by "(", the arguments
// are runs of tokens that end at a token beginning with "," or ")", and the result is pushed
// back as input, so that the scanner reads it in place of the whole call, followed by as
// many blanks as followed the ")".
//
// Tokens come from the scanner, already expanded, each with its trailing white space; "the
// token" below is always the one just read (the scanner's next-token buffer). Arguments are
// gathered in a text chain. Two rules keep bad input from eating program text:
// - a list that ends with ")" where more arguments were due leaves those arguments empty
//   and reads nothing past the ")";
// - an argument longer than a chain holds (32767 characters) is not cut silently: the call
//   raises error 4631 with the function's label and delivers the empty text.
// Errors are raised through the reporter and may not return (the host's mark); a list is
// left with its tokens read up to the failing one, and nothing allocated.
//
// An argument's text is the tokens' texts joined, so a stretch of input that can only make
// plain tokens is taken into it whole (PlainRun), without making each token; what might
// act (a trigger, a marker, a quote, a comment) or end the argument is left to the tokens.
#pragma once
#include "error/message_format.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vornmac {

class ParserContext;
class TextChain;

// The token just read.
const char *token_text(ParserContext &context);
bool token_begins_with(ParserContext &context, char c);
// Reads the next token, expanding on the way.
void advance(ParserContext &context);
// A copy of the text put through clean_text.
std::string cleaned_text(const char *text);

class PlainRun {
  public:
    // Appends to `text` what the input has ready up to the next token that could act or
    // that begins with one of `enders`, as the tokens in between would append it (capitals
    // folded under _upper), and moves the input past it, lines counted; only when all of
    // it fits within `limit` characters of text. Call it right after a token was read.
    // False, with nothing taken, when no such stretch is ready.
    static bool take(ParserContext &context, std::string &text, std::string_view enders,
                     size_t limit);
};

// How a token of an argument is taken into the argument's text.
enum class TokenForm {
    raw,            // as scanned: quoting markers kept
    cleaned,        // through clean_text: markers dropped, quoted characters restored
    variable_value, // cleaned, then a variable name: its value (optstring) is taken
};

class ArgumentList {
  public:
    // found_token_first: as first_argument, but a token found in place of a missing "(" is
    // left as the first token of the first argument.
    enum class Start { first_argument, at_open, found_token_first };

    // Reads the token after the keyword. It must begin with "(", else `open_error` is raised
    // with `label` and the token found, and reading goes on as if it had been there: the
    // next token is read as the first token of the first argument (with Start::at_open that
    // is left to next_argument(), so that a caller can change the scanner's switches first).
    // `open_error_extra` follows the label and the token among the error's arguments.
    ArgumentList(ParserContext &context, int16_t open_error, const char *label,
                 Start start = Start::first_argument,
                 std::initializer_list<ErrorArg> open_error_extra = {});

    // Passes each token of one argument to `take`, from the token just read up to one that
    // begins with ")", or also "," unless the argument is the last. That token stays the
    // token just read.
    void each_token(bool last, const std::function<void(const char *token)> &take);
    // The tokens of one argument (as each_token) joined in a text chain.
    std::string collect(TokenForm form, bool last);
    // A number argument: an expression up to "," or ")", cleaned, then read as an integer
    // (error 2039 when it is not one).
    int32_t number();
    // Moves past the "(" or "," before an argument. False, reading nothing, once the list
    // has ended with ")".
    bool next_argument();
    bool ended(); // the token just read begins with ")"

    // Appends to a chain of this list, noting a refused (too long) text for deliver().
    void append(TextChain &chain, const char *text);
    // Pushes the result back as input, with end blanks = the trailing blanks of the token
    // just read (normally the ")"). When an argument was too long, 4631 is raised first and
    // the result is the empty text.
    void deliver(const std::string &result);

    const char *label() const { return label_; }

  private:
    ParserContext &context_;
    const char *label_;
    bool too_long_ = false;
};

} // namespace vornmac
