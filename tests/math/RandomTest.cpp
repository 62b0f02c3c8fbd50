#include "Random.h"

#include <gtest/gtest.h>

// Expected seeds were computed with python3: seed = (seed * 1566083941 + 1)
// % 2**32.

TEST(Random, FirstDrawsFromKnownSeeds)
{
    Randomize(12345);
    EXPECT_DOUBLE_EQ(RandomDouble(), 1658452350 / 4294967295.0);
    EXPECT_EQ(RandomSeed(), 1658452350u);
    EXPECT_EQ(RandomShift(24), 227u); // seed 3821459639
    EXPECT_EQ(RandomShift(0), 3473333556u);
    EXPECT_EQ(RandomShift(31), 0u);   // seed 1437630853
    EXPECT_EQ(RandomSeed(), 1437630853u);

    Randomize(0);
    EXPECT_EQ(RandomShift(0), 1u);
    EXPECT_EQ(RandomShift(0), 1566083942u);
    EXPECT_EQ(RandomShift(0), 3769590079u);
}

TEST(Random, WrapsModulo2To32AndReachesOne)
{
    Randomize(0xFFFFFFFFu);
    RandomShift(0);
    EXPECT_EQ(RandomSeed(), 2728883356u);

    Randomize(722641702); // the seed whose successor is 2^32 - 1
    EXPECT_EQ(RandomDouble(), 1.0);
    EXPECT_EQ(RandomDouble(), 2728883356u / 4294967295.0); // -a + 1 wraps

    // Shifts outside the word are safe.
    Randomize(5);
    EXPECT_EQ(RandomShift(32), 0u);
    EXPECT_EQ(RandomShift(-3), (5u * 1566083941u + 1u) * 1566083941u + 1u);
}
