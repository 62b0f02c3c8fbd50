#include "VMM.h"

#include <cstdlib>

void VMM_New(VmmBlock* block) { *block = VmmBlock{}; }

int VMM_Allocate(VmmBlock* block, size_t size) {
    VMM_Free(block);
    if (size == 0) return VMM_OK;
    auto* memory = static_cast<uint8_t*>(std::calloc(size, 1));
    if (memory == nullptr) return VMM_NO_MEMORY;
    block->base = memory;
    block->size = size;
    return VMM_OK;
}

void VMM_Free(VmmBlock* block) {
    std::free(block->base);
    *block = VmmBlock{};
}

void VMM_Delete(VmmBlock* block) { VMM_Free(block); }

void VMM_SetLineSpec(VmmBlock* block, size_t lineSize, size_t headerSize) {
    block->lineSize = lineSize;
    block->headerSize = headerSize;
}

uint8_t* VMM_Commit(VmmBlock* block, size_t offset, size_t length) {
    if (block->base == nullptr || offset > block->size || length > block->size - offset) return nullptr;
    return block->base + offset;
}

uint8_t* VMM_CommitAll(VmmBlock* block) { return block->base; }

void VMM_Decommit(VmmBlock*) {}

uint8_t* VMM_CommitLine(VmmBlock* block, int32_t line) {
    return VMM_CommitBlock(block, line, line);
}

uint8_t* VMM_CommitBlock(VmmBlock* block, int32_t first, int32_t last) {
    if (first < 0 || last < first) return nullptr;
    const size_t lines = static_cast<size_t>(last) - static_cast<size_t>(first) + 1;
    // Lines that lie beyond the block are refused before any product can wrap.
    if (block->lineSize != 0 && static_cast<size_t>(last) >= block->size / block->lineSize) return nullptr;
    return VMM_Commit(block, block->headerSize + block->lineSize * static_cast<size_t>(first),
                      block->lineSize * lines);
}
