#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "VMM.h"
#include "Vmemory.h"

// Under AddressSanitizer an impossible allocation must come back as null, as
// it does from the plain allocator, so that the failure paths can be tested.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

int ThrownCode(Vmemory& memory, int32_t count) {
    try {
        memory.Alloc(count);
    } catch (int code) {
        return code;
    }
    return 0;
}

}  // namespace

TEST(VmmBlock, CommitsStayInsideTheBlockAndFollowTheLineLayout) {
    VmmBlock block;
    VMM_New(&block);
    EXPECT_EQ(VMM_CommitAll(&block), nullptr);
    ASSERT_EQ(VMM_Allocate(&block, 10 + 4 * 5), VMM_OK);
    VMM_SetLineSpec(&block, 4, 10);
    uint8_t* base = VMM_CommitAll(&block);
    EXPECT_EQ(VMM_Commit(&block, 10, 20), base + 10);
    EXPECT_EQ(VMM_Commit(&block, 10, 21), nullptr);
    EXPECT_EQ(VMM_CommitLine(&block, 4), base + 26);
    EXPECT_EQ(VMM_CommitBlock(&block, 1, 3), base + 14);
    EXPECT_EQ(VMM_CommitLine(&block, 5), nullptr);
    EXPECT_EQ(VMM_CommitLine(&block, -1), nullptr);
    EXPECT_EQ(VMM_CommitBlock(&block, 3, 2), nullptr);
    EXPECT_EQ(VMM_CommitLine(&block, INT32_MAX), nullptr);
    EXPECT_EQ(VMM_Allocate(&block, SIZE_MAX - 8), VMM_NO_MEMORY);
    EXPECT_EQ(block.base, nullptr);
    EXPECT_EQ(block.size, 0u);
}

TEST(Vmemory, SizesBelowOneBecomeOneAndKeepCopiesThePrefix) {
    Vmemory ints(0);
    EXPECT_EQ(ints.ElementSize(), 1);
    Vmemory memory(2);
    memory.Alloc(0);
    EXPECT_EQ(memory.ByteSize(), 2u);
    memory.Alloc(2);
    std::memcpy(memory.Commit(), "abcd", 4);
    memory.Alloc(4, 1);
    EXPECT_EQ(std::memcmp(memory.Commit(), "abcd\0\0\0\0", 8), 0);
    memory.Alloc(1, 1);
    EXPECT_EQ(std::memcmp(memory.Commit(), "ab", 2), 0);
    memory.Alloc(2, 0);
    EXPECT_EQ(std::memcmp(memory.Commit(), "\0\0\0\0", 4), 0);
}

TEST(Vmemory, EmptyBlockAndImpossibleAllocationThrowMinusOne) {
    Vmemory memory(1 << 20);
    EXPECT_EQ(ThrownCode(memory, 1), 0);
    std::memcpy(memory.Commit(), "kept", 4);
    EXPECT_EQ(ThrownCode(memory, INT32_MAX), -1);  // about 2^51 bytes
    EXPECT_EQ(std::memcmp(memory.Commit(), "kept", 4), 0);
    memory.Clear();
    EXPECT_TRUE(memory.IsEmpty());
    EXPECT_THROW(memory.Commit(), int);
}
