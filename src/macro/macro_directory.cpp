// AVL insertion with an explicit path: the walk down records each ancestor and the side
// taken, and the walk back up adjusts balances until a subtree's height stops changing.
#include "macro/macro_directory.hpp"

#include "vars/name_compare.hpp"

namespace vornmac {

const DirectoryEntry *MacroDirectory::lookup(const char *name) const {
    const DirectoryEntry *node = root_;
    while (node != nullptr) {
        const int order = name_compare(name, node->name.c_str());
        if (order == 0) return node;
        node = order < 0 ? node->left : node->right;
    }
    return nullptr;
}

void MacroDirectory::forget_slot(int16_t slot) {
    for (const auto &entry : entries_)
        entry->offsets[static_cast<size_t>(slot)] = -1;
}

namespace {

DirectoryEntry *&child(DirectoryEntry *node, int16_t side) {
    return side < 0 ? node->left : node->right;
}

// `top` leans to `side` and that side grew by one: a single rotation when its child leans
// the same way, a double one otherwise. Returns the repaired subtree's new top.
DirectoryEntry *rebalance(DirectoryEntry *top, int16_t side) {
    DirectoryEntry *heavy = child(top, side);
    if (heavy->balance == side) {
        child(top, side) = child(heavy, static_cast<int16_t>(-side));
        child(heavy, static_cast<int16_t>(-side)) = top;
        top->balance = 0;
        heavy->balance = 0;
        return heavy;
    }
    DirectoryEntry *middle = child(heavy, static_cast<int16_t>(-side));
    child(heavy, static_cast<int16_t>(-side)) = child(middle, side);
    child(middle, side) = heavy;
    child(top, side) = child(middle, static_cast<int16_t>(-side));
    child(middle, static_cast<int16_t>(-side)) = top;
    top->balance = middle->balance == side ? static_cast<int16_t>(-side) : int16_t{0};
    heavy->balance = middle->balance == -side ? side : int16_t{0};
    middle->balance = 0;
    return middle;
}

} // namespace

DirectoryEntry *MacroDirectory::insert(const char *name, int32_t offset, int16_t slot) {
    DirectoryEntry *path[max_depth + 1];
    int16_t sides[max_depth + 1];
    int depth = 0;
    DirectoryEntry *node = root_;
    while (node != nullptr) {
        const int order = name_compare(name, node->name.c_str());
        if (order == 0) {
            int32_t &held = node->offsets[static_cast<size_t>(slot)];
            if (held == -1) held = offset;
            return node;
        }
        if (depth > max_depth) return nullptr; // cannot happen while the tree is balanced
        path[depth] = node;
        sides[depth] = order < 0 ? int16_t{-1} : int16_t{1};
        node = child(node, sides[depth]);
        ++depth;
    }
    if (count() >= max_entries) return nullptr;

    entries_.push_back(std::make_unique<DirectoryEntry>());
    DirectoryEntry *created = entries_.back().get();
    created->name = name;
    created->offsets[static_cast<size_t>(slot)] = offset;
    if (depth == 0) {
        root_ = created;
        return created;
    }
    child(path[depth - 1], sides[depth - 1]) = created;

    for (int i = depth - 1; i >= 0; --i) {
        DirectoryEntry *ancestor = path[i];
        if (ancestor->balance == 0) {
            ancestor->balance = sides[i];
            continue;
        }
        if (ancestor->balance != sides[i]) {
            ancestor->balance = 0;
            break;
        }
        DirectoryEntry *repaired = rebalance(ancestor, sides[i]);
        if (i == 0)
            root_ = repaired;
        else
            child(path[i - 1], sides[i - 1]) = repaired;
        break;
    }
    return created;
}

} // namespace vornmac
