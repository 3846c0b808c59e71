// Macro definitions (%macro NAME(label)[parameters] up to %mend) and calls of macros,
// with the arguments in their brackets.
#include "check/file_check.hpp"
#include "check/token_text.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>

namespace vornmac::check {

// %macro NAME(label)[parameters]: read as the definition reads it, `%` and `&` off.
void FileCheck::macro_header(Position at) {
    Token token = take(false);
    MacroShape shape;
    shape.name = std::string(trimmed(token.text));
    const bool joined = !ends_in_white(token.text);
    token = take(false);
    if (joined && first_of(token) == '(') {
        while (token.kind != TokenKind::end && first_of(token) != ')')
            token = take(false);
        token = take(false);
    }
    if (first_of(token) == '[') {
        token = take(false);
        bool named_seen = false;
        while (token.kind != TokenKind::end && first_of(token) != ']') {
            const std::string parameter(trimmed(token.text));
            state_.set_variables.insert(fold_name(parameter));
            token = take(false);
            if (first_of(token) == '=') {
                while (token.kind != TokenKind::end && first_of(token) != ',' &&
                       first_of(token) != ']')
                    token = take(false);
                shape.named.push_back(parameter);
                named_seen = true;
            } else {
                if (named_seen)
                    error(at,
                          "macro " + shape.name + ": a positional parameter follows a named one",
                          "macro-parameters");
                ++shape.positional;
            }
            if (first_of(token) == ',') {
                token = take(false);
            } else if (first_of(token) != ']') {
                error(token.start,
                      "macro " + shape.name + ": a parameter must be followed by , or ]",
                      "macro-parameters");
                break;
            }
        }
        token = take(false);
    }
    Frame body = opened(Block::macro_body, at, shape.name);
    state_.defined[fold_name(shape.name)] = std::move(shape);
    push(std::move(body));
    in_quotes_ = false;
    if (token.kind == TokenKind::other && token.text == "%")
        on_trigger(token); // the body begins with a % word, which acts when the body runs
    else if (token.kind != TokenKind::end)
        pending_ = token;
}

void FileCheck::mend(Position at) {
    if (!in_body()) {
        error(at, "%mend without %macro", "stray-mend");
        return;
    }
    while (stack_.back().block != Block::macro_body) {
        if (stack_.back().block != Block::if_after_then) report_unclosed(stack_.back());
        stack_.pop_back();
    }
    const std::string macro_name = stack_.back().name;
    stack_.pop_back();
    in_quotes_ = false;
    after_end_ = false;
    Token token = take(false);
    if (first_of(token) != ';' && token.kind != TokenKind::end) {
        if (name_compare(std::string(trimmed(token.text)).c_str(), macro_name.c_str()) != 0)
            error(token.start,
                  "%mend " + std::string(trimmed(token.text)) + " closes the macro " + macro_name,
                  "mend-name");
        token = take(false);
        if (first_of(token) != ';')
            error(token.start, "%mend " + macro_name + " must be followed by ;",
                  "mend-without-semicolon");
    }
    if (token.kind != TokenKind::end && first_of(token) != ';') pending_ = token;
}

void FileCheck::call(const std::string &name, Position at, std::string_view word) {
    if (name.rfind("sys_", 0) == 0) return; // a command variable read as program text
    const MacroShape *shape = state_.macro(name);
    if (shape == nullptr) {
        if (in_body())
            state_.body_calls.push_back({file_, at, name});
        else
            error(at,
                  "%" + name +
                      " is no keyword and no macro of the home's libraries or of the "
                      "files checked before it",
                  "unknown-macro");
        return;
    }
    expect_bracket_ = opened(Block::call_args, at, name);
    expect_bracket_->shape = shape;
    expect_bracket_joined_ = !ends_in_white(word);
}

// A token inside the brackets of a call: positional arguments are counted, a named one is
// a name and "=" and must be a parameter of the macro.
void FileCheck::call_argument(Frame &call, const Token &token) {
    const char first = first_of(token);
    const MacroShape &shape = *call.shape;
    if (first == ',' || first == ']') {
        if (call.arguments >= shape.positional && call.state == 1) too_many_arguments(call);
        if (call.state > 0 || first == ',') ++call.arguments;
        call.state = 0;
        if (first == ']') stack_.pop_back();
        return;
    }
    if (call.arguments >= shape.positional && call.state == 0) {
        call.name = std::string(trimmed(token.text));
        call.at = token.start;
    } else if (call.arguments >= shape.positional && call.state == 1) {
        if (first != '=') {
            too_many_arguments(call);
        } else if (std::none_of(shape.named.begin(), shape.named.end(), [&](const std::string &n) {
                       return name_compare(n.c_str(), call.name.c_str()) == 0;
                   })) {
            error(call.at, "the macro " + shape.name + " has no parameter " + call.name,
                  "unknown-argument");
        }
    }
    ++call.state;
}

void FileCheck::too_many_arguments(const Frame &call) {
    const MacroShape &shape = *call.shape;
    error(call.at,
          "the macro " + shape.name + " takes " + std::to_string(shape.positional) +
              " positional argument" + (shape.positional == 1 ? "" : "s") + ": " + call.name +
              " is one more",
          "too-many-arguments");
}

} // namespace vornmac::check
