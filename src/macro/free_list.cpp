// First fit over the free list, with the 55-byte split rule. Links are written as 4-byte
// little-endian offsets, a free block's size as 2 bytes right after its link.
#include "macro/free_list.hpp"

namespace vornmac::maclib {

Damage plan_space(const LibraryFile &file, const FileHeader &header, int32_t record_size,
                  SpacePlan &plan) {
    plan = SpacePlan{};
    int32_t previous = 0;
    const Damage damage = walk_free_list(file, header, [&](const FreeBlock &block) {
        if (block.size < record_size) {
            previous = block.offset;
            return true;
        }
        const int32_t remaining = block.size - record_size;
        plan.offset = block.offset;
        plan.previous_block = previous;
        plan.from_free_list = true;
        if (remaining >= split_remainder_minimum) {
            plan.remainder_offset = block.offset + record_size;
            plan.remainder_next = block.next;
            plan.remainder_size = static_cast<uint16_t>(remaining);
            plan.replacement = static_cast<uint32_t>(plan.remainder_offset);
        } else {
            plan.replacement = block.next;
        }
        return false;
    });
    if (!damage && !plan.from_free_list) plan.offset = static_cast<int32_t>(header.end_offset);
    return damage;
}

namespace {

bool write_link(const LibraryFile &file, int32_t at, uint32_t link) {
    unsigned char bytes[4];
    put_u32(bytes, link);
    return file.write_at(at, bytes, 4);
}

bool write_free_block(const LibraryFile &file, int32_t at, uint32_t next, uint16_t size) {
    unsigned char bytes[free_block_header_size];
    put_u32(bytes, next);
    put_u16(bytes + 4, size);
    return file.write_at(at, bytes, free_block_header_size);
}

} // namespace

bool commit_space(const LibraryFile &file, FileHeader &header, const SpacePlan &plan,
                  int32_t record_size) {
    if (!plan.from_free_list) {
        header.end_offset = static_cast<uint32_t>(plan.offset + record_size);
        return true;
    }
    if (plan.remainder_offset != 0 &&
        !write_free_block(file, plan.remainder_offset, plan.remainder_next, plan.remainder_size))
        return false;
    if (plan.previous_block == 0) {
        header.free_head = plan.replacement;
        return true;
    }
    return write_link(file, plan.previous_block, plan.replacement);
}

bool release_space(const LibraryFile &file, FileHeader &header, int32_t offset,
                   uint16_t record_size) {
    if (!write_free_block(file, offset, header.free_head, record_size)) return false;
    header.free_head = static_cast<uint32_t>(offset);
    return true;
}

} // namespace vornmac::maclib
