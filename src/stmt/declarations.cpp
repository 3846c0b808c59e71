// Each statement here takes the tokens up to its ";" as variable names, one per token,
// each name with the white space that followed it (names compare without it).
//
// A level move finds the variable's visible value and moves it to the target level; the
// variable store settles what becomes of a value already there and drops the values
// above. A variable without a visible value is created empty at the target level.
// %local gives a variable an empty value at the current level unless it has one there.
// %dosenv copies the environment variable NAME (letters a-z raised) into "__name".
#include "stmt/declarations.hpp"

#include "host/parser_context.hpp"
#include "platform/environment.hpp"
#include "stmt/statement_tokens.hpp"

#include <string>

namespace vornmac {

namespace {
// Names of this length and more are skipped by %dosenv, without a message.
constexpr size_t environment_name_limit = 34;
constexpr int16_t global_level = 0;
constexpr int16_t saved_level = -1;

template <typename Each> void for_each_name(ParserContext &context, Each each) {
    for (const char *token = take_token(context); !begins_with(token, ';');
         token = take_token(context))
        each(token);
}

void move_names_to(ParserContext &context, int16_t target) {
    VarStore &vars = context.vars;
    for_each_name(context, [&](const char *name) {
        VarLevel *visible = vars.find_var_level(vars.current_level, name);
        if (visible == nullptr)
            vars.save(target, name, "");
        else
            vars.move_var_level(visible, target);
    });
}
} // namespace

void global_statement(ParserContext &context, int16_t /*index*/) {
    move_names_to(context, global_level);
}

void savevar_statement(ParserContext &context, int16_t /*index*/) {
    move_names_to(context, saved_level);
}

void prevlevel_statement(ParserContext &context, int16_t /*index*/) {
    const int16_t level = context.vars.current_level;
    move_names_to(context, level >= 1 ? static_cast<int16_t>(level - 1) : global_level);
}

void local_statement(ParserContext &context, int16_t /*index*/) {
    VarStore &vars = context.vars;
    for_each_name(context, [&](const char *name) {
        const VarLevel *visible = vars.find_var_level(vars.current_level, name);
        if (visible == nullptr || visible->level != vars.current_level)
            vars.save(vars.current_level, name, "");
    });
}

void dosenv_statement(ParserContext &context, int16_t /*index*/) {
    VarStore &vars = context.vars;
    for_each_name(context, [&](const char *token) {
        std::string name = token;
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (name.size() >= environment_name_limit) return;
        std::string upper = name;
        for (char &c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        const char *value = platform::environment_value(upper.c_str());
        vars.save(vars.current_level, ("__" + name).c_str(), value != nullptr ? value : "");
    });
}

} // namespace vornmac
