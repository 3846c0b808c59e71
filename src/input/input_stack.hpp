// The input stack is the control-flow stack of the whole system. The scanner reads from
// the source on top; pushing a source (an included file, a macro body, a variable's text,
// a statement's result) interrupts the one below, and when the top source is used up it
// is popped and reading resumes exactly where the source below was interrupted.
//
// The source being read is `live`, a SourceState, and `cursor`, where its next character
// is; each slot keeps a saved copy of the state (`save`) that `resume` copies back. A
// source's names never change while it is read, so they are kept in its slot only and never
// copied. Offsets count characters consumed by the scanner (`advance_offset`), which may
// trail the characters read by one: the scanner looks one character ahead and steps back
// (`unread_char`).
//
// A variable's text is read in place, not copied: the store tells the stack before it
// releases a text (`text_released`), and the stack then keeps its own copy of that text
// for the rest of the reading. A source that is resumed finds its variable again by name.
//
// At the end of a source, `end_blanks` more blanks are delivered before it is popped; the
// bottom source delivers one extra line feed. When more input is needed and the stack is
// empty, error 173 is raised (or, while a module is being started, the host's mark gets
// 100); either way InputExhausted ends the request, so nothing ever spins on an empty
// stack.
#pragma once
#include "error/contract.hpp"
#include "input/fast_paths.hpp"
#include "input/input_source.hpp"
#include "vars/var_store.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vornmac {

class ParserContext;
class TextChain;

// How `resume` loads the top slot back.
enum class ResumeMode : int16_t {
    reopen = 0,        // to read on: its file reopened, its variable's text found again
    restore_only = 99, // for the error trace, which unwinds while an error is reported
};

class InputStack final : public TextReader {
  public:
    static constexpr int16_t slot_count = 76;
    static constexpr int32_t terminal_length = 9999999;
    static constexpr int terminal_line_limit = 195; // leaves room for the line-end marker

    explicit InputStack(ParserContext &context);
    ~InputStack();
    InputStack(const InputStack &) = delete;
    InputStack &operator=(const InputStack &) = delete;

    // Pushing. The caller first saves the interrupted source (`save()`); a
    // push that cannot be made (bound of 76 slots, file not found) raises its error and
    // leaves the live source as it was.
    void push_file(const std::string &name);
    // `text` is a variable's stored text (or a text that lives as long as the context): it
    // is read in place.
    void push_text(const char *name, const char *text, int16_t end_blanks);
    void push_text(const char *name, const char *text, size_t length, int16_t end_blanks);
    // A macro body: the bytes from `offset` up to `end` of the library file open as `handle`
    // (the file stays the library's), read one variable level above the caller, followed
    // by the caller's end blanks. `body` holds those bytes as read with the record and lies
    // in what `owner` holds; the source reads them, never the file. `file_name` names the
    // library in traces and checks.
    template <typename Owner>
    void push_macro_text(const std::string &file_name, const std::string &macro_name, int handle,
                         int32_t offset, int32_t end, int16_t end_blanks,
                         const std::shared_ptr<Owner> &owner, const std::string *body) {
        InputSource *source = push_macro_source(macro_name, handle, offset, end, end_blanks, body);
        // A slot mostly holds the body of the same macro's last call already: that one is the
        // same object, since the slot keeps it alive, and the slot has its names, unless an
        // error trace blanked them.
        if (source != nullptr && (source->body.get() != body || source->names_blanked)) {
            source->body = std::shared_ptr<const std::string>(owner, body);
            source->current_name = macro_name;
            source->source_name = file_name;
            source->names_blanked = false;
        }
    }
    // Stores the text (or the chain's text, releasing the chain) as "_TEMP<slot + 1>" at
    // the current level and pushes it to be read at the given line and column.
    void reread_text(int16_t slot, TextChain *chain, int16_t end_blanks, int16_t line,
                     int16_t column, const std::string &text);
    // Substitutions. The text of a reference or a command variable belongs inside the
    // source its trigger was read from, but that source may be used up, and popped, while
    // the name is read: a variable whose text ends in a reference to itself never fills
    // the stack. `silent_depth` counts this nesting since a token was last completed; the
    // scanner notes it for each trigger (`note_trigger`) and clears it with each token
    // (`token_completed`). Only a reference cycle nests that deep without a token, so at
    // the stack's bound it is stopped with error 4609: `push` (which saves the live source
    // and pushes the text) is then not run.
    //
    // The chain also notes which substitutions read a command variable (`command`: its
    // digit, 0 for any other text), so that its cycles can be refused before they nest:
    // see read_command_variable.
    void note_trigger() { trigger = {live.silent_depth, live.line, live.column, top}; }
    void token_completed() { live.silent_depth = trigger.depth = 0; }
    template <typename Push> void substitute(const char *name, Push push, char command = 0) {
        const auto depth = static_cast<int16_t>(trigger.depth + 1);
        // Nesting that really fills the stack is refused by the push itself (4604).
        if (depth >= slot_count && top + 1 < slot_count) {
            refuse_cycle(name, depth);
            return;
        }
        const int16_t before = top;
        push();
        if (top > before) {
            live.silent_depth = depth;
            chain_commands_[static_cast<size_t>(depth)] = command;
        }
    }

    // A text that would be pushed now by `substitute`, read to its end and popped, can be
    // read in place instead when the live source comes back from its slot unchanged: a
    // file-like source, open, not the terminal, or a variable's text that resume would find
    // as it stands; with room for the push and no cycle to refuse. Nothing may run while
    // such a text is read in place.
    bool substitutes_in_place() {
        if (top + 1 >= slot_count || trigger.depth + 1 >= slot_count) return false;
        return live.kind == SourceKind::text ? text_resumes_unchanged()
                                             : !interactive && live.handle > 0;
    }
    // What popping the text read in place leaves changed: resume's drop of the level above,
    // and the column, which runs one on where the text ended (see check_source_end).
    void end_in_place_text() {
        drop_above_current_level();
        ++live.column;
    }

    // The main program becomes slot 0 at the global level: a file, host text stored as
    // _TEMP0, or the terminal when both are absent. False when the file cannot be found or
    // the text is longer than a variable may be.
    bool open_main(const char *file_name, const char *text);

    // Stores the live source in the top slot (slot 0 while the stack is empty).
    void save();
    // Reads the top source again from its start: saved with offset 0, then resumed. A
    // caller that has found the top variable text's value through a handle passes it,
    // which spares the search by name (a value with any other text, or none, is looked up
    // as resume does).
    void rewind(const VarLevel *known = nullptr);
    void pop();
    // Removes the top slot: its rest is never read. A program file it reads is closed.
    void drop();
    void resume(ResumeMode mode = ResumeMode::reopen);

    // Character reading. next_char and read_char are called for every byte of a program:
    // they take the common case inline (a character waiting in the file buffer or the
    // variable text, not a carriage return, not the end of the source) and leave every
    // other case to the general step beside them, which gives the same result for it too.
    unsigned char next_char() {
        if (fast_paths.reads && live.offset != live.length) {
            if (live.kind == SourceKind::text) {
                if (cursor.text_position < cursor.text_size)
                    return static_cast<unsigned char>(cursor.text[cursor.text_position++]);
            } else if (!interactive && live.buffer_position < cursor.window_size) {
                return static_cast<unsigned char>(
                    cursor.window[static_cast<size_t>(live.buffer_position++)]);
            }
        }
        return next_char_general();
    }
    unsigned char next_char_general();
    void unread_char();
    void advance_offset() {
        if (live.offset < live.length)
            ++live.offset;
        else
            --live.end_blanks;
    }
    void fold_cr();
    void check_source_end();
    // next_char, fold_cr, check_source_end and one column on: the scanner's unit of reading.
    void read_char() {
        ch = next_char();
        // Neither has anything to do unless the character is a carriage return or the
        // source is used up.
        if (!fast_paths.reads || ch == '\r' || live.offset == live.length) {
            fold_cr();
            check_source_end();
        }
        ++live.column;
    }
    // The characters the general steps would read next, straight from the file buffer or
    // the variable text and never past the end of the source. Empty whenever only the
    // general steps can read on: fast reads off, the terminal, a buffer to refill, the end
    // of the source. The scanner takes whole runs of plain characters from it.
    std::string_view ready() const { return fast_paths.reads ? in_view() : std::string_view{}; }
    // What ready() gives with fast reads on. A loop's record steps over its header through
    // take() whether or not fast reads are on, so this is take()'s bound.
    std::string_view in_view() const {
        if (live.offset >= live.length) return {};
        const auto before_end = static_cast<size_t>(live.length - live.offset);
        if (live.kind == SourceKind::text) {
            const size_t at = std::min(cursor.text_position, cursor.text_size);
            return {cursor.text + at, std::min(cursor.text_size - at, before_end)};
        }
        if (interactive || live.buffer_position >= cursor.window_size) return {};
        return {
            cursor.window + live.buffer_position,
            std::min(static_cast<size_t>(cursor.window_size - live.buffer_position), before_end)};
    }
    // Steps over the first `count` (at least one) characters of in_view() as read_char and
    // advance_offset would over each; the last one becomes the current character. Line
    // feeds among them are the caller's to count.
    void take(size_t count) {
        VORNMAC_ASSERT(count >= 1 && count <= in_view().size());
        const auto taken = static_cast<int32_t>(count);
        if (live.kind == SourceKind::text) {
            ch = static_cast<unsigned char>(cursor.text[cursor.text_position + count - 1]);
            cursor.text_position += count;
        } else {
            ch = static_cast<unsigned char>(
                cursor.window[static_cast<size_t>(live.buffer_position) + count - 1]);
            live.buffer_position = static_cast<int16_t>(live.buffer_position + taken);
        }
        live.offset += taken;
        live.column = static_cast<int16_t>(live.column + taken);
    }
    void step_back();
    bool at_end() const { return live.offset == live.length; }

    const InputSource *slot(int16_t index) const;
    // Installs a slot image (from the variable file); the slot starts closed.
    void install(int16_t index, InputSource source);
    void prompt() const;

    // The names of the source being read, kept in its slot (empty while the stack is).
    const std::string &current_name() const;
    const std::string &source_name() const;
    // White space in those names becomes blanks, as the error trace shows them.
    void blank_names();

    // Where the live source's next character is. A variable's text (kind text) is read at
    // `text_position` of its `text_size` characters: the variable's own text, or the
    // stack's copy of it once the store has released it (see text_released). A file-like
    // source is read from its `window` at live.buffer_position: its slot's `buffer`, refilled
    // through its slot's read-ahead (`ahead`). A macro body whose bytes came with its record
    // (`body`, the bytes from the file offset `body_start` on; see InputSource::body) fills
    // that buffer from them, or, with macro_in_place, is read in place: the window is then
    // the block's bytes of the body, `window_size` of them, and the rest of the block reads
    // as the blanks the buffer would have been filled up with.
    struct Cursor {
        const char *text = "";
        size_t text_size = 0;
        size_t text_position = 0;
        const char *window = nullptr;
        int16_t window_size = 0; // 0 while there is no window
        ReadBuffer *buffer = nullptr;
        ReadAhead *ahead = nullptr;
        const std::string *body = nullptr;
        int32_t body_start = 0;
    };
    // Where the last trigger stood, for the trace: its source, line and column, and the
    // silent depth of that source (see substitute).
    struct Trigger {
        int16_t depth = 0;
        int16_t line = 0;
        int16_t column = 0;
        int16_t top = -1;
    };

    FastPaths fast_paths;
    int16_t top = -1;
    SourceState live;
    Trigger trigger; // right after live, see SourceState::silent_depth
    Cursor cursor;
    bool interactive = true;
    bool final_newline_pending = true;
    bool priming = false;
    unsigned char ch = 0; // the current character: the scanner's one-character look-ahead

    void text_released(const char *released) override;

    // The depth the next substitution gets in the present chain.
    int16_t next_substitution_depth() const { return static_cast<int16_t>(trigger.depth + 1); }
    // Whether command variable `command` is read by a substitution that encloses the next
    // one: chain_commands_[1] to [trigger.depth] are those of the present chain.
    bool encloses_command(char command) const {
        const auto end = chain_commands_.begin() + trigger.depth + 1;
        return std::find(chain_commands_.begin() + 1, end, command) != end;
    }
    // Error 4609 for `name`, whose substitution would close a cycle at `depth`.
    void refuse_cycle(const char *name, int16_t depth);

  private:
    InputSource &slot_for(int16_t index);
    // The live source's state into its slot, and back; the level goes with it.
    void store_live(InputSource &source) const;
    void load_live(InputSource &source);
    bool bound_reached(const char *name);
    // A program file open for reading at any offset (a pipe is read to its end first), or
    // -1 after an error: `missing_error` when it cannot be opened, 4610 when it is 2 GiB
    // or larger, 4611 when a pipe's text cannot be kept.
    int open_program_file(const std::string &name, int16_t missing_error);
    // Stores the live source in slot top + 1, giving file-like sources their read buffer,
    // its window at `window_from` of the body (see SourceState), or empty for -1; gives the
    // slot, whose names the caller sets.
    InputSource &store_new_top(int32_t window_from);
    // push_macro_text but for the slot's hold on the body and its names: the slot, or null
    // when the push could not be made.
    InputSource *push_macro_source(const std::string &macro_name, int handle, int32_t offset,
                                   int32_t end, int16_t end_blanks, const std::string *body);
    [[noreturn]] void exhausted();
    void refill();
    // Kind macro: a block of the body the source holds, as read_source_block would give it.
    void copy_body_block();
    // Points the cursor's window at what the live source reads its block from.
    void point_window();

    // Kind text: the value reload_text reads the source's text from, or null. Inline with the
    // two below: a reference read in place in a text asks them each time.
    const VarLevel *resumed_value() {
        // Looked up at the level the source was pushed at, where its _TEMP text was stored.
        // The variable is searched by name the first time only: a loop's text is resumed after
        // every call and reference in its body.
        // Every slot up to the top has its source, made by the push that filled it.
        VORNMAC_ASSERT(top >= 0 && top < slot_count && slots_[static_cast<size_t>(top)]);
        InputSource &source = *slots_[static_cast<size_t>(top)];
        if (source.variable == nullptr) [[unlikely]]
            source.variable = vars_.lookup(source.source_name.c_str(), true);
        return source.variable != nullptr
                   ? VarStore::visible_value(source.variable, vars_.current_level)
                   : nullptr;
    }
    // Kind text: the source's variable text, read on from the offset. False when the
    // variable is gone; the source then has nothing more to read. Inline: a loop's text is
    // resumed after every call in its body.
    bool reload_text() {
        const VarLevel *value = resumed_value();
        if (value == nullptr) {
            cursor.text = "";
            cursor.text_size = 0;
            cursor.text_position = 0;
            live.offset = live.length; // nothing more to read from it
            return false;
        }
        cursor.text = value->text;
        cursor.text_size = value->length;
        cursor.text_position = std::min(static_cast<size_t>(live.offset), cursor.text_size);
        return true;
    }
    // Kind text: whether reload_text would leave the text, its size and the reading as they
    // stand (not so once the variable shows another text, or a zero byte was set into it).
    bool text_resumes_unchanged() {
        if (top < 0) return false;
        const VarLevel *value = resumed_value();
        return value != nullptr && value->text == cursor.text &&
               value->length == cursor.text_size &&
               cursor.text_position == std::min(static_cast<size_t>(live.offset), cursor.text_size);
    }
    // A source resumed takes back the variable level it was read at; deeper ones are gone.
    void drop_above_current_level() {
        const int16_t above = static_cast<int16_t>(vars_.current_level + 1);
        if (above >= VarStore::lowest_level && above < VarStore::level_limit)
            vars_.drop_level(above);
    }
    unsigned char read_terminal_line();
    void close_live_file();

    ParserContext &context_;
    VarStore &vars_; // the context's
    std::array<std::unique_ptr<InputSource>, slot_count> slots_;
    // By silent depth: the digit of the command variable whose text the substitution at
    // that depth pushed, 0 for any other text (see substitute).
    std::array<char, slot_count + 1> chain_commands_{};
    // "_TEMP<n>", the variable a text re-read from slot n - 1 is stored in (n = 0 for the
    // main program's text), for every slot; each is searched for in the store once.
    std::array<std::array<char, 8>, slot_count + 1> temp_names_{};
    std::vector<KnownName> temp_variables_;
    std::string kept_text_; // a released text still being read
};

// Reads a file source's next block from `offset`, as every read of a file source does: up to
// and including the byte at `length`, at most a buffer, blanks after what the file gave.
// Gives the number of bytes the file gave.
int32_t read_source_block(int handle, int32_t offset, int32_t length, ReadBuffer &block);

// The length of a program file's text: trailing zero bytes, end-of-file marks (26) and bytes
// of 128 and above are not part of it.
size_t program_text_length(std::string_view bytes);
// program_text_length of the open file.
int32_t program_file_length(int handle);

} // namespace vornmac
