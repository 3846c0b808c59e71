#include "macro/macro_invocation.hpp"

#include "host/parser_context.hpp"
#include "macro/macro_library.hpp"
#include "vars/name_compare.hpp"
#include "vars/var_errors.hpp"

#include <optional>
#include <string>
#include <vector>

namespace vornmac {

namespace {
constexpr int16_t named_argument_without_equals = 169;
constexpr int16_t no_such_named_parameter = 170;
constexpr int16_t call_without_semicolon = 171;
constexpr int16_t macro_not_found = 2009;
constexpr int16_t argument_name_too_long = 4662;
constexpr size_t argument_name_limit = 63;

struct FoundMacro {
    int16_t slot;
    maclib::MacroRecord record;
};

std::string without_trailing_white(const char *text) {
    std::string trimmed = text;
    while (!trimmed.empty() && is_white(static_cast<unsigned char>(trimmed.back())))
        trimmed.pop_back();
    return trimmed;
}

// The first slot that holds the macro, with its record; each slot with a file is opened
// on the way when it is closed, so a broken library is reported even when a later slot
// would have the macro.
std::optional<FoundMacro> locate(ParserContext &context, const char *name) {
    MacroLibrary &library = context.macros;
    const DirectoryEntry *entry = nullptr;
    for (int16_t slot = library.first_slot; slot < library_slot_count; ++slot) {
        const LibrarySlot &library_slot = library.slot(slot);
        if (!library_slot.file_name.empty() && !library_slot.is_open() &&
            !library.open_library_slot(slot, name))
            continue;
        if (entry == nullptr) entry = library.directory.lookup(name);
        if (entry == nullptr) continue;
        const int32_t offset = entry->offsets[static_cast<size_t>(slot)];
        if (offset < 0) continue;
        FoundMacro found{slot, {}};
        if (!library.read_slot_record(slot, offset, found.record)) return std::nullopt;
        return found;
    }
    context.errors.raise(macro_not_found, {without_trailing_white(name).c_str()});
    return std::nullopt;
}

// Reads the argument list after the macro's name and sets the parameters one level above
// the caller: positional ones in order, then named ones, each named one its default
// unless an argument names it.
class ArgumentBinder {
  public:
    ArgumentBinder(ParserContext &context, const maclib::MacroRecord &record)
        : context_(context), scanner_(context.scanner),
          level_(static_cast<int16_t>(context.vars.current_level + 1)) {
        for (const maclib::MacroParameter &parameter : record.parameters) {
            if (parameter.named)
                named_.push_back({parameter.name, parameter.default_text});
            else
                positional_.push_back({parameter.name, ""});
        }
    }

    void bind() {
        advance();
        if (token()[0] == '[') read_argument_list();
        VarStore &vars = context_.vars;
        for (const Binding &b : positional_)
            vars.save(level_, b.name.c_str(), b.value.c_str());
        for (const Binding &b : named_)
            vars.save(level_, b.name.c_str(), b.value.c_str());
    }

  private:
    struct Binding {
        std::string name;
        std::string value;
    };

    const char *token() const { return scanner_.next_token_text; }
    void advance() { scanner_.scan_token(0, 0); }

    // The argument's text: token texts up to a "," or "]", which is left as the token.
    std::string collect_value() {
        std::string value;
        for (; token()[0] != ',' && token()[0] != ']'; advance())
            if (value.size() <= VarStore::max_text) value += token();
        return value;
    }

    void read_argument_list() {
        advance();
        size_t taken = 0;
        while (token()[0] != ']') {
            if (taken < positional_.size()) {
                positional_[taken++].value = collect_value();
            } else {
                read_named_argument();
            }
            if (token()[0] == ',') advance();
        }
        if (context_.vars.optyesno("_macrocolon") == 'y') {
            advance();
            if (token()[0] != ';') context_.errors.raise(call_without_semicolon);
        }
    }

    void read_named_argument() {
        const std::string name = token();
        advance();
        if (token()[0] != '=') {
            context_.errors.raise(named_argument_without_equals, {name.c_str()});
            return;
        }
        Binding *chosen = nullptr;
        if (without_trailing_white(name.c_str()).size() > argument_name_limit) {
            context_.errors.raise(argument_name_too_long, {name.c_str()});
        } else {
            for (Binding &b : named_)
                if (chosen == nullptr && name_compare(b.name.c_str(), name.c_str()) == 0)
                    chosen = &b;
            if (chosen == nullptr) context_.errors.raise(no_such_named_parameter, {name.c_str()});
        }
        advance();
        std::string value = collect_value();
        if (chosen != nullptr) chosen->value = std::move(value);
    }

    ParserContext &context_;
    Scanner &scanner_;
    int16_t level_;
    std::vector<Binding> positional_;
    std::vector<Binding> named_;
};
} // namespace

void invoke_macro(ParserContext &context, const char *name) {
    const std::string called = name; // the scanner's buffers change while arguments are read
    const int16_t blanks = trailing_blanks(called.c_str());
    std::optional<FoundMacro> found = locate(context, called.c_str());
    if (!found) return;
    if (!found->record.parameters.empty()) {
        // The parameters would live at a level the store refuses, where no level's release
        // would ever find them.
        if (context.vars.current_level + 1 >= VarStore::level_limit) {
            context.errors.raise(var_errors::level_too_deep);
            return;
        }
        ArgumentBinder(context, found->record).bind();
        // A statement among the arguments may have closed the library; look again.
        if (!context.macros.slot(found->slot).is_open()) {
            found = locate(context, called.c_str());
            if (!found) return;
        }
    }
    MacroLibrary &library = context.macros;
    const LibrarySlot &slot = library.slot(found->slot);
    library.current_handle = slot.handle;
    InputStack &in = context.input;
    in.save(0);
    const maclib::MacroHeader &header = found->record.header;
    in.push_macro_text(slot.file_name, found->record.name, slot.handle,
                       static_cast<int32_t>(header.body_offset),
                       static_cast<int32_t>(header.body_end), blanks);
}

} // namespace vornmac
