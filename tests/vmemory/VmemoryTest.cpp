#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "VMM.h"
#include "Vmemory.h"

// Under AddressSanitizer an impossible allocation must come back as null, as
// it does from the plain allocator, so that the failure paths can be tested.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

TEST(VmmBlock, AllocateCommitAndFree) {
    VmmBlock block;
    VMM_New(&block);
    EXPECT_EQ(VMM_CommitAll(&block), nullptr);
    ASSERT_EQ(VMM_Allocate(&block, 64), VMM_OK);
    EXPECT_EQ(block.size, 64u);
    uint8_t* base = VMM_CommitAll(&block);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(VMM_Commit(&block, 10, 54), base + 10);
    EXPECT_EQ(VMM_Commit(&block, 10, 55), nullptr);  // one byte beyond the block
    EXPECT_EQ(VMM_Commit(&block, 65, 0), nullptr);
    VMM_Free(&block);
    EXPECT_EQ(block.size, 0u);
    EXPECT_EQ(VMM_CommitAll(&block), nullptr);
}

TEST(VmmBlock, LineCommitsFollowTheLineLayout) {
    VmmBlock block;
    VMM_New(&block);
    ASSERT_EQ(VMM_Allocate(&block, 10 + 4 * 5), VMM_OK);
    VMM_SetLineSpec(&block, 4, 10);
    uint8_t* base = VMM_CommitAll(&block);
    EXPECT_EQ(VMM_CommitLine(&block, 0), base + 10);
    EXPECT_EQ(VMM_CommitLine(&block, 4), base + 26);
    EXPECT_EQ(VMM_CommitBlock(&block, 1, 3), base + 14);
    EXPECT_EQ(VMM_CommitLine(&block, 5), nullptr);
    EXPECT_EQ(VMM_CommitLine(&block, -1), nullptr);
    EXPECT_EQ(VMM_CommitBlock(&block, 3, 2), nullptr);
    EXPECT_EQ(VMM_CommitBlock(&block, 2, 5), nullptr);
    EXPECT_EQ(VMM_CommitLine(&block, INT32_MAX), nullptr);
    VMM_Delete(&block);
}

TEST(VmmBlock, ImpossibleAllocationLeavesTheBlockEmpty) {
    VmmBlock block;
    VMM_New(&block);
    ASSERT_EQ(VMM_Allocate(&block, 16), VMM_OK);
    EXPECT_EQ(VMM_Allocate(&block, SIZE_MAX - 8), VMM_NO_MEMORY);
    EXPECT_EQ(block.base, nullptr);
    EXPECT_EQ(block.size, 0u);
}

TEST(Vmemory, CountAndElementSizeBelowOneBecomeOne) {
    Vmemory bytes(0);
    EXPECT_EQ(bytes.ElementSize(), 1);
    Vmemory ints(4);
    ints.Alloc(0);
    EXPECT_EQ(ints.Count(), 1);
    EXPECT_EQ(ints.ByteSize(), 4u);
    ints.Alloc(-7);
    EXPECT_EQ(ints.Count(), 1);
}

TEST(Vmemory, KeepCopiesTheCommonPrefix) {
    Vmemory memory(1, 4);
    std::memcpy(memory.Commit(), "abcd", 4);
    memory.Alloc(8, 1);
    EXPECT_EQ(std::memcmp(memory.Commit(), "abcd\0\0\0\0", 8), 0);
    memory.Alloc(2, 1);
    EXPECT_EQ(memory.ByteSize(), 2u);
    EXPECT_EQ(std::memcmp(memory.Commit(), "ab", 2), 0);
    memory.Alloc(3, 0);
    EXPECT_EQ(std::memcmp(memory.Commit(), "\0\0\0", 3), 0);
}

TEST(Vmemory, EmptyBlockAndFailedAllocationThrowMinusOne) {
    Vmemory memory(8);
    EXPECT_TRUE(memory.IsEmpty());
    try {
        memory.Commit();
        FAIL() << "Commit on an empty block must throw";
    } catch (int code) {
        EXPECT_EQ(code, -1);
    }
    Vmemory huge(1 << 20);
    huge.Alloc(1);
    std::memcpy(huge.Commit(), "kept", 4);
    try {
        huge.Alloc(INT32_MAX);  // about 2^51 bytes
        FAIL() << "an impossible allocation must throw";
    } catch (int code) {
        EXPECT_EQ(code, -1);
    }
    // The block held before the failed call is still there.
    EXPECT_EQ(huge.Count(), 1);
    EXPECT_EQ(std::memcmp(huge.Commit(), "kept", 4), 0);
    memory.Alloc(2);
    memory.Clear();
    EXPECT_TRUE(memory.IsEmpty());
    EXPECT_EQ(memory.ByteSize(), 0u);
}
