// The variable store: one AVL tree of variables ordered by name_compare, each variable
// holding a chain of values, newest first, at most one per level. Level 0 is global,
// 1 to 74 belong to nested macro calls and included files, -1 is saved in the variable
// file and -2 is seen only by a read at exactly -2. Every value also sits on the list of
// its level, so that a whole level is dropped in one pass.
//
// Invariants: a variable is never removed from the tree (without values it behaves as
// missing), so a pointer to it stays good for the store's life; a value on a level list has that
// list's level; value texts are pool blocks owned by their entry.
//
// A value's text may be read in place by one reader (the input stack reads a variable's
// text as a source without copying it). The store tells the reader before it releases the
// text the reader reads, so the reader can keep what it still has to read.
#pragma once
#include "error/message_format.hpp"
#include "host/block_pool.hpp"
#include "vars/name_compare.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vornmac {

struct MacroVar;

struct VarLevel {
    int16_t level;
    // The text's length, kept by every writer of the text (a zero byte set into it ends
    // it there), so that no reader measures it again.
    uint16_t length;
    char *text;
    VarLevel *next;     // older value of the same variable
    VarLevel *previous; // newer value, null for the newest
    MacroVar *owner;
    VarLevel *level_next;
    VarLevel *level_previous;
};

struct MacroVar {
    int16_t balance; // -1 left higher, 0 even, +1 right higher
    MacroVar *left;
    MacroVar *right;
    char *name; // as first given, case kept
    VarLevel *values;
};

// A variable read again and again by one name, as a macro call reads `_macrocolon`: found
// once, then read through its pointer, which stays good since variables are never removed.
// Until it exists, a miss is remembered with the store's count of variables, which grows
// whenever a variable is made, so a read only looks again after that.
class KnownName {
  public:
    explicit KnownName(const char *name) : name_(name) {}

  private:
    friend class VarStore;
    const char *name_;
    MacroVar *var_ = nullptr;
    int16_t count_at_miss_ = -1;
};

// Told before the store releases the value's text it reads.
class TextReader {
  public:
    virtual void text_released(const char *text) = 0;

  protected:
    ~TextReader() = default;
};

class VarStore {
  public:
    static constexpr int16_t lowest_level = -2;
    static constexpr int16_t level_limit = 75; // levels from here on are refused
    static constexpr int max_depth = 19;
    static constexpr int16_t max_variables = 17709;
    static constexpr uint16_t max_text = 65534;

    // Raises a numbered error. It may not return (the host's recovery mark), so the
    // store is always consistent when it calls it.
    using ErrorHook = std::function<void(int16_t number, std::vector<ErrorArg> args)>;

    VarStore(ChunkAllocator &chunks, BlockPool &pool, ErrorHook raise);
    ~VarStore();
    VarStore(const VarStore &) = delete;
    VarStore &operator=(const VarStore &) = delete;

    // Finds the variable, or creates it unless find_only; null when not found. A caller
    // that has hashed the name already passes its name_hash.
    MacroVar *lookup(const char *name, bool find_only) {
        return lookup(name, find_only, name_hash(name));
    }
    MacroVar *lookup(const char *name, bool find_only, uint32_t hash);
    VarLevel *find_var_level(int16_t level, const char *name) {
        return find_var_level(level, name, name_hash(name));
    }
    VarLevel *find_var_level(int16_t level, const char *name, uint32_t hash);
    // find_var_level for a name whose first `length` characters (no zero byte among them)
    // are all of it but its trailing white space, as a reference's name: a variable found
    // lately under exactly those characters needs no comparison by name.
    VarLevel *find_var_level(int16_t level, const char *name, uint32_t hash, size_t length) {
        if (MacroVar *recent = recent_[hash % recent_count];
            recent != nullptr && spelled_as(recent->name, name, length))
            return visible_value(recent, level);
        return find_var_level(level, name, hash);
    }
    // The value of `var` seen from `level`: its own, else the nearest below (never -2).
    static VarLevel *visible_value(MacroVar *var, int16_t level) {
        VarLevel *best = nullptr;
        for (VarLevel *v = var->values; v != nullptr; v = v->next) {
            if (v->level == level) return v;
            if (v->level > lowest_level && v->level < level &&
                (best == nullptr || v->level > best->level))
                best = v;
        }
        return best;
    }
    VarLevel *save(int16_t level, const char *name, const char *text);
    // save() under a name saved to again and again: the variable is searched for by name
    // the first time only (messages name it as the KnownName does), and a value already at
    // the level is given the text in place (replace_text). `text` must not lie in a value's
    // text.
    VarLevel *save(int16_t level, KnownName &known, const char *text) {
        return save(level, known, std::string_view(text));
    }
    // As above, for a text whose length is known: `text` holds no zero byte and one follows
    // it.
    VarLevel *save(int16_t level, KnownName &known, std::string_view text);
    // Gives the value the text, as a save at the value's own level would, writing it into
    // the value's own block when it fits there. `text` must not lie in the value's text.
    void replace_text(VarLevel &value, const char *text, size_t length);
    // Sets the character at `position` (from 0, within the text) in place, as %setbyte
    // does; a zero byte ends the text there.
    static void set_char(VarLevel &value, size_t position, char c);
    void move_var_level(VarLevel *value, int16_t level);
    void drop_var_above(int16_t level, const char *name);
    // Each pop of an input source drops the level above the one it goes back to, which
    // mostly holds nothing: that case costs no call.
    void drop_level(int16_t level) {
        if (level_lists_[level - lowest_level] != nullptr) release_level(level);
    }
    void drop_local_levels();

    int16_t current_level = 0;

    // The one reader of texts in place, or null. `reading` is where it keeps the text it
    // reads now: the store compares a text it releases with that one, and tells the reader
    // only of that text (values mostly go unread, and a call per value would cost more).
    void set_text_reader(TextReader *reader, const char *const *reading) {
        reader_ = reader;
        reading_ = reader != nullptr ? reading : nullptr;
    }

    // Text visible at the current level, or "".
    const char *optstring(const char *name);
    char optyesno(const char *name);
    bool optyes(const char *name) { return optyesno(name) == 'y'; }
    // As optstring and optyesno, without a search by name once the variable is known.
    const char *optstring(KnownName &known);
    char optyesno(KnownName &known);

    int16_t count() const { return count_; }
    // Visits every variable in name order without recursion.
    void for_each_in_order(const std::function<void(const MacroVar &)> &visit) const;

  private:
    // Whether `stored` is exactly the `length` characters of `name`.
    static bool spelled_as(const char *stored, const char *name, size_t length) {
        for (size_t i = 0; i < length; ++i)
            if (stored[i] != name[i]) return false; // also where `stored` ends first
        return stored[length] == '\0';
    }
    void unlink_from_level(VarLevel *v);
    void link_to_level(VarLevel *v, int16_t level);
    [[gnu::always_inline]] inline void release(VarLevel *v);
    void release_level(int16_t level);
    // A value taken off its variable's chain and given up (the reader told): kept with its
    // text block as a spare while there are fewer than spare_limit and the block is small,
    // else freed.
    [[gnu::always_inline]] inline void retire(VarLevel *v);
    // A value made for `var` at `level` holding `text`: in a spare (with a new block when
    // its own is too small for the text), else in blocks from the pool.
    // Inline in each save: a macro call's parameters are saved through it on every call.
    [[gnu::always_inline]] inline VarLevel *new_value(MacroVar &var, int16_t level,
                                                      const char *text, size_t length);
    // Makes `v` the newest value of `var`, at `level`, holding the `length` characters of text
    // in `block`.
    [[gnu::always_inline]] inline VarLevel *hang_value(VarLevel &v, MacroVar &var, int16_t level,
                                                       char *block, size_t length);
    // The save through a known name in every case but the one save() takes itself;
    // `at_level` is the variable's value at the level (or null) once the variable is known.
    [[gnu::noinline]] VarLevel *save_known(int16_t level, KnownName &known, VarLevel *at_level,
                                           std::string_view text);
    char *copy_text(const char *text, size_t length);
    // Whether a value at `level` may hold a text of `length` characters; else the error is
    // raised.
    bool storable(int16_t level, const char *name, size_t length) {
        return (level >= lowest_level && length <= max_text) || refuse(level, name);
    }
    // Raises the error that refuses a value: a level below the lowest or a text too long.
    // Out of line, so that the saves stay small.
    [[gnu::cold, gnu::noinline]] bool refuse(int16_t level, const char *name);
    // The variable's value at exactly `level`, or null.
    static VarLevel *value_at(const MacroVar &var, int16_t level);
    // Gives `var` the text at `level`, in `at_level` (its value there, found by value_at) or
    // a new value when that is null.
    VarLevel *store_value(int16_t level, MacroVar &var, VarLevel *at_level, const char *text,
                          size_t length);
    void free_text(char *text);
    // Takes the first spare off its list (there is one).
    void take_spare() {
        spares_ = spares_->next;
        --spare_count_;
    }
    void tell_reader(const char *text) {
        if (reading_ != nullptr && *reading_ == text) reader_->text_released(text);
    }

    // Variables found or made lately, by name_hash. A hit is confirmed with name_compare,
    // so it gives what the tree walk would; variables are never removed, so no entry
    // goes stale. References name the same few variables over and over.
    static constexpr size_t recent_count = 64;
    MacroVar *recent_[recent_count] = {};

    ChunkAllocator &chunks_;
    BlockPool &pool_;
    ErrorHook raise_;
    TextReader *reader_ = nullptr;
    const char *const *reading_ = nullptr;
    MacroVar *root_ = nullptr;
    int16_t count_ = 0;
    VarLevel *level_lists_[level_limit - lowest_level + 1] = {};
    // Values of dropped levels, linked by `next`, each with its text block: a macro call
    // saves its parameters into the storage of the previous call's, without going to the
    // pool. Few and small ones are kept, so that spares never hold much of the pool.
    static constexpr int spare_limit = 8;
    static constexpr uint16_t spare_block_limit = 256;
    VarLevel *spares_ = nullptr;
    int spare_count_ = 0;
};

} // namespace vornmac
