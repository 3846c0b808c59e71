#include "vars/var_store.hpp"

#include "error/contract.hpp"
#include "error/error_numbers.hpp"
#include "vars/name_compare.hpp"

#include <cstring>
#include <new>
#include <string_view>

namespace vornmac {

namespace {
// Parameter values are mostly a few characters, which a loop copies for less than the call to
// memcpy costs: up to this many.
constexpr size_t short_text = 15;

void copy_short_with_end(char *to, const char *from, size_t length) {
    for (size_t i = 0; i <= length; ++i)
        to[i] = from[i];
}

// The text and the zero byte after it.
void copy_with_end(char *to, const char *from, size_t length) {
    if (length > short_text) {
        std::memcpy(to, from, length + 1);
        return;
    }
    copy_short_with_end(to, from, length);
}
} // namespace

VarStore::VarStore(ChunkAllocator &chunks, BlockPool &pool, ErrorHook raise)
    : chunks_(chunks), pool_(pool), raise_(std::move(raise)) {}

VarStore::~VarStore() {
    for (int16_t level = lowest_level; level < level_limit; ++level)
        drop_level(level);
    while (spares_ != nullptr) {
        VarLevel *next = spares_->next;
        pool_.free(spares_->text);
        pool_.free(spares_);
        spares_ = next;
    }
}

MacroVar *VarStore::lookup(const char *name, bool find_only, uint32_t hash) {
    MacroVar *&recent = recent_[hash % recent_count];
    if (recent != nullptr && name_compare(name, recent->name) == 0) return recent;
    MacroVar *path[max_depth + 1];
    int side[max_depth + 1];
    int depth = 0;
    for (MacroVar *node = root_; node != nullptr;) {
        const int cmp = name_compare(name, node->name);
        if (cmp == 0) return recent = node;
        path[depth] = node;
        side[depth] = cmp;
        ++depth;
        node = cmp < 0 ? node->left : node->right;
    }
    if (find_only) return nullptr;
    if (count_ >= max_variables) return nullptr;
    const size_t length = std::strlen(name);
    auto *created =
        new (chunks_.alloc(sizeof(MacroVar))) MacroVar{0, nullptr, nullptr, nullptr, nullptr};
    created->name = static_cast<char *>(chunks_.alloc(static_cast<uint32_t>(length + 1)));
    std::memcpy(created->name, name, length + 1);
    ++count_;
    recent = created;

    auto hang = [&](int at, MacroVar *subtree) {
        if (at < 0)
            root_ = subtree;
        else if (side[at] < 0)
            path[at]->left = subtree;
        else
            path[at]->right = subtree;
    };
    hang(depth - 1, created);

    for (int i = depth - 1; i >= 0; --i) {
        MacroVar *node = path[i];
        const int s = side[i];
        if (node->balance == 0) {
            node->balance = static_cast<int16_t>(s);
            continue;
        }
        if (node->balance == -s) {
            node->balance = 0;
            break;
        }
        MacroVar *top;
        MacroVar *b = s < 0 ? node->left : node->right;
        if (b->balance == s) {
            if (s < 0) {
                node->left = b->right;
                b->right = node;
            } else {
                node->right = b->left;
                b->left = node;
            }
            node->balance = b->balance = 0;
            top = b;
        } else {
            MacroVar *g = s < 0 ? b->right : b->left;
            if (s < 0) {
                b->right = g->left;
                node->left = g->right;
                g->left = b;
                g->right = node;
            } else {
                b->left = g->right;
                node->right = g->left;
                g->right = b;
                g->left = node;
            }
            node->balance = static_cast<int16_t>(g->balance == s ? -s : 0);
            b->balance = static_cast<int16_t>(g->balance == -s ? s : 0);
            g->balance = 0;
            top = g;
        }
        hang(i - 1, top);
        break;
    }
    return created;
}

VarLevel *VarStore::find_var_level(int16_t level, const char *name, uint32_t hash) {
    MacroVar *var = lookup(name, true, hash);
    return var != nullptr ? visible_value(var, level) : nullptr;
}

inline VarLevel *VarStore::new_value(MacroVar &var, int16_t level, const char *text,
                                     size_t length) {
    VarLevel *v = spares_;
    char *block;
    if (v != nullptr) {
        take_spare();
        block = v->text;
        if (length < BlockPool::usable_size(block)) {
            copy_with_end(block, text, length);
        } else {
            pool_.free(block);
            block = copy_text(text, length);
        }
    } else {
        block = copy_text(text, length);
        v = static_cast<VarLevel *>(pool_.alloc(sizeof(VarLevel)));
    }
    return hang_value(*v, var, level, block, length);
}

inline VarLevel *VarStore::hang_value(VarLevel &v, MacroVar &var, int16_t level, char *block,
                                      size_t length) {
    v = VarLevel{level,  static_cast<uint16_t>(length), block, var.values, nullptr, &var, nullptr,
                 nullptr};
    if (var.values != nullptr) var.values->previous = &v;
    var.values = &v;
    // Too deep a level stays off every list, so no drop ever releases it.
    if (level < level_limit) link_to_level(&v, level);
    return &v;
}

void VarStore::link_to_level(VarLevel *v, int16_t level) {
    VarLevel *&head = level_lists_[level - lowest_level];
    v->level = level;
    v->level_previous = nullptr;
    v->level_next = head;
    if (head != nullptr) head->level_previous = v;
    head = v;
}

void VarStore::unlink_from_level(VarLevel *v) {
    if (v->level < lowest_level || v->level >= level_limit) return;
    VarLevel *&head = level_lists_[v->level - lowest_level];
    if (v->level_previous != nullptr)
        v->level_previous->level_next = v->level_next;
    else if (head == v)
        head = v->level_next;
    if (v->level_next != nullptr) v->level_next->level_previous = v->level_previous;
    v->level_next = v->level_previous = nullptr;
}

inline void VarStore::retire(VarLevel *v) {
    if (spare_count_ == spare_limit || v->text == nullptr ||
        BlockPool::usable_size(v->text) > spare_block_limit) {
        free_text(v->text);
        pool_.free(v);
        return;
    }
    tell_reader(v->text);
    v->next = spares_;
    spares_ = v;
    ++spare_count_;
}

inline void VarStore::release(VarLevel *v) {
    if (v->previous != nullptr)
        v->previous->next = v->next;
    else
        v->owner->values = v->next;
    if (v->next != nullptr) v->next->previous = v->previous;
    retire(v);
}

void VarStore::free_text(char *text) {
    tell_reader(text);
    pool_.free(text);
}

char *VarStore::copy_text(const char *text, size_t length) {
    auto *copy = static_cast<char *>(pool_.alloc(static_cast<uint16_t>(length + 1)));
    std::memcpy(copy, text, length + 1);
    return copy;
}

bool VarStore::refuse(int16_t level, const char *name) {
    if (level < lowest_level)
        raise_(error::level_out_of_range, {ErrorArg(static_cast<int>(level)), name});
    else
        raise_(error::value_too_long, {name});
    return false;
}

VarLevel *VarStore::save(int16_t level, const char *name, const char *text) {
    if (name == nullptr || *name == '\0') {
        raise_(error::empty_variable_name, {});
        return nullptr;
    }
    if (text == nullptr) text = "";
    const size_t length = std::strlen(text);
    if (!storable(level, name, length)) return nullptr;
    MacroVar *var = lookup(name, false);
    if (var == nullptr) {
        raise_(error::variable_table_full, {name});
        return nullptr;
    }
    return store_value(level, *var, value_at(*var, level), text, length);
}

VarLevel *VarStore::value_at(const MacroVar &var, int16_t level) {
    VarLevel *v = var.values;
    while (v != nullptr && v->level != level)
        v = v->next;
    return v;
}

VarLevel *VarStore::store_value(int16_t level, MacroVar &var, VarLevel *at_level, const char *text,
                                size_t length) {
    if (at_level == nullptr) {
        at_level = new_value(var, level, text, length);
    } else {
        // Copy before the old text goes: the caller may pass text that lives in it.
        char *copy = copy_text(text, length);
        free_text(at_level->text);
        at_level->text = copy;
        at_level->length = static_cast<uint16_t>(length);
    }
    // Raised only once the value is complete: the reporter may not return.
    if (level >= level_limit) raise_(error::levels_too_deep, {});
    return at_level;
}

VarLevel *VarStore::save(int16_t level, KnownName &known, std::string_view text) {
    VORNMAC_ASSERT(text.data()[text.size()] == '\0' && text.find('\0') == std::string_view::npos);
    VarLevel *v = known.var_ != nullptr ? value_at(*known.var_, level) : nullptr;
    // A call's parameter, mostly: a short text in a new value made in a spare that has room for
    // it. This case calls nothing, which spares it the other cases' set-up.
    VarLevel *spare = spares_;
    if (known.var_ != nullptr && v == nullptr && spare != nullptr && level >= lowest_level &&
        level < level_limit && text.size() <= short_text &&
        text.size() < BlockPool::usable_size(spare->text)) [[likely]] {
        take_spare();
        copy_short_with_end(spare->text, text.data(), text.size());
        return hang_value(*spare, *known.var_, level, spare->text, text.size());
    }
    return save_known(level, known, v, text);
}

VarLevel *VarStore::save_known(int16_t level, KnownName &known, VarLevel *at_level,
                               std::string_view text) {
    if (known.var_ == nullptr) {
        VarLevel *saved = save(level, known.name_, text.data());
        if (saved != nullptr) known.var_ = saved->owner;
        return saved;
    }
    if (!storable(level, known.name_, text.size())) return nullptr;
    MacroVar &var = *known.var_;
    if (level >= level_limit) return store_value(level, var, at_level, text.data(), text.size());
    if (at_level == nullptr) return new_value(var, level, text.data(), text.size());
    if (text.size() < BlockPool::usable_size(at_level->text)) {
        replace_text(*at_level, text.data(), text.size());
        return at_level;
    }
    return store_value(level, var, at_level, text.data(), text.size());
}

void VarStore::replace_text(VarLevel &value, const char *text, size_t length) {
    if (length >= BlockPool::usable_size(value.text) || value.level >= level_limit) {
        save(value.level, value.owner->name, text);
        return;
    }
    // A reader of the old text keeps what it has still to read, as when the block goes.
    tell_reader(value.text);
    std::memcpy(value.text, text, length);
    value.text[length] = '\0';
    value.length = static_cast<uint16_t>(length);
}

void VarStore::set_char(VarLevel &value, size_t position, char c) {
    VORNMAC_ASSERT(position < value.length);
    value.text[position] = c;
    if (c == '\0') value.length = static_cast<uint16_t>(position);
}

void VarStore::move_var_level(VarLevel *v, int16_t level) {
    if (v->level != level) {
        for (VarLevel *s = v->owner->values; s != nullptr; s = s->next) {
            if (s != v && s->level == level) {
                unlink_from_level(s);
                link_to_level(s, static_cast<int16_t>(level + 1));
                break;
            }
        }
        unlink_from_level(v);
        link_to_level(v, level);
    }
    drop_var_above(static_cast<int16_t>(level + 1), v->owner->name);
}

void VarStore::drop_var_above(int16_t level, const char *name) {
    MacroVar *var = lookup(name, true);
    if (var == nullptr) return;
    for (VarLevel *v = var->values; v != nullptr;) {
        VarLevel *next = v->next;
        if (v->level >= level) {
            unlink_from_level(v);
            release(v);
        }
        v = next;
    }
}

void VarStore::release_level(int16_t level) {
    VarLevel *&head = level_lists_[level - lowest_level];
    for (VarLevel *v = head; v != nullptr;) {
        VarLevel *next = v->level_next;
        release(v);
        v = next;
    }
    head = nullptr;
}

void VarStore::drop_local_levels() {
    for (int16_t level = 0; level < level_limit; ++level)
        drop_level(level);
}

const char *VarStore::optstring(const char *name) {
    VarLevel *v = find_var_level(current_level, name);
    return v != nullptr ? v->text : "";
}

char VarStore::optyesno(const char *name) {
    const char first = optstring(name)[0];
    return first == 'y' ? 'y' : 'n';
}

const char *VarStore::optstring(KnownName &known) {
    if (known.var_ == nullptr) {
        if (known.count_at_miss_ == count_) return "";
        known.var_ = lookup(known.name_, true);
        if (known.var_ == nullptr) {
            known.count_at_miss_ = count_;
            return "";
        }
    }
    const VarLevel *v = visible_value(known.var_, current_level);
    return v != nullptr ? v->text : "";
}

char VarStore::optyesno(KnownName &known) {
    return optstring(known)[0] == 'y' ? 'y' : 'n';
}

void VarStore::for_each_in_order(const std::function<void(const MacroVar &)> &visit) const {
    const MacroVar *stack[max_depth + 1];
    int depth = 0;
    const MacroVar *node = root_;
    while (node != nullptr || depth > 0) {
        while (node != nullptr) {
            stack[depth++] = node;
            node = node->left;
        }
        node = stack[--depth];
        visit(*node);
        node = node->right;
    }
}

} // namespace vornmac
