#include "macro/macro_definition.hpp"

#include "error/error_numbers.hpp"
#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "macro/macro_library.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace vornmac {

namespace {
constexpr size_t name_limit = 63;

// Off while the statement is read: `%` and `&` are plain tokens and apostrophes do not
// open quoted text. Whatever ends the reading, they are on and off again afterwards.
class RawReading {
  public:
    explicit RawReading(Scanner &scanner) : scanner_(scanner) {
        scanner_.triggers_active = false;
        scanner_.quote_protection = 1;
    }
    ~RawReading() {
        scanner_.triggers_active = true;
        scanner_.quote_protection = 0;
    }
    RawReading(const RawReading &) = delete;
    RawReading &operator=(const RawReading &) = delete;

  private:
    Scanner &scanner_;
};

std::string trailing_white(const char *text) {
    const char *end = text + std::char_traits<char>::length(text);
    const char *start = end;
    while (start > text && is_white(static_cast<unsigned char>(start[-1])))
        --start;
    return std::string(start, end);
}

class DefinitionReader {
  public:
    explicit DefinitionReader(ParserContext &context)
        : context_(context), scanner_(context.scanner) {}

    maclib::MacroDefinition read() {
        {
            RawReading raw(scanner_);
            read_name();
            read_label();
            read_parameters();
            read_body();
        }
        // Positional parameters are stored first even when a named one came before them.
        std::stable_partition(definition_.parameters.begin(), definition_.parameters.end(),
                              [](const maclib::MacroParameter &p) { return !p.named; });
        return std::move(definition_);
    }

  private:
    const char *token() const { return scanner_.next_token_text; }
    void advance() { scanner_.scan_token(0, 0); }

    // An error is raised at the token where it is met, so a host that goes on after it
    // reads on from there; reading is raw until the raise, triggers on again after it.
    void raise(int16_t number, std::vector<ErrorArg> args) {
        context_.errors.raise(number, std::move(args));
    }

    // Collects token texts up to the first token that begins with one of `enders`.
    std::string collect_until(const char *enders) {
        std::string text;
        for (; std::char_traits<char>::find(enders, 2, token()[0]) == nullptr; advance())
            text += token();
        return text;
    }

    void read_name() {
        advance();
        std::string name = token();
        if (name.size() - trailing_white(name.c_str()).size() > name_limit)
            raise(error::macro_name_too_long, {name});
        if (name.size() > name_limit) name.resize(name_limit);
        definition_.name = name;
        advance();
    }

    // A label follows the name directly: a blank before "(" makes it part of the body.
    void read_label() {
        if (definition_.name.ends_with(' ') || token()[0] != '(') return;
        advance();
        std::string label;
        for (; token()[0] != ')'; advance())
            label += token();
        definition_.label = label;
        advance();
    }

    void read_parameters() {
        if (token()[0] != '[') return;
        advance();
        bool named_seen = false;
        while (token()[0] != ']') {
            maclib::MacroParameter parameter;
            parameter.name = token();
            advance();
            if (token()[0] == '=') {
                advance();
                parameter.default_text = collect_until(",]");
                parameter.named = true;
                named_seen = true;
            } else if (named_seen) {
                raise(error::positional_parameter_after_named, {definition_.name});
            }
            definition_.parameters.push_back(std::move(parameter));
            if (token()[0] == ',')
                advance();
            else if (token()[0] != ']')
                raise(error::bad_parameter_end, {definition_.name, token()});
        }
        advance();
    }

    void read_body() {
        const OpenConstructs::Expecting expecting(context_, "%mend");
        std::string body;
        int depth = 1;
        for (;;) {
            // With the triggers off "%" is a token of its own, with the white space after
            // it, which is not kept: "% 3" is stored as "%3".
            if (token()[0] == '%') {
                advance();
                if (name_compare(token(), "macro") == 0) {
                    ++depth;
                    body += "%macro" + trailing_white(token());
                } else if (name_compare(token(), "mend") == 0) {
                    if (--depth == 0) break;
                    body += "%mend" + trailing_white(token());
                } else {
                    body += std::string("%") + token();
                }
            } else {
                body += token();
            }
            advance();
        }
        read_mend_tail();
        body += maclib::macro_end_marker;
        definition_.body = std::move(body);
    }

    // After the closing %mend: the macro's name may follow, then the ";".
    void read_mend_tail() {
        const OpenConstructs::Expecting closing(context_, ";");
        advance();
        if (token()[0] != ';') {
            if (name_compare(token(), definition_.name.c_str()) != 0)
                raise(error::mend_names_another, {definition_.name, token()});
            advance();
        }
        if (token()[0] != ';') raise(error::mend_without_semicolon, {definition_.name, token()});
    }

    ParserContext &context_;
    Scanner &scanner_;
    maclib::MacroDefinition definition_;
};
} // namespace

void define_macro(ParserContext &context, int16_t) {
    maclib::MacroDefinition definition = DefinitionReader(context).read();
    MacroLibrary &library = context.macros;
    // The new record replaces the newest of its name in one update.
    if (library.open_definition_file()) library.store_macro(std::move(definition));
}

} // namespace vornmac
