#include "macro/macro_invocation.hpp"

#include "error/error_numbers.hpp"
#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"
#include "macro/arguments_in_view.hpp"
#include "macro/macro_library.hpp"
#include "vars/name_compare.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vornmac {

namespace {
constexpr size_t argument_name_limit = 63;
// Searches of one slot again after its file changed, before the call gives up on it.
constexpr int stale_search_limit = 100;

struct FoundMacro {
    int16_t slot;
    std::shared_ptr<const CalledMacro> called;
};

// Whether `name` is spelled as `kept` (which holds no zero byte): a character loop, as
// names are short.
bool spelled_alike(const std::string &kept, const char *name) {
    size_t i = 0;
    for (; i < kept.size(); ++i)
        if (kept[i] != name[i]) return false;
    return name[i] == '\0';
}

std::string without_trailing_white(const char *text) {
    std::string trimmed = text;
    while (!trimmed.empty() && is_white(static_cast<unsigned char>(trimmed.back())))
        trimmed.pop_back();
    return trimmed;
}

// The first slot that holds the macro, with its record; each slot with a file is opened
// on the way when it is closed, so a broken library is reported even when a later slot
// would have the macro. A slot whose file another run changed has its names read again, and
// is searched again when that happens between its names and its record.
std::optional<FoundMacro> locate(ParserContext &context, const char *name) {
    MacroLibrary &library = context.macros;
    MacroCalls::Located &last = context.macro_calls.located;
    const bool same_name = context.input.fast_paths.macro_records && last.entry != nullptr &&
                           spelled_alike(last.name, name);
    const DirectoryEntry *entry = same_name ? last.entry : nullptr;
    int changes_met = 0;
    for (int16_t slot = library.first_slot; slot < library_slot_count; ++slot) {
        if (!library.refresh_slot(slot, name)) continue;
        if (entry == nullptr) entry = library.directory.lookup(name);
        if (entry == nullptr) continue;
        const int32_t offset = entry->offsets[static_cast<size_t>(slot)];
        if (offset < 0) continue;
        const uint32_t generation = library.slot(slot).generation;
        if (same_name && last.slot == slot && last.offset == offset &&
            last.generation == generation) {
            library.current_handle = library.slot(slot).handle;
            return FoundMacro{slot, last.called};
        }
        bool stale = false;
        std::shared_ptr<const CalledMacro> called = library.called_macro(slot, offset, stale);
        if (called) {
            if (context.input.fast_paths.macro_records)
                last = {name, entry, slot, offset, library.slot(slot).generation, called};
            return FoundMacro{slot, std::move(called)};
        }
        if (!stale) return std::nullopt;
        // Each change met is an update another run finished meanwhile, so they end; a file
        // changed faster than it can be read is one that cannot be used.
        if (++changes_met == stale_search_limit) {
            context.errors.raise(error::library_slot_not_opened,
                                 {library.slot(slot).file_name.c_str(), name});
            return std::nullopt;
        }
        --slot;
    }
    context.errors.raise(error::macro_not_found, {without_trailing_white(name).c_str()});
    return std::nullopt;
}

// Reads the argument list after the macro's name and sets the parameters one level above
// the caller: positional ones in order, then named ones, each named one its default
// unless an argument names it.
class ArgumentBinder {
  public:
    ArgumentBinder(ParserContext &context, const CalledMacro &called)
        : context_(context), scanner_(context.scanner), parameters_(called.record.parameters),
          names_(called.parameter_names), positional_count_(called.record.header.positional_count),
          count_(parameters_.size()), lease_(context.macro_calls), arguments_(lease_.texts()),
          level_(static_cast<int16_t>(context.vars.current_level + 1)) {
        if (arguments_.size() < count_) arguments_.resize(count_);
        if (names_.empty())
            for (const maclib::MacroParameter &parameter : parameters_)
                names_.emplace_back(parameter.name.c_str());
        // Each parameter starts as its default: "" for a positional one.
        for (size_t i = 0; i < positional_count_; ++i)
            arguments_[i].clear();
        for (size_t i = positional_count_; i < count_; ++i)
            arguments_[i].assign(parameters_[i].default_text);
    }

    void bind(const char *macro_name, OpenAt call_at) {
        bool listed = take_arguments_in_view(context_, arguments_, positional_count_);
        // The "]" token, plain where it is in view; else read as the list's last token,
        // which the input may end in.
        if (listed && !scanner_.scan_plain_token()) {
            const OpenConstruct open(context_, call_at, "%", macro_name, "[", "]");
            advance();
        }
        if (!listed) {
            advance();
            listed = token()[0] == '[';
            if (listed) {
                const OpenConstruct open(context_, call_at, "%", macro_name, "[", "]");
                read_argument_list();
            }
        }
        if (listed) {
            // With _macrocolon the call ends with a ";".
            if (context_.vars.optyesno(context_.macro_calls.macrocolon) == 'y') {
                advance();
                if (token()[0] != ';') context_.errors.raise(error::call_without_semicolon);
            }
        }
        if (context_.trace.on()) [[unlikely]]
            for (size_t i = 0; i < count_; ++i)
                context_.trace.note_argument(parameters_[i].name, value_of(i));
        // Positional parameters come first in the record, so this is their order and then
        // the named ones'.
        for (size_t i = 0; i < count_; ++i)
            context_.vars.save(level_, names_[i], arguments_[i]);
    }

  private:
    const char *value_of(size_t i) const { return arguments_[i].c_str(); }

    const char *token() const { return scanner_.next_token_text; }
    void advance() { scanner_.scan_token(0, 0); }

    // The argument's text: token texts up to a "," or "]", which is left as the token.
    // A text longer than a variable holds is refused when it is saved.
    void collect_value(std::string &value) {
        value.clear();
        for (; token()[0] != ',' && token()[0] != ']'; advance()) {
            if (value.size() <= VarStore::max_text) value += token();
            PlainRun::take(context_, value, ",]", VarStore::max_text);
        }
    }

    void read_argument_list() {
        advance();
        size_t taken = 0;
        while (token()[0] != ']') {
            if (taken < positional_count_) {
                collect_value(arguments_[taken++]);
            } else {
                read_named_argument();
            }
            if (token()[0] == ',') advance();
        }
    }

    void read_named_argument() {
        const std::string name = token();
        advance();
        if (token()[0] != '=') {
            context_.errors.raise(error::named_argument_without_equals, {name.c_str()});
            return;
        }
        size_t chosen = parameters_.size();
        if (without_trailing_white(name.c_str()).size() > argument_name_limit) {
            context_.errors.raise(error::argument_name_too_long, {name.c_str()});
        } else {
            for (size_t i = positional_count_;
                 i < parameters_.size() && chosen == parameters_.size(); ++i)
                if (name_compare(parameters_[i].name.c_str(), name.c_str()) == 0) chosen = i;
            if (chosen == parameters_.size())
                context_.errors.raise(error::no_such_named_parameter, {name.c_str()});
        }
        advance();
        if (chosen != parameters_.size()) {
            collect_value(arguments_[chosen]);
        } else {
            std::string unused;
            collect_value(unused);
        }
    }

    ParserContext &context_;
    Scanner &scanner_;
    const std::vector<maclib::MacroParameter> &parameters_;
    std::vector<KnownName> &names_;
    size_t positional_count_;
    size_t count_; // of parameters
    MacroCalls::Lease lease_;
    // The argument's text, or else the default, for each parameter.
    ArgumentTexts &arguments_;
    int16_t level_;
};

void call_macro(ParserContext &context, const char *name) {
    const OpenAt call_at = OpenAt::trigger(context);
    const int16_t blanks = trailing_blanks(name);
    std::optional<FoundMacro> found = locate(context, name);
    if (!found) return;
    MacroLibrary &library = context.macros;
    if (!found->called->record.parameters.empty()) {
        // The parameters would live at a level the store refuses, where no level's release
        // would ever find them.
        if (context.vars.current_level + 1 >= VarStore::level_limit) {
            context.errors.raise(error::levels_too_deep);
            return;
        }
        const uint32_t generation = library.slot(found->slot).generation;
        ArgumentBinder(context, *found->called).bind(name, call_at);
        // A statement among the arguments may have closed the library, or another run
        // changed it: the body is the one the library holds now.
        if (library.slot(found->slot).generation != generation) {
            found = locate(context, name);
            if (!found) return;
        }
    }
    const LibrarySlot &slot = library.slot(found->slot);
    library.current_handle = slot.handle;
    InputStack &in = context.input;
    in.save();
    const maclib::MacroRecord &record = found->called->record;
    in.push_macro_text(
        slot.file_name, record.name, slot.handle, static_cast<int32_t>(record.header.body_offset),
        static_cast<int32_t>(record.header.body_end), blanks, found->called, &found->called->body);
}

} // namespace

ArgumentTexts &MacroCalls::add_buffer() {
    buffers_.push_back(std::make_unique<ArgumentTexts>());
    return *buffers_.back();
}

void invoke_macro(ParserContext &context, const char *name) {
    run_traced(context, VORNMAC_TRACE_MACRO, name, [&] { call_macro(context, name); });
}

} // namespace vornmac
