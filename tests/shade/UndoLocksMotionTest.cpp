#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

#include "Locks.h"
#include "Motion.h"
#include "PsControlCombo.h"
#include "Random.h"
#include "ShadeParams.h"
#include "UndoHistory.h"

namespace {

ShadeParams Defaults() {
    ShadeParams params{};
    ShadeParamsSetDefaults(params, "/pictures");
    return params;
}

// Leg 1 of seed 12345: every entry that motion draws a target for.
const std::map<std::string, int32_t> kLegOneTargets = {
    {"pMle", 100}, {"pMhe", 98}, {"pMba", 18}, {"pMbp", 0}, {"pMbw", 92}, {"pMsm", 3},
    {"pMcr", 180}, {"pMcg", 233}, {"pMcb", 190}, {"pMcw", 17}, {"pMsp", 14}, {"pMrf", 53},
    {"pMsl", 12}, {"pMgr", 37}, {"pMgg", 0}, {"pMgb", 0}, {"pTtv", 229}, {"pTox", 5},
    {"pToy", 11}, {"pTsc", 44}, {"pTbe", 98}, {"pTco", 56}, {"pTbu", -40}, {"pTwi", -100},
    {"pTct", 0}, {"pThu", -11}, {"pTcr", -1}, {"pTli", 0}, {"pEtv", 101}, {"pEox", -83},
    {"pEoy", -36}, {"pEwi", 53}, {"pEsc", 97}, {"pEct", 0}, {"pEhu", 0}, {"pEcr", 0},
    {"pEli", -12}, {"pLp0", 17}, {"pLp1", 73}, {"pLsf", 1}};

}  // namespace

TEST(UndoHistory, SixtyFiveStoresKeepSixtyFourAndUndoGoesBackSixtyThree) {
    UndoHistory history;
    ShadeParams record = Defaults();
    for (int i = 0; i < 65; ++i) {
        record.Length = i;
        history.Store(record);
    }
    EXPECT_EQ(history.GetPosition(), 64);
    EXPECT_EQ(history.Slot(0).Length, 1);  // record 0 dropped
    EXPECT_EQ(history.Slot(63).Length, 64);
    int undos = 0;
    while (history.Undo(true, record)) ++undos;
    EXPECT_EQ(undos, 63);
    EXPECT_EQ(record.Length, 2);  // the store before the first undo dropped record 1 as well
    EXPECT_FALSE(history.CanUndo());
}

// Leg 1 with seed 12345, checked by hand against the draw order:
//   draw 1: 12345 * 1566083941 + 1 = 19333306251646 = 1658452350 (mod 2^32),
//           r = 1658452350 / 4294967295 = 0.386139; r^0.1 = 0.90923;
//           pMle = trunc(90.92) + 20 = 110, at most 100 -> 100
//   draw 2: 1658452350 * 1566083941 + 1 = 3821459639 (mod 2^32), r = 0.889753;
//           r^0.1 = 0.98839; pMhe = trunc(99 * 0.98839) + 1 = 97 + 1 = 98
//   draw 3: 3473333556, r = 0.808698; r^8 = 0.1833; pMba = 18
// and so on through the table; D(p) takes two draws, the minuend first,
// 57 draws in all, after which the seed is 2007543754.
// Then three legs of two steps, pinned after replaying the generator, the
// target table and the light drift independently: each row is pMhe, pMcr,
// pTbu, pEox, pLp1, pLh1, pLv1 after one step, with the seed reached (no
// draws within a leg; step 1 of 2 is halfway, truncated toward zero).
TEST(Motion, FixedSeedGivesThePinnedTargetsAndSequence) {
    MotionProcessState process;
    Motion motion(process);
    LockFlags locks;
    ShadeParams record = Defaults();
    const ShadeParams start = record;
    motion.Start(0, 1000, 12345);  // MotionDevide 0: two steps per leg
    EXPECT_EQ(motion.GetSteps(), 2);
    motion.RandomParam(record, locks, nullptr, nullptr);
    EXPECT_EQ(process.legCounter, 1u);
    ShadeParams target = motion.GetLegTarget();
    ShadeParams startCopy = start;
    for (const auto& [key, value] : kLegOneTargets) {
        EXPECT_EQ(ShadeParamByScript(target, key.c_str()), value) << key;
        // Step 0 leaves every interpolated entry at its start value.
        EXPECT_EQ(ShadeParamByScript(record, key.c_str()), ShadeParamByScript(startCopy, key.c_str())) << key;
    }

    struct Row {
        std::array<int32_t, 7> values;
        uint32_t seed;
    };
    const Row expected[] = {
        {{99, 218, -20, -41, 41, 65, 34}, 2007543754u},
        {{99, 218, -20, -41, 41, 75, 36}, 4709359u},   {{97, 233, -7, -21, 59, 85, 38}, 4709359u},
        {{97, 233, -7, -21, 59, 95, 40}, 294906168u},  {{96, 208, -4, -6, 34, 105, 42}, 294906168u},
    };
    for (const Row& row : expected) {
        const int32_t shown = record.ColorR;
        motion.RandomParam(record, locks, nullptr, nullptr);
        std::array<int32_t, 7> values{};
        int i = 0;
        for (const char* key : {"pMhe", "pMcr", "pTbu", "pEox", "pLp1", "pLh1", "pLv1"})
            values[static_cast<size_t>(i++)] = ShadeParamByScript(record, key);
        EXPECT_EQ(values, row.values);
        EXPECT_EQ(RandomSeed(), row.seed);
        EXPECT_EQ(motion.GetCapture().ColorR, shown);  // the record before the step
    }
    EXPECT_EQ(process.legCounter, 3u);
}

TEST(Motion, AllGroupsLockedStillAdvanceTheGenerator) {
    MotionProcessState process;
    Motion motion(process);
    LockFlags locks;
    for (int i = 0; i < kLockGroupCount; ++i) locks.SetLocked(i, true);
    ShadeParams record = Defaults();
    ShadeParamByScript(record, "pLv1") = 80;
    const ShadeParams before = record;
    motion.Start(3, 0, 12345);
    EXPECT_EQ(motion.GetSteps(), 16);
    motion.RandomParam(record, locks, nullptr, nullptr);
    EXPECT_EQ(RandomSeed(), 2007543754u);
    ShadeParams beforeCopy = before;
    for (const auto& [key, value] : kLegOneTargets)
        EXPECT_EQ(ShadeParamByScript(record, key.c_str()), ShadeParamByScript(beforeCopy, key.c_str())) << key;
    EXPECT_EQ(ShadeParamByScript(record, "pLh1"), ShadeParamByScript(beforeCopy, "pLh1"));
    EXPECT_EQ(ShadeParamByScript(record, "pLv1"), 80);  // locked: not even brought into 30..70
}

// Elevations are brought into 30..70 at each leg, then drift by 2 (main)
// and 1 (sub) degrees a step, reversing at the ends; directions wrap.
TEST(Motion, LightAnglesWrapAndElevationsReverse) {
    MotionProcessState process;
    Motion motion(process);
    LockFlags locks;
    ShadeParams record = Defaults();
    ShadeParamByScript(record, "pLh1") = 355;
    ShadeParamByScript(record, "pLv1") = 85;
    ShadeParamByScript(record, "pLv2") = 10;
    motion.Start(3, 0, 1);
    motion.RandomParam(record, locks, nullptr, nullptr);
    EXPECT_EQ(motion.GetCapture().LightAngleV[kLightChannelSub], 70);
    EXPECT_EQ(ShadeParamByScript(record, "pLh1"), 5);
    EXPECT_EQ(ShadeParamByScript(record, "pLv1"), 72);
    EXPECT_EQ(process.vecAngleV1, -2);
    EXPECT_EQ(ShadeParamByScript(record, "pLv2"), 31);
    EXPECT_EQ(process.vecAngleV2, 1);
    EXPECT_EQ(ShadeParamByScript(record, "pLsw"), 50);  // no target drawn
    motion.RandomParam(record, locks, nullptr, nullptr);
    EXPECT_EQ(ShadeParamByScript(record, "pLv1"), 70);
    EXPECT_EQ(ShadeParamByScript(record, "pLh1"), 15);
}

TEST(Motion, EveryFifthLegDrawsATextureFromTheList) {
    MotionProcessState process;
    process.legCounter = 4;
    Motion motion(process);
    LockFlags locks;
    PsControlCombo textures;
    textures.Setup("/unused", "/unused", "", "T", 1, 52, "", "");
    for (const char* path : {"/t/a.png", "/t/b.png", "/t/c.png"}) textures.AddImage(path);
    ShadeParams record = Defaults();
    motion.Start(0, 0, 12345);
    motion.RandomParam(record, locks, &textures, nullptr);
    // The 58th draw: 2007543754 * 1566083941 + 1 (mod 2^32) >> 24 picks
    // entry trunc(b * 3 / 256).
    const uint32_t next = 2007543754u * 1566083941u + 1u;
    const int32_t index = static_cast<int32_t>((next >> 24) * 3 / 256);
    EXPECT_EQ(std::string(record.TextureFilename), textures.GetPathReal(index));
    EXPECT_EQ(RandomSeed(), next);
}
