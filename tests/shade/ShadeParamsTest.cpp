// The parameter record and its entry table.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <type_traits>

#include "ShadeParams.h"

static_assert(std::is_trivially_copyable_v<ShadeParams>);
static_assert(std::is_standard_layout_v<ShadeParams>);

namespace {

ShadeParams Defaults(std::string_view pictures = "/home/u/Pictures") {
    ShadeParams params;
    std::memset(&params, 0x5A, sizeof params);  // stale content must not survive
    ShadeParamsSetDefaults(params, pictures);
    return params;
}

}  // namespace

// A table row pointing at another row's field would make two keys share one
// value in every file and script.
TEST(ShadeParamsTable, EveryEntryOwnsItsOwnField) {
    std::set<std::size_t> offsets;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        EXPECT_TRUE(offsets.insert(entry.offset).second) << entry.key;
        EXPECT_EQ(entry.part == ShadeParamPart::Settings, entry.group == ShadeParamGroup::None) << entry.key;
        EXPECT_LE(entry.offset + sizeof(int32_t), sizeof(ShadeParams)) << entry.key;
    }
}

// The style entries' defaults are checked on the bytes of a saved style, the
// settings' on a start without a settings file.  A pictures folder that does
// not fit is left out, not cut.
TEST(ShadeParamsDefaults, ThePicturesFolderIsTakenWholeOrNotAtAll) {
    const std::string longest(kShadeParamsPathSize - 1, 'a');
    EXPECT_EQ(std::string(Defaults(longest).PathDefault), longest);
    EXPECT_STREQ(Defaults(longest + "b").PathDefault, "");
    EXPECT_STREQ(Defaults().StylePath, "");
}

TEST(ShadeParamsColor, HsvViewFollowsTheRgbColour) {
    struct Case {
        int32_t r, g, b;
        int32_t h, s, v;
    };
    const Case cases[] = {
        {255, 0, 0, 0, 100, 100},
        {0, 0, 255, 240, 100, 100},       // hue 168 of 252
        {200, 100, 50, 20, 74, 78},       // hue 14, saturation 191, value 200
        {128, 128, 128, 331, 0, 50},      // grey: hue (128 >> 1) + 168 = 232
        {0, 0, 0, 240, 0, 0},             // black: hue 168
        {255, 255, 255, 61, 0, 100},      // white: hue 127 + 168 - 252 = 43
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
        ShadeParams params = Defaults();
        params.ColorR = c.r;
        params.ColorG = c.g;
        params.ColorB = c.b;
        ShadeParamsDeriveColorHsv(params);
        EXPECT_EQ(params.ColorH, c.h);
        EXPECT_EQ(params.ColorS, c.s);
        EXPECT_EQ(params.ColorV, c.v);
        EXPECT_EQ(params.ColorR, c.r);  // the RGB colour itself stays
    }
}
