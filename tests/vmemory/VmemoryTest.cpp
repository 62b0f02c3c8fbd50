#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "VMM.h"
#include "Vmemory.h"

// Under AddressSanitizer an impossible allocation must come back as null, as
// it does from the plain allocator, so that the failure paths can be tested.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

// A block of a 10-byte header and five lines of 4 bytes.
TEST(VmmBlock, CommitsStayInsideTheBlockAndFollowTheLineLayout) {
    VmmBlock block;
    VMM_New(&block);
    EXPECT_EQ(VMM_CommitAll(&block), nullptr);
    ASSERT_EQ(VMM_Allocate(&block, 10 + 4 * 5), VMM_OK);
    VMM_SetLineSpec(&block, 4, 10);
    uint8_t* base = VMM_CommitAll(&block);
    struct Case {
        uint8_t* got;
        int64_t offset;  // -1: refused
    };
    for (const Case& c : {Case{VMM_Commit(&block, 10, 20), 10}, Case{VMM_Commit(&block, 10, 21), -1},
                          Case{VMM_CommitLine(&block, 4), 26}, Case{VMM_CommitBlock(&block, 1, 3), 14},
                          Case{VMM_CommitLine(&block, 5), -1}, Case{VMM_CommitLine(&block, -1), -1},
                          Case{VMM_CommitBlock(&block, 3, 2), -1}, Case{VMM_CommitLine(&block, INT32_MAX), -1}})
        EXPECT_EQ(c.got, c.offset < 0 ? nullptr : base + c.offset) << c.offset;
    EXPECT_EQ(VMM_Allocate(&block, SIZE_MAX - 8), VMM_NO_MEMORY);
    EXPECT_EQ(block.base, nullptr);
    EXPECT_EQ(block.size, 0u);
}

TEST(Vmemory, SizesBelowOneBecomeOneAndKeepCopiesThePrefix) {
    EXPECT_EQ(Vmemory(0).ElementSize(), 1);
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

TEST(Vmemory, ImpossibleAllocationThrowsMinusOneAndKeepsTheBlock) {
    Vmemory memory(1 << 20, 1);
    std::memcpy(memory.Commit(), "kept", 4);
    try {
        memory.Alloc(INT32_MAX);  // about 2^51 bytes
        ADD_FAILURE() << "no exception";
    } catch (int code) {
        EXPECT_EQ(code, -1);
    }
    EXPECT_EQ(std::memcmp(memory.Commit(), "kept", 4), 0);
}
