#include "Vmemory.h"

#include <algorithm>
#include <cstring>

Vmemory::Vmemory(int32_t elementSize) : elementSize_(std::max<int32_t>(elementSize, 1)) {
    VMM_New(&block_);
}

Vmemory::Vmemory(int32_t elementSize, int32_t count) : Vmemory(elementSize) { Alloc(count); }

Vmemory::~Vmemory() { Clear(); }

void Vmemory::Alloc(int32_t count, int keep) {
    count = std::max<int32_t>(count, 1);
    // Both factors are below 2^31, so the product fits in 64 bits.
    const uint64_t bytes = static_cast<uint64_t>(elementSize_) * static_cast<uint64_t>(count);
    if (bytes > SIZE_MAX) throw -1;
    VmmBlock fresh;
    VMM_New(&fresh);
    if (VMM_Allocate(&fresh, static_cast<size_t>(bytes)) != VMM_OK) throw -1;
    if (keep == 1 && block_.base != nullptr) {
        std::memcpy(fresh.base, block_.base, std::min(block_.size, fresh.size));
    }
    VMM_Delete(&block_);
    block_ = fresh;
    count_ = count;
    byteSize_ = static_cast<size_t>(bytes);
}

void* Vmemory::Commit() {
    uint8_t* address = VMM_CommitAll(&block_);
    if (address == nullptr) throw -1;
    return address;
}

void Vmemory::Decommit() { VMM_Decommit(&block_); }

void Vmemory::Clear() {
    VMM_Delete(&block_);
    count_ = 0;
    byteSize_ = 0;
}
