#pragma once
// A typed memory block: a run of `count` elements of `elementSize` bytes.
// Allocation failures are thrown as the int -1 (the out-of-memory code that
// travels up to the plug-in's entry point).
#include <cstddef>
#include <cstdint>

#include "VMM.h"

class Vmemory {
public:
    // Element sizes below 1 become 1.  With a count, allocates at once.
    explicit Vmemory(int32_t elementSize = 1);
    Vmemory(int32_t elementSize, int32_t count);
    ~Vmemory();
    Vmemory(const Vmemory&) = delete;
    Vmemory& operator=(const Vmemory&) = delete;

    // Allocates count * element size zeroed bytes in a fresh block (counts
    // below 1 become 1).  With keep = 1 the first min(old, new) bytes of the
    // old block are copied over.  The old block is then released.  Throws -1
    // when the memory cannot be had; the old block is then left as it was.
    void Alloc(int32_t count, int keep = 0);
    // Address of element 0.  Throws -1 when the block is empty.
    void* Commit();
    template <class T>
    T* CommitAs() { return static_cast<T*>(Commit()); }
    // Ends a pass over the block.
    void Decommit();
    // Releases the memory.
    void Clear();

    int32_t ElementSize() const { return elementSize_; }
    int32_t Count() const { return count_; }
    size_t ByteSize() const { return byteSize_; }
    bool IsEmpty() const { return block_.base == nullptr; }

private:
    VmmBlock block_;
    int32_t elementSize_;
    int32_t count_ = 0;
    size_t byteSize_ = 0;
};
