#include "macro/arguments_in_view.hpp"

#include "host/parser_context.hpp"
#include "input/lexer.hpp"

#include <array>
#include <string_view>

namespace vornmac {

namespace {
// A "[" or "," token with more white space than this may fill up, and the rest of its white
// space would then begin the argument.
constexpr size_t separator_white_limit = token_limit - 2;

// How the list sees a character: `plain` what an argument's plain tokens take as they stand
// (name characters, white space but line feeds, other characters that do not act), the
// ends of an argument, a reference's trigger, and what only the tokens can read.
enum class InList : unsigned char { refused, plain, comma, close, trigger };

inline constexpr std::array<InList, 256> in_list = [] {
    std::array<InList, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const CharClass kind = char_classes[static_cast<size_t>(c)];
        if (kind == CharClass::name || kind == CharClass::white || kind == CharClass::other)
            table[static_cast<size_t>(c)] = InList::plain;
    }
    table[','] = InList::comma;
    table[']'] = InList::close;
    table['&'] = InList::trigger;
    return table;
}();

InList kind_of(char c) {
    return in_list[static_cast<unsigned char>(c)];
}

bool ends_argument(char c) {
    const InList kind = kind_of(c);
    return kind == InList::comma || kind == InList::close;
}

class ListInView {
  public:
    ListInView(ParserContext &context, ArgumentTexts &texts)
        : context_(context), in_(context.input), ready_(in_.ready()), texts_(texts) {}

    // Reads the list up to its "]", into the texts; false where the tokens must decide.
    bool read(size_t positional_count) {
        if (ready_.empty() || ready_[0] != '[') return false;
        at_ = 1;
        if (!skip_separator_white()) return false;
        while (ready_[at_] != ']') {
            if (taken_ == positional_count || !read_argument(texts_[taken_++])) return false;
            if (ready_[at_] == ',') {
                ++at_;
                if (!skip_separator_white()) return false;
            }
        }
        return true;
    }

    // Steps over the list as its tokens would have, up to the "]".
    void take() {
        in_.take(at_);
        // Each value read in place ends as its pop would leave the reading.
        for (size_t i = 0; i < references_; ++i)
            in_.end_in_place_text();
        if (references_ == 0) return;
        context_.scanner.period_flag = false;
        in_.trigger = {0, in_.live.line, last_trigger_column_, in_.top};
    }

    size_t taken() const { return taken_; }

  private:
    // The white space of a "[" or "," token; the list must go on after it in view.
    bool skip_separator_white() {
        const size_t start = at_;
        while (at_ < ready_.size() &&
               char_classes[static_cast<unsigned char>(ready_[at_])] == CharClass::white)
            ++at_;
        return at_ < ready_.size() && at_ - start <= separator_white_limit;
    }

    bool read_argument(std::string &text) {
        bool fresh = true; // nothing is in `text` yet
        for (;;) {
            const size_t start = at_;
            while (at_ < ready_.size() && kind_of(ready_[at_]) == InList::plain)
                ++at_;
            if (at_ == ready_.size()) return false;
            const InList kind = kind_of(ready_[at_]);
            if (at_ > start || kind != InList::trigger)
                put(text, fresh, ready_.data() + start, at_ - start);
            if (kind != InList::trigger)
                return kind != InList::refused && text.size() <= VarStore::max_text;
            // A reference right after a word's name characters goes on with the word.
            if (at_ > 0 && is_name_char(static_cast<unsigned char>(ready_[at_ - 1]))) return false;
            if (!read_reference(text, fresh)) return false;
        }
    }

    // Each argument's first piece replaces the text it had (cleared, then appended to:
    // cheaper than an assignment, which must allow for a piece inside the text).
    static void put(std::string &text, bool &fresh, const char *piece, size_t length) {
        if (fresh) text.clear();
        text.append(piece, length);
        fresh = false;
    }

    // `&name` and a "," or "]" right after it, its value a run of name characters that a
    // token holds, read in place as the scanner reads a token that begins with a reference.
    bool read_reference(std::string &text, bool &fresh) {
        const size_t trigger_at = at_;
        const std::string_view name =
            ready_.substr(at_ + 1, name_run(ready_.substr(at_ + 1), token_limit - 1));
        const size_t after = at_ + 1 + name.size();
        if (name.empty() || after >= ready_.size() || !ends_argument(ready_[after])) return false;
        if (references_ == 0 && !substitutes_in_place()) return false;
        char word[token_size];
        uint32_t hash = name_hash_seed;
        for (size_t i = 0; i < name.size(); ++i) {
            word[i] = name[i];
            hash = name_hash_step(hash, static_cast<unsigned char>(name[i]));
        }
        word[name.size()] = '\0';
        VarStore &vars = context_.vars;
        const VarLevel *value = vars.find_var_level(vars.current_level, word, hash, name.size());
        if (value == nullptr) return false;
        const size_t length = value->length;
        if (length == 0 || length >= token_limit) return false;
        for (size_t i = 0; i < length; ++i)
            if (!is_name_char(static_cast<unsigned char>(value->text[i]))) return false;
        put(text, fresh, value->text, length);
        // The trigger's column as noted when it is read: the column runs one on for each
        // value read in place before it.
        last_trigger_column_ =
            static_cast<int16_t>(in_.live.column + static_cast<int>(trigger_at + references_) + 1);
        ++references_;
        at_ = after;
        return true;
    }

    // Whether a value may be read in place where the first reference stands: as the scanner
    // asks it, with the silent depth that the "[" token cleared.
    bool substitutes_in_place() {
        const InputStack::Trigger held = in_.trigger;
        in_.trigger.depth = 0;
        const bool in_place = in_.substitutes_in_place();
        in_.trigger = held;
        return in_place;
    }

    ParserContext &context_;
    InputStack &in_;
    const std::string_view ready_;
    ArgumentTexts &texts_;
    size_t at_ = 0;
    size_t taken_ = 0;
    size_t references_ = 0;
    int16_t last_trigger_column_ = 0;
};
} // namespace

bool take_arguments_in_view(ParserContext &context, ArgumentTexts &texts, size_t positional_count) {
    const Scanner &scanner = context.scanner;
    if (!context.input.fast_paths.arguments_in_view || context.trace.on() ||
        context.flags.upper_case || scanner.quote_state != 0 || !scanner.triggers_active)
        return false;
    ListInView list(context, texts);
    if (!list.read(positional_count)) {
        for (size_t i = 0; i < list.taken(); ++i)
            texts[i].clear();
        return false;
    }
    list.take();
    return true;
}

} // namespace vornmac
