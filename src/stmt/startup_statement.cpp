#include "stmt/startup_statement.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"

#include <algorithm>
#include <string>

namespace vornmac {

namespace {
constexpr size_t item_limit = 199;
constexpr int16_t first_bound_entry = 2; // entries 0 and 1 are not the program's own

std::string without_trailing_blanks(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

bool is_variable_name(const std::string &name) {
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return is_name_char(static_cast<unsigned char>(c)); });
}

class StartupBinder {
  public:
    explicit StartupBinder(ParserContext &context) : context_(context) {}

    void bind_item(const std::string &item) {
        if (item.find('=') != std::string::npos) {
            named_seen_ = true;
            bind_assignment(item);
            return;
        }
        if (named_seen_) {
            context_.errors.raise(error::positional_name_after_named);
            return;
        }
        if (positional_ >= context_.argc - first_bound_entry) {
            context_.errors.raise(error::too_few_program_arguments);
            return;
        }
        const std::string name = without_trailing_blanks(item);
        if (!is_variable_name(name)) {
            context_.errors.raise(error::bad_positional_name, {item.c_str()});
            return;
        }
        context_.vars.save(0, name.c_str(), argument(first_bound_entry + positional_));
        ++positional_;
    }

    // The arguments no positional name took must each be name=value.
    void bind_remaining_arguments() {
        for (int entry = first_bound_entry + positional_; entry <= context_.argc; ++entry) {
            const std::string text = argument(entry);
            if (text.find('=') == std::string::npos)
                context_.errors.raise(error::argument_without_equals, {text.c_str()});
            else
                bind_assignment(text);
        }
    }

  private:
    const char *argument(int entry) const {
        const char *text = context_.argv[static_cast<size_t>(entry)];
        return text != nullptr ? text : "";
    }

    // name=value: the name (trailing blanks dropped) gets the text after the first "=".
    void bind_assignment(const std::string &text) {
        const size_t equals = text.find('=');
        const std::string name = without_trailing_blanks(text.substr(0, equals));
        if (!is_variable_name(name)) {
            context_.errors.raise(error::bad_startup_name, {text.c_str()});
            return;
        }
        context_.vars.save(0, name.c_str(), text.c_str() + equals + 1);
    }

    ParserContext &context_;
    int positional_ = 0;
    bool named_seen_ = false;
};
} // namespace

void startup_statement(ParserContext &context, int16_t) {
    Scanner &scanner = context.scanner;
    const char *token = scanner.next_token_text;
    StartupBinder binder(context);
    scanner.scan_token(0, 0);
    if (token[0] == '[') {
        scanner.scan_token(0, 0);
        while (token[0] != ']') {
            if (token[0] == ',') {
                scanner.scan_token(0, 0);
                continue;
            }
            std::string item;
            for (; token[0] != ',' && token[0] != ']'; scanner.scan_token(0, 0))
                if (item.size() <= item_limit) item += token;
            if (item.size() > item_limit)
                context.errors.raise(error::startup_item_too_long,
                                     {item.substr(0, item_limit).c_str()});
            else
                binder.bind_item(item);
        }
    }
    binder.bind_remaining_arguments();
    if (token[0] == ']') scanner.scan_token(0, 0);
}

} // namespace vornmac
