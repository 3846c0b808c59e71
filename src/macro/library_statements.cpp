// Both slot statements begin alike: the slot number, checked against 1-7, and the slot's
// old file let go, which is refused while macro text is still being read from it.
#include "macro/library_statements.hpp"

#include "error/error_numbers.hpp"
#include "func/expression_values.hpp"
#include "host/parser_context.hpp"

#include <string>

namespace vornmac {

namespace {
// Reads the slot number and the token after it, and lets the slot's file go. -1 when the
// statement cannot go on (its error has been raised).
int16_t release_slot(ParserContext &context, const char *keyword) {
    const int32_t k = number_value(context, context.scanner.advance());
    if (k < 1 || k > library_slot_count) {
        context.errors.raise(
            error::slot_out_of_range,
            {keyword, static_cast<long>(library_slot_count), static_cast<long>(k)});
        return -1;
    }
    context.scanner.advance();
    const auto index = static_cast<int16_t>(k - 1);
    MacroLibrary &library = context.macros;
    const LibrarySlot &slot = library.slot(index);
    if (slot.is_open() && library.supplies_running_text(slot.file_name)) {
        context.errors.raise(error::slot_supplies_text,
                             {keyword, slot.file_name.c_str(), static_cast<long>(k)});
        return -1;
    }
    library.clear_slot(index);
    return index;
}

// `_macro<k>` at the current level, then moved to the saved level so that the variable
// file keeps it for the next run.
void remember_slot(ParserContext &context, int16_t index, const std::string &file_name) {
    const std::string variable = "_macro" + std::to_string(index + 1);
    VarStore &vars = context.vars;
    if (VarLevel *value = vars.save(vars.current_level, variable.c_str(), file_name.c_str()))
        vars.move_var_level(value, -1);
}

} // namespace

void macinstall_statement(ParserContext &context, int16_t /*index*/) {
    const int16_t index = release_slot(context, "%macinstall");
    if (index < 0) return;
    std::string file_name;
    for (const char *token = context.scanner.next_token_text; token[0] != ';';
         token = context.scanner.advance())
        file_name += token;
    // The blanks before the ";" belong to no file name (the original platform dropped them
    // when opening the file).
    while (!file_name.empty() && is_white(static_cast<unsigned char>(file_name.back())))
        file_name.pop_back();
    file_name = with_library_extension(file_name);
    MacroLibrary &library = context.macros;
    library.set_slot_file(index, file_name);
    if (!library.open_library_slot(index, " ")) return;
    remember_slot(context, index, file_name);
}

void macremove_statement(ParserContext &context, int16_t /*index*/) {
    const int16_t index = release_slot(context, "%macremove");
    if (index >= 0) remember_slot(context, index, "");
}

void macdelete_statement(ParserContext &context, int16_t /*index*/) {
    context.scanner.advance();
    if (!context.macros.open_definition_file()) return;
    for (const char *token = context.scanner.next_token_text; token[0] != ';';
         token = context.scanner.advance())
        if (!context.macros.delete_macro(token)) return;
}

} // namespace vornmac
