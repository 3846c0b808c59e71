#include "macro/update_plan.hpp"

#include <algorithm>

namespace vornmac::maclib {

namespace {

// A free block taken for a record: what replaces it in the free list, and the rest of it,
// which stays free only when it is at least split_remainder_minimum bytes.
struct TakenBlock {
    int32_t offset = 0;
    uint32_t replacement = 0; // the rest, or the block's next
    int32_t rest_offset = 0;  // 0: no rest of its own
    uint32_t rest_next = 0;
    uint16_t rest_size = 0;
};

TakenBlock take(const FreeBlock &block, int32_t record_size) {
    TakenBlock taken{block.offset, block.next};
    const int32_t rest = block.size - record_size;
    if (rest >= split_remainder_minimum) {
        taken.rest_offset = block.offset + record_size;
        taken.rest_next = block.next;
        taken.rest_size = static_cast<uint16_t>(rest);
        taken.replacement = static_cast<uint32_t>(taken.rest_offset);
    }
    return taken;
}

std::optional<size_t> first_fit(const std::vector<FreeBlock> &blocks, int32_t record_size) {
    for (size_t i = 0; i < blocks.size(); ++i)
        if (blocks[i].size >= record_size) return i;
    return std::nullopt;
}

class PlanWriter {
  public:
    PlanWriter(UpdatePlan &plan, const MacroDefinition &definition)
        : plan_(plan), definition_(definition) {}

    void header(const FileHeader &header) {
        const auto bytes = encode_file_header(header);
        plan_.writes.push_back({0, {bytes.begin(), bytes.end()}});
        plan_.header = header;
    }
    void link(int32_t at, uint32_t to) {
        PlannedWrite write{at, std::vector<unsigned char>(4)};
        put_u32(write.bytes.data(), to);
        plan_.writes.push_back(std::move(write));
    }
    void free_block(int32_t at, uint32_t next, uint16_t size) {
        PlannedWrite write{at, std::vector<unsigned char>(free_block_header_size)};
        put_u32(write.bytes.data(), next);
        put_u16(write.bytes.data() + 4, size);
        plan_.writes.push_back(std::move(write));
    }
    void record(int32_t at, uint32_t next) {
        plan_.writes.push_back({at, encode_record(definition_, at, next)});
    }
    // The rest of a taken block becomes a free block of its own (inside the taken block, which
    // nothing else reaches once it is off the list or when the list still sees it whole).
    void rest_of(const TakenBlock &taken) {
        if (taken.rest_offset != 0) free_block(taken.rest_offset, taken.rest_next, taken.rest_size);
    }

  private:
    UpdatePlan &plan_;
    const MacroDefinition &definition_;
};

// Takes block `index` of the free list off the list (rule 1): the header's free head, or the
// link of the block before it, moves on to its replacement.
void take_off_free_list(PlanWriter &w, FileHeader &now, const std::vector<FreeBlock> &blocks,
                        size_t index, const TakenBlock &taken) {
    w.rest_of(taken);
    if (index == 0) {
        now.free_head = taken.replacement;
        w.header(now);
    } else {
        w.link(blocks[index - 1].offset, taken.replacement);
    }
}

// Writes a record where it first fits on the free list, or at the end, as the new head of
// the record list; returns its offset.
int32_t add_record_at_head(PlanWriter &w, FileHeader &now, const LibraryState &state,
                           int32_t record_size) {
    int32_t at = static_cast<int32_t>(now.end_offset);
    if (const std::optional<size_t> fit = first_fit(state.free_blocks, record_size)) {
        const TakenBlock taken = take(state.free_blocks[*fit], record_size);
        take_off_free_list(w, now, state.free_blocks, *fit, taken);
        at = taken.offset;
    } else {
        now.end_offset = static_cast<uint32_t>(at + record_size);
    }
    w.record(at, now.list_head);
    now.list_head = static_cast<uint32_t>(at);
    w.header(now);
    return at;
}

UpdatePlan plan_new(const LibraryState &state, const MacroDefinition &definition,
                    int32_t record_size) {
    UpdatePlan plan;
    PlanWriter w(plan, definition);
    FileHeader now = state.header;
    add_record_at_head(w, now, state, record_size);
    return plan;
}

// The replaced record's space is the first block the plain order tries (it has just been
// freed), so a record no larger than it goes there.
UpdatePlan plan_in_place(const LibraryState &state, const MacroDefinition &definition,
                         int32_t record_size, size_t replaced) {
    UpdatePlan plan;
    PlanWriter w(plan, definition);
    FileHeader now = state.header;
    const MacroRecord &old = state.records[replaced];
    const FreeBlock freed{old.offset, now.free_head, old.header.record_size};
    const TakenBlock taken = take(freed, record_size);
    if (replaced == 0) {
        // First in the list: one write turns the old record into the new one.
        w.record(old.offset, old.header.next);
        w.rest_of(taken);
        now.free_head = taken.replacement;
        w.header(now);
        return plan;
    }
    // Rule 4: the copy past the end hides the old record while the old one is replaced.
    const auto copy = static_cast<int32_t>(
        std::max<int64_t>(now.end_offset, std::min<int64_t>(state.file_size, INT32_MAX)));
    w.record(copy, now.list_head);
    FileHeader with_copy = now;
    with_copy.list_head = static_cast<uint32_t>(copy);
    with_copy.end_offset = static_cast<uint32_t>(copy + record_size);
    w.header(with_copy);
    w.link(state.records[replaced - 1].offset, old.header.next);
    w.record(old.offset, now.list_head);
    w.rest_of(taken);
    now.list_head = static_cast<uint32_t>(old.offset);
    now.free_head = taken.replacement;
    w.header(now);
    plan.truncate_to = state.file_size;
    return plan;
}

// The new record goes elsewhere (a later free block or the end); the old record's space
// becomes the head of the free list, as the plain order leaves it.
UpdatePlan plan_elsewhere(const LibraryState &state, const MacroDefinition &definition,
                          int32_t record_size, size_t replaced) {
    UpdatePlan plan;
    PlanWriter w(plan, definition);
    FileHeader now = state.header;
    const MacroRecord &old = state.records[replaced];
    const int32_t at = add_record_at_head(w, now, state, record_size);
    // Rule 3: the old record is unlinked only now; the new one stands before it when it was
    // first.
    w.link(replaced == 0 ? at : state.records[replaced - 1].offset, old.header.next);
    // Its link is the free list's head as placing the new record left it: the old head, or
    // what replaced the first block when the new record took that one.
    w.free_block(old.offset, now.free_head, old.header.record_size);
    now.free_head = static_cast<uint32_t>(old.offset);
    w.header(now);
    return plan;
}

} // namespace

UpdatePlan plan_store(const LibraryState &state, const MacroDefinition &definition,
                      int32_t record_size, std::optional<size_t> replaced) {
    if (!replaced) return plan_new(state, definition, record_size);
    if (record_size <= state.records[*replaced].header.record_size)
        return plan_in_place(state, definition, record_size, *replaced);
    return plan_elsewhere(state, definition, record_size, *replaced);
}

UpdatePlan plan_delete(const LibraryState &state, size_t index) {
    UpdatePlan plan;
    const MacroDefinition none;
    PlanWriter w(plan, none);
    FileHeader now = state.header;
    const MacroRecord &old = state.records[index];
    if (index == 0) {
        now.list_head = old.header.next;
        w.header(now);
    } else {
        w.link(state.records[index - 1].offset, old.header.next);
    }
    w.free_block(old.offset, now.free_head, old.header.record_size);
    now.free_head = static_cast<uint32_t>(old.offset);
    w.header(now);
    return plan;
}

} // namespace vornmac::maclib
