#pragma once
// Memory blocks: every large buffer of the system is one of these.  A caller
// owns a block, commits the part it is about to touch (a byte range, a line,
// a run of lines, everything), receives its address and decommits when the
// pass is done.  Blocks live in ordinary heap memory, so committed addresses
// stay valid until the block is freed or reallocated.
#include <cstddef>
#include <cstdint>

// Storage kinds of a block.  Only ordinary memory exists.
constexpr int32_t VMM_KIND_MEMORY = 1;

// Result codes of VMM_Allocate.
constexpr int VMM_OK = 0;
constexpr int VMM_NO_MEMORY = -2;

struct VmmBlock {
    int32_t kind = VMM_KIND_MEMORY;
    size_t size = 0;            // allocated bytes, 0 when empty
    uint8_t* base = nullptr;    // address of byte 0, null when empty
    size_t lineSize = 0;        // line layout used by the line commits
    size_t headerSize = 0;
};

// Makes `block` an empty block of ordinary memory.
void VMM_New(VmmBlock* block);
// Frees what the block held, then allocates `size` zeroed bytes.  Returns
// VMM_OK, or VMM_NO_MEMORY (block left empty) when the memory cannot be had.
// A size of 0 leaves the block empty and succeeds.
int VMM_Allocate(VmmBlock* block, size_t size);
// Releases the memory; every field returns to empty (the line layout too).
void VMM_Free(VmmBlock* block);
// VMM_Free plus the release of any other resource of the block.
void VMM_Delete(VmmBlock* block);
// Stores the line layout used by VMM_CommitLine and VMM_CommitBlock.
void VMM_SetLineSpec(VmmBlock* block, size_t lineSize, size_t headerSize);

// Address of byte `offset`; the bytes up to offset + length may be touched.
// Null when the range does not lie inside the block.
uint8_t* VMM_Commit(VmmBlock* block, size_t offset, size_t length);
// Address of byte 0 with the whole block touchable; null for an empty block.
uint8_t* VMM_CommitAll(VmmBlock* block);
// Ends a pass.  No effect on ordinary memory.
void VMM_Decommit(VmmBlock* block);
// VMM_Commit(header size + line size * line, line size); null for a negative
// line or one beyond the block.
uint8_t* VMM_CommitLine(VmmBlock* block, int32_t line);
// VMM_Commit(header size + line size * first, line size * (last - first + 1));
// null when first > last, first < 0 or the lines do not lie inside the block.
uint8_t* VMM_CommitBlock(VmmBlock* block, int32_t first, int32_t last);
