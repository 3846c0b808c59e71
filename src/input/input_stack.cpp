#include "input/input_stack.hpp"

#include "error/error_numbers.hpp"
#include "error/recovery_jump.hpp"
#include "host/parser_context.hpp"
#include "input/quoting_bytes.hpp"
#include "input/scanner.hpp"
#include "input/text_chain.hpp"
#include "platform/console.hpp"
#include "platform/raw_file.hpp"
#include "platform/seekable_file.hpp"
#include "stmt/program_file.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <set>

namespace vornmac {

size_t program_text_length(std::string_view bytes) {
    size_t length = bytes.size();
    while (length > 0) {
        const auto byte = static_cast<unsigned char>(bytes[length - 1]);
        if (byte != 0 && byte != 26 && byte < 128) break;
        --length;
    }
    return length;
}

int32_t program_file_length(int handle) {
    int32_t end = platform::raw_seek(handle, 0, 2);
    char block[512];
    while (end > 0) {
        const int32_t start = std::max<int32_t>(0, end - static_cast<int32_t>(sizeof block));
        platform::raw_seek(handle, start, 0);
        const int32_t got = platform::raw_read(handle, block, end - start);
        if (got != end - start) return 0;
        const size_t kept = program_text_length({block, static_cast<size_t>(got)});
        if (kept > 0) return start + static_cast<int32_t>(kept);
        end = start;
    }
    return 0;
}

InputStack::InputStack(ParserContext &context) : context_(context), vars_(context.vars) {
    context_.vars.set_text_reader(this, &cursor.text);
    temp_variables_.reserve(temp_names_.size());
    for (size_t n = 0; n < temp_names_.size(); ++n) {
        std::array<char, 8> &name = temp_names_[n];
        constexpr std::string_view prefix = "_TEMP";
        std::copy(prefix.begin(), prefix.end(), name.begin());
        std::to_chars(name.data() + prefix.size(), name.data() + name.size() - 1, n);
        temp_variables_.emplace_back(temp_names_[n].data());
    }
}

InputStack::~InputStack() {
    context_.vars.set_text_reader(nullptr, nullptr);
    // Program files still open when the context goes; the terminal (0) is not ours.
    std::set<int> open;
    if (live.kind == SourceKind::program && live.handle > 0) open.insert(live.handle);
    for (int16_t i = 0; i <= top && i < slot_count; ++i)
        if (slots_[i] && slots_[i]->kind == SourceKind::program && slots_[i]->handle > 0)
            open.insert(slots_[i]->handle);
    for (int h : open)
        platform::raw_close(h);
}

namespace {
// A slot's source is made the first time the slot is used and kept for the stack's life;
// out of line, so that the common case inlines.
[[gnu::noinline]] InputSource &make_source(std::unique_ptr<InputSource> &slot) {
    slot = std::make_unique<InputSource>();
    return *slot;
}

// A variable's name is short and a slot's string keeps its capacity: copied in place, it
// needs none of the general replace.
void copy_name(std::string &to, const char *from) {
    const size_t length = std::strlen(from);
    if (length > to.capacity()) {
        to.assign(from, length);
        return;
    }
    to.resize(length);
    std::memcpy(to.data(), from, length);
}
} // namespace

InputSource &InputStack::slot_for(int16_t index) {
    VORNMAC_ASSERT(index >= 0 && index < slot_count);
    std::unique_ptr<InputSource> &slot = slots_[static_cast<size_t>(index)];
    if (slot) [[likely]]
        return *slot;
    return make_source(slot);
}

const std::string &InputStack::current_name() const {
    static const std::string none;
    const InputSource *source = slot(top);
    return source != nullptr ? source->current_name : none;
}

const std::string &InputStack::source_name() const {
    static const std::string none;
    const InputSource *source = slot(top);
    return source != nullptr ? source->source_name : none;
}

void InputStack::blank_names() {
    if (top < 0) return;
    InputSource &source = slot_for(top);
    for (std::string *name : {&source.current_name, &source.source_name})
        for (char &c : *name)
            if (is_white(static_cast<unsigned char>(c))) {
                c = ' ';
                source.names_blanked = true;
            }
}

const InputSource *InputStack::slot(int16_t index) const {
    if (index < 0 || index >= slot_count) return nullptr;
    return slots_[static_cast<size_t>(index)].get();
}

void InputStack::install(int16_t index, InputSource source) {
    if (index < 0 || index >= slot_count) return;
    if (context_.log) context_.log->settle_echo(); // it may echo the old slot's buffer
    if (source.reads_a_file()) source.buffer = std::make_unique<ReadBuffer>();
    source.handle = -1;
    source.buffer_position = read_buffer_size;
    slots_[static_cast<size_t>(index)] = std::make_unique<InputSource>(std::move(source));
}

void InputStack::store_live(InputSource &source) const {
    VORNMAC_ASSERT(live.offset >= 0 && live.offset <= live.length);
    VORNMAC_ASSERT(live.buffer_position >= 0 && live.buffer_position <= read_buffer_size);
    VORNMAC_ASSERT(live.silent_depth >= 0 && live.silent_depth < slot_count);
    static_cast<SourceState &>(source) = live;
    source.level = context_.vars.current_level;
}

void InputStack::load_live(InputSource &source) {
    // The slot's file handle is held aside: which handle the live source reads is resume's
    // to decide by its kind.
    const int handle = live.handle;
    live = source;
    live.handle = handle;
    context_.vars.current_level = source.level;
    cursor.buffer = source.buffer.get();
    cursor.ahead = &source.ahead;
    cursor.body = source.body.get();
    cursor.body_start = source.body_start;
    // A variable's text is read from cursor.text alone.
    if (live.kind != SourceKind::text) point_window();
}

void InputStack::point_window() {
    if (live.window_from >= 0 && cursor.body != nullptr) {
        const std::string &body = *cursor.body;
        const size_t from = std::min(static_cast<size_t>(live.window_from), body.size());
        cursor.window = body.data() + from;
        cursor.window_size =
            static_cast<int16_t>(std::min<size_t>(body.size() - from, read_buffer_size));
        return;
    }
    cursor.window = cursor.buffer != nullptr ? cursor.buffer->data() : nullptr;
    cursor.window_size = cursor.buffer != nullptr ? read_buffer_size : 0;
}

bool InputStack::bound_reached(const char *name) {
    if (top + 1 < slot_count) return false;
    context_.errors.raise(error::input_too_deep, {name});
    return true;
}

void InputStack::exhausted() {
    context_.open_constructs.input_ended(context_);
    if (priming) {
        if (context_.recovery.host_set) throw RecoveryJump{100};
        throw InputExhausted{};
    }
    context_.errors.raise(error::end_of_input);
    throw InputExhausted{};
}

void InputStack::refuse_cycle(const char *name, int16_t depth) {
    std::string shown = name;
    while (!shown.empty() && is_white(static_cast<unsigned char>(shown.back())))
        shown.pop_back();
    context_.errors.raise(error::reference_cycle, {shown.c_str(), static_cast<int>(depth)});
}

void InputStack::text_released(const char *released) {
    if (live.kind != SourceKind::text || released != cursor.text) return;
    kept_text_.assign(cursor.text, cursor.text_size);
    cursor.text = kept_text_.c_str();
}

int InputStack::open_program_file(const std::string &name, int16_t missing_error) {
    const int opened = platform::raw_open_existing(name.c_str(), platform::Access::read);
    if (opened < 0) {
        context_.errors.raise(missing_error, {name.c_str()});
        return -1;
    }
    const platform::SeekableFile file = platform::make_seekable(opened);
    if (file.status == platform::SeekableStatus::too_large)
        context_.errors.raise(error::program_file_too_large, {name.c_str()});
    if (file.status == platform::SeekableStatus::no_temporary)
        context_.errors.raise(error::program_pipe_not_kept, {name.c_str()});
    return file.handle;
}

void InputStack::push_file(const std::string &name) {
    if (bound_reached(name.c_str())) return;
    context_.open_constructs.before_push(*this, top);
    const int opened = open_program_file(name, error::program_file_missing);
    if (opened < 0) return;
    interactive = false;
    ++context_.vars.current_level;
    live.handle = opened;
    live.length = program_file_length(opened);
    live.offset = 0;
    platform::raw_seek(opened, 0, 0);
    live.kind = SourceKind::program;
    live.end_blanks = 0;
    live.line = 1;
    live.column = 0;
    InputSource &source = store_new_top(-1);
    source.body.reset();
    source.current_name.clear();
    source.source_name = name;
}

InputSource *InputStack::push_macro_source(const std::string &macro_name, int library_handle,
                                           int32_t body_offset, int32_t body_end, int16_t blanks,
                                           const std::string *body) {
    VORNMAC_ASSERT(body != nullptr);
    if (bound_reached(macro_name.c_str())) return nullptr;
    context_.open_constructs.before_push(*this, top);
    interactive = false;
    ++context_.vars.current_level;
    live.handle = library_handle;
    live.offset = body_offset;
    live.length = body_end;
    live.kind = SourceKind::macro;
    live.end_blanks = blanks;
    live.line = 1;
    live.column = 0;
    cursor.body = body;
    cursor.body_start = body_offset;
    // The body is in view from the start, as its first read would find it (see refill).
    const bool in_place = fast_paths.macro_in_place && live.offset < live.length;
    if (in_place && context_.log) context_.log->settle_echo();
    InputSource &source = store_new_top(in_place ? 0 : -1);
    source.body_start = body_offset;
    if (context_.trace.on()) [[unlikely]]
        context_.trace.note_text(*body);
    return &source;
}

InputSource &InputStack::store_new_top(int32_t window_from) {
    const int16_t index = static_cast<int16_t>(top + 1);
    InputSource &source = slot_for(index);
    if (!source.buffer) source.buffer = std::make_unique<ReadBuffer>();
    cursor.buffer = source.buffer.get();
    source.ahead.forget();
    cursor.ahead = &source.ahead;
    live.buffer_position = window_from < 0 ? read_buffer_size : 0;
    live.window_from = window_from;
    point_window();
    store_live(source);
    top = index;
    return source;
}

void InputStack::push_text(const char *name, const char *value, int16_t blanks) {
    push_text(name, value, std::strlen(value), blanks);
}

void InputStack::push_text(const char *name, const char *value, size_t length, int16_t blanks) {
    if (bound_reached(name)) return;
    context_.open_constructs.before_push(*this, top);
    interactive = false;
    live.kind = SourceKind::text;
    cursor.text = value;
    cursor.text_size = length;
    cursor.text_position = 0;
    live.offset = 0;
    live.length = static_cast<int32_t>(cursor.text_size);
    live.end_blanks = blanks;
    const int16_t index = static_cast<int16_t>(top + 1);
    InputSource &source = slot_for(index);
    live.buffer_position = read_buffer_size;
    store_live(source);
    source.body.reset();
    source.current_name.clear();
    copy_name(source.source_name, name);
    source.variable = nullptr;
    top = index;
    if (context_.trace.on()) [[unlikely]]
        context_.trace.note_text(std::string_view(cursor.text, cursor.text_size));
}

void InputStack::reread_text(int16_t slot, TextChain *chain, int16_t blanks, int16_t at_line,
                             int16_t at_column, const std::string &value) {
    KnownName &variable = temp_variables_.at(static_cast<size_t>(slot + 1));
    const char *name = temp_names_[static_cast<size_t>(slot + 1)].data();
    VarStore &vars = context_.vars;
    const VarLevel *stored = nullptr;
    if (chain != nullptr) {
        char *joined = chain->flatten();
        stored = vars.save(vars.current_level, variable, joined);
        context_.pool.free(joined);
    } else {
        stored = vars.save(vars.current_level, variable, value.c_str());
    }
    save();
    live.line = at_line;
    live.column = at_column;
    // What was stored is the variable's text at the current level; only a refused text
    // leaves it to be looked up.
    if (stored != nullptr)
        push_text(name, stored->text, stored->length, blanks);
    else
        push_text(name, vars.optstring(variable), blanks);
}

bool InputStack::open_main(const char *file_name, const char *main_text) {
    top = -1;
    live.line = 1;
    live.column = 0;
    if (file_name == nullptr) {
        // Host text is kept as a variable, so a variable's bound is the program's bound.
        const size_t size = std::strlen(main_text);
        if (size > VarStore::max_text) {
            context_.errors.raise(error::program_text_too_long,
                                  {static_cast<int>(std::min<size_t>(size, INT32_MAX))});
            return false;
        }
        const VarLevel *stored = context_.vars.save(0, "_TEMP0", main_text);
        push_text("_TEMP0", stored != nullptr ? stored->text : "", 0);
        return true;
    }
    if (*file_name == '\0') {
        InputSource terminal;
        terminal.length = terminal_length;
        install(0, std::move(terminal));
        top = 0;
        return true;
    }
    const std::string resolved = find_program_file(context_, file_name);
    if (!can_open_for_reading(resolved)) {
        context_.errors.raise(error::main_program_missing, {file_name});
        return false;
    }
    push_file(resolved);
    if (top != 0) return false;
    // The main program runs at the global level, like the start-up variables.
    context_.vars.current_level = 0;
    slots_[0]->level = 0;
    return true;
}

void InputStack::save() {
    store_live(slot_for(std::max<int16_t>(top, 0)));
}

void InputStack::rewind(const VarLevel *known) {
    live.offset = 0;
    save();
    if (live.kind != SourceKind::text || known == nullptr || known->text != cursor.text) {
        resume();
        return;
    }
    // resume() of the slot just saved: only the level above and the text's length can
    // have changed under it.
    drop_above_current_level();
    interactive = false;
    cursor.text_size = known->length;
    cursor.text_position = 0;
}

void InputStack::close_live_file() {
    platform::raw_close(live.handle);
    live.handle = -1;
    if (top >= 0 && slots_[static_cast<size_t>(top)]) slots_[static_cast<size_t>(top)]->handle = -1;
}

void InputStack::pop() {
    // A host that keeps asking after the end of the input finds the stack empty, not below.
    const int16_t new_top = static_cast<int16_t>(std::max(top - 1, -1));
    if (live.kind == SourceKind::program && live.handle > 0) {
        close_live_file();
        if (new_top < 0) exhausted();
    }
    top = new_top;
}

void InputStack::drop() {
    if (live.kind == SourceKind::program && live.handle > 0) close_live_file();
    top = static_cast<int16_t>(std::max(top - 1, -1));
}

void InputStack::resume(ResumeMode mode) {
    if (top < 0) exhausted();
    InputSource &source = slot_for(top);
    const int held = source.handle;
    load_live(source);
    drop_above_current_level();
    if (mode == ResumeMode::restore_only) {
        // The error trace unwinds to here, while an error is being reported: reading goes
        // on where the slot was left, in its own text, and a terminal at the bottom is the
        // terminal again.
        live.handle = held;
        if (live.kind == SourceKind::program && source.source_name.empty()) interactive = true;
        if (live.kind == SourceKind::text) reload_text();
        return;
    }
    if (source.source_name.empty()) {
        live.handle = 0;
        interactive = true;
        return;
    }
    interactive = false;
    if (source.reads_a_file()) {
        if (held != -1) {
            live.handle = held;
            return;
        }
        // Set before raising: the error trace unwinds from here.
        live.offset = live.length;
        live.handle = open_program_file(source.source_name, error::input_file_not_reopened);
        source.handle = live.handle;
        if (live.handle < 0) return; // nothing more to read from it
        live.offset = source.offset;
        if (!source.buffer) source.buffer = std::make_unique<ReadBuffer>();
        cursor.buffer = source.buffer.get();
        source.ahead.forget();
        refill();
        return;
    }
    if (!reload_text())
        context_.errors.raise(error::undefined_variable, {source.source_name.c_str()});
}

int32_t read_source_block(int handle, int32_t offset, int32_t length, ReadBuffer &block) {
    const int32_t wanted = std::min<int32_t>(length - offset + 1, read_buffer_size);
    const int32_t got =
        std::max<int32_t>(0, platform::raw_read_at(handle, offset, block.data(), wanted));
    std::fill(block.begin() + got, block.end(), ' ');
    return got;
}

void InputStack::refill() {
    // The log may still hold an echo of the bytes about to be replaced.
    if (context_.log) context_.log->settle_echo();
    live.buffer_position = 0;
    live.window_from = -1;
    if (live.kind == SourceKind::macro && cursor.body != nullptr && fast_paths.macro_in_place)
        live.window_from = std::max<int32_t>(live.offset - cursor.body_start, 0);
    else if (live.kind == SourceKind::macro && cursor.body != nullptr)
        copy_body_block();
    else if (fast_paths.read_ahead && cursor.ahead != nullptr)
        cursor.ahead->read_window(live.handle, live.offset, live.length, *cursor.buffer);
    else
        read_source_block(live.handle, live.offset, live.length, *cursor.buffer);
    point_window();
}

void InputStack::copy_body_block() {
    const std::string &body = *cursor.body;
    ReadBuffer &buffer = *cursor.buffer;
    const auto from = static_cast<size_t>(std::max<int32_t>(live.offset - cursor.body_start, 0));
    const size_t count = std::min<size_t>(body.size() - std::min(from, body.size()),
                                          static_cast<size_t>(read_buffer_size));
    std::copy_n(body.data() + from, count, buffer.begin());
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(count), buffer.end(), ' ');
}

unsigned char InputStack::read_terminal_line() {
    // A typed line ends in an empty quoting pair, as a stored text does.
    const PromptHook &prompt = context_.prompt;
    if (prompt.callback != nullptr) prompt.callback(prompt.user, live.line + 1);
    std::string line;
    if (!platform::read_console_line(line, terminal_line_limit)) {
        live.offset = live.length; // end of the terminal's input ends the program
        return ' ';
    }
    char typed[terminal_line_limit + empty_quoting_pair.size() + 1];
    const size_t typed_length = line.size();
    std::memcpy(typed, line.data(), typed_length);
    if (context_.flags.write_program && context_.log)
        context_.log->write(typed, static_cast<int32_t>(typed_length));
    std::memcpy(typed + typed_length, empty_quoting_pair.data(), empty_quoting_pair.size());
    typed[typed_length + empty_quoting_pair.size()] = '\0';
    ++live.line;
    live.column = 0;
    const Tracer::Detached typed_input(context_.trace);
    reread_text(top, nullptr, 0, live.line, live.column, typed);
    return next_char();
}

unsigned char InputStack::next_char_general() {
    if (live.offset == live.length) return ' ';
    if (live.kind == SourceKind::text) {
        if (cursor.text_position >= cursor.text_size) return ' ';
        return static_cast<unsigned char>(cursor.text[cursor.text_position++]);
    }
    if (interactive) return read_terminal_line();
    if (cursor.buffer == nullptr) {
        live.offset = live.length;
        return ' ';
    }
    if (live.buffer_position >= read_buffer_size) refill();
    const int16_t at = live.buffer_position++;
    return at < cursor.window_size ? static_cast<unsigned char>(cursor.window[at]) : ' ';
}

void InputStack::unread_char() {
    if (live.offset == live.length) return;
    if (live.kind == SourceKind::text) {
        if (cursor.text_position > 0) --cursor.text_position;
    } else if (!interactive && live.buffer_position > 0) {
        --live.buffer_position;
    }
}

void InputStack::fold_cr() {
    if (ch != '\r') return;
    advance_offset();
    next_char();
    ch = '\n';
}

void InputStack::check_source_end() {
    while (live.end_blanks <= 0 && live.offset == live.length) {
        if (top == 0 && final_newline_pending) {
            ch = '\n';
            final_newline_pending = false;
            return;
        }
        pop();
        resume();
        if (!at_end()) {
            ch = next_char();
            ++live.column;
            fold_cr();
        }
    }
}

void InputStack::step_back() {
    unread_char();
    --live.column;
}

void InputStack::prompt() const {
    // A host that shows prompts itself shows them before each typed line instead.
    if (context_.prompt.callback != nullptr) return;
    platform::write_console(std::to_string(live.line) + "? ");
    platform::flush_console();
}

} // namespace vornmac
