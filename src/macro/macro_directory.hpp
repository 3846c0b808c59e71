// The macro directory: every macro name met in the library slots, with the offset of its
// record in each slot's file. It is a height-balanced (AVL) tree ordered by name_compare,
// so `%M` finds the macro stored as `m`.
//
// Invariants: entries are never removed (a slot that goes away only clears its offsets,
// and an entry with all offsets -1 counts as absent); within one slot the first offset
// recorded for a name stays, so loading a library newest record first makes the newest
// definition win; every entry's balance is the height of its right subtree minus that of
// its left, -1 to 1.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vornmac {

inline constexpr int16_t library_slot_count = 7;

struct DirectoryEntry {
    int16_t balance = 0;
    DirectoryEntry *left = nullptr;
    DirectoryEntry *right = nullptr;
    std::string name;
    std::array<int32_t, library_slot_count> offsets{-1, -1, -1, -1, -1, -1, -1};
};

class MacroDirectory {
  public:
    // At this many names an insertion path would outgrow the 19 ancestors it may record.
    static constexpr int32_t max_entries = 17709;
    static constexpr int max_depth = 19;

    // The entry of `name`, or null.
    const DirectoryEntry *lookup(const char *name) const;
    // Records `offset` for `slot` (0-6) unless that slot already has one. Null when the
    // name is new and the directory is full.
    DirectoryEntry *insert(const char *name, int32_t offset, int16_t slot);
    void forget_slot(int16_t slot);

    int32_t count() const { return static_cast<int32_t>(entries_.size()); }
    const DirectoryEntry *root() const { return root_; }

  private:
    DirectoryEntry *root_ = nullptr;
    std::vector<std::unique_ptr<DirectoryEntry>> entries_; // owns every entry
};

} // namespace vornmac
