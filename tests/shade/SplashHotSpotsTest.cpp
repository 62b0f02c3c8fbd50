// The about window's hot spots as the description file gives them: the
// count and its limits, hover changes and which spot a click opens.
#include <gtest/gtest.h>

#include <string>

#include "SplashHotSpots.h"
#include "TempDir.h"

namespace {

using morvanel_test::MakeFile;
using morvanel_test::TempDir;

// Spot n (from 1) at x = 10n .. 10n + 20, y = 0 .. 10, mode n % 3.
std::string Spots(int declared, int written) {
    std::string text = "[MAIN]\nDevelop=\"x\"\nHotSpot=" + std::to_string(declared) +
                       "\nHotSpotColorR=300\nHotSpotColorG=20\nHotSpotColorB=-4\n";
    for (int n = 1; n <= written; ++n)
        text += "[HotSpot" + std::to_string(n) + "]\nURL=\"https://example.org/" + std::to_string(n) +
                "\"\nMode=" + std::to_string(n % 3) + "\nx1=" + std::to_string(10 * n) +
                "\ny1=0\nx2=" + std::to_string(10 * n + 20) + "\ny2=10\n";
    return text;
}

TEST(SplashHotSpots, CountColourAndWhichSpotAClickOpens) {
    TempDir dir;
    struct Case {
        int declared, written, expected;
    } cases[] = {{-5, 3, 0}, {2, 3, 2}, {12, 12, 8}, {3, 1, 3}};
    for (const Case& c : cases) {
        SplashHotSpots spots;
        MakeFile(dir.file("Splash.inf"), Spots(c.declared, c.written));
        ASSERT_TRUE(spots.InitProfile(dir.file("Splash.inf"))) << c.declared;
        EXPECT_EQ(spots.Count(), c.expected) << c.declared;
        EXPECT_EQ(spots.Red(), 255);
        EXPECT_EQ(spots.Green(), 20);
        EXPECT_EQ(spots.Blue(), 0);
    }
    // The last row's file declares three spots and writes one: a declared
    // spot without its section is empty, never hit, never lit.
    SplashHotSpots spots;
    spots.InitProfile(dir.file("Splash.inf"));
    EXPECT_EQ(spots.At(0).mode, SplashHighlight::Underline);
    EXPECT_TRUE(spots.At(2).rect.IsRectEmpty());

    // Neither a missing file nor a folder is a description.
    SplashHotSpots none;
    EXPECT_FALSE(none.InitProfile(dir.file("missing.inf")));
    EXPECT_FALSE(none.InitProfile(dir.path().string()));
    EXPECT_EQ(none.Count(), 0);

    // Overlapping spots both light, but the lower number wins the click:
    // x = 25 lies in spot 1 (10..30) and spot 2 (20..40).
    MakeFile(dir.file("Splash.inf"), Spots(3, 3));
    ASSERT_TRUE(spots.InitProfile(dir.file("Splash.inf")));
    EXPECT_EQ(spots.OnMouseMove(25, 5).size(), 2u);
    EXPECT_TRUE(spots.OnMouseMove(26, 6).empty());  // nothing changed
    EXPECT_EQ(spots.HitTest(25, 5)->url, "https://example.org/1");

    EXPECT_EQ(spots.OnMouseMove(35, 5).size(), 2u);  // leaves 1, enters 3
    EXPECT_TRUE(!spots.At(0).hover && spots.At(1).hover && spots.At(2).hover);
    EXPECT_EQ(spots.HitTest(35, 5)->url, "https://example.org/2");
    // Right and bottom edges are outside.
    EXPECT_EQ(spots.HitTest(49, 9)->url, "https://example.org/3");
    EXPECT_EQ(spots.HitTest(50, 5), nullptr);
    EXPECT_EQ(spots.HitTest(35, 10), nullptr);
}

}  // namespace
