#include "stmt/dispatch.hpp"

#include "host/parser_context.hpp"
#include "macro/macro_invocation.hpp"
#include "stmt/keyword_table.hpp"

#include <cstring>
#include <string>

namespace vornmac {

namespace {
constexpr int16_t not_a_command_variable = 162;
constexpr int16_t command_digit_out_of_range = 163;
constexpr int16_t nested_too_deep = 4642;
constexpr int16_t dispatch_depth_limit = 500;

// Counts one handler running inside the scan of another, also when it leaves by an error.
class DispatchLevel {
  public:
    explicit DispatchLevel(int16_t &depth) : depth_(depth) { ++depth_; }
    ~DispatchLevel() { --depth_; }
    DispatchLevel(const DispatchLevel &) = delete;
    DispatchLevel &operator=(const DispatchLevel &) = delete;

  private:
    int16_t &depth_;
};

// %sys_c1 to %sys_c5: the command variable's text is read as program input.
void read_command_variable(ParserContext &context, const char *name) {
    if (name[4] != 'c') {
        context.errors.raise(not_a_command_variable);
        return;
    }
    if (name[5] < '1' || name[5] > '5') {
        context.errors.raise(command_digit_out_of_range);
        return;
    }
    const std::string variable = std::string("sys_c") + name[5];
    InputStack &in = context.input;
    in.substitute(name, [&] {
        in.save();
        in.push_text(name, context.vars.optstring(variable.c_str()), 0);
    });
}
} // namespace

void dispatch_keyword(ParserContext &context, const char *name) {
    const DispatchLevel level(context.scanner.dispatch_depth);
    if (context.scanner.dispatch_depth > dispatch_depth_limit) {
        // The word is consumed and nothing runs; the text after it is read as it stands.
        context.errors.raise(nested_too_deep, {static_cast<int>(dispatch_depth_limit)});
        return;
    }
    const int16_t index = find_keyword(name);
    if (index < 0) {
        handle_undefined_word(context, name);
        return;
    }
    const Keyword &keyword = keyword_table()[static_cast<size_t>(index)];
    const int kind = keyword.statement ? VORNMAC_TRACE_STATEMENT : VORNMAC_TRACE_FUNCTION;
    run_traced(context, kind, keyword.name, [&] {
        if (keyword.handler != nullptr) keyword.handler(context, index);
    });
}

void handle_undefined_word(ParserContext &context, const char *name) {
    // The "sys_" test is case-sensitive: %SYS_c1 is a macro call.
    if (std::strncmp(name, "sys_", 4) != 0) {
        invoke_macro(context, name);
        return;
    }
    run_traced(context, VORNMAC_TRACE_COMMAND_VARIABLE, name,
               [&] { read_command_variable(context, name); });
}

} // namespace vornmac
