// The about window's hot spots as the description file gives them: the
// count and its limits, hover changes and which spot a click opens.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "SplashHotSpots.h"
#include "TempDir.h"

namespace {

using morvanel_test::TempDir;

std::string WriteProfile(const TempDir& dir, const std::string& text) {
    const std::string path = dir.file("Splash.inf");
    std::ofstream(path) << text;
    return path;
}

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

TEST(SplashHotSpots, ReadsSpotsAndKeepsCountAndColourInRange) {
    TempDir dir;
    struct Case {
        int declared, written, expected;
    } cases[] = {{0, 3, 0}, {2, 3, 2}, {-5, 3, 0}, {12, 12, 8}, {3, 1, 3}};
    for (const Case& c : cases) {
        SplashHotSpots spots;
        ASSERT_TRUE(spots.InitProfile(WriteProfile(dir, Spots(c.declared, c.written)))) << c.declared;
        EXPECT_EQ(spots.Count(), c.expected) << c.declared;
        EXPECT_EQ(spots.Red(), 255);
        EXPECT_EQ(spots.Green(), 20);
        EXPECT_EQ(spots.Blue(), 0);
    }
    SplashHotSpots spots;
    spots.InitProfile(WriteProfile(dir, Spots(3, 1)));
    EXPECT_EQ(spots.At(0).url, "https://example.org/1");
    EXPECT_EQ(spots.At(0).mode, SplashHighlight::Underline);
    EXPECT_EQ(spots.At(0).rect.left, 10);
    EXPECT_EQ(spots.At(0).rect.right, 30);
    // A declared spot without its section is empty: never hit, never lit.
    EXPECT_TRUE(spots.At(2).url.empty());
    EXPECT_TRUE(spots.At(2).rect.IsRectEmpty());
    EXPECT_EQ(spots.HitTest(0, 0), nullptr);

    // Neither a missing file nor a folder is a description.
    SplashHotSpots none;
    EXPECT_FALSE(none.InitProfile(dir.file("missing.inf")));
    EXPECT_FALSE(none.InitProfile(dir.path().string()));
    EXPECT_EQ(none.Count(), 0);
}

TEST(SplashHotSpots, OverlappingSpotsBothLightButTheLowerNumberWinsTheClick) {
    TempDir dir;
    SplashHotSpots spots;
    ASSERT_TRUE(spots.InitProfile(WriteProfile(dir, Spots(3, 3))));
    // x = 25 lies in spot 1 (10..30) and spot 2 (20..40).
    const std::vector<CMacRect> entered = spots.OnMouseMove(25, 5);
    EXPECT_EQ(entered.size(), 2u);
    EXPECT_TRUE(spots.At(0).hover);
    EXPECT_TRUE(spots.At(1).hover);
    EXPECT_FALSE(spots.At(2).hover);
    EXPECT_TRUE(spots.OnMouseMove(26, 6).empty());  // nothing changed
    ASSERT_NE(spots.HitTest(25, 5), nullptr);
    EXPECT_EQ(spots.HitTest(25, 5)->url, "https://example.org/1");

    const std::vector<CMacRect> moved = spots.OnMouseMove(35, 5);  // leaves 1, enters 3
    EXPECT_EQ(moved.size(), 2u);
    EXPECT_FALSE(spots.At(0).hover);
    EXPECT_TRUE(spots.At(1).hover && spots.At(2).hover);
    EXPECT_EQ(spots.HitTest(35, 5)->url, "https://example.org/2");
    // Right and bottom edges are outside.
    EXPECT_EQ(spots.HitTest(49, 9)->url, "https://example.org/3");
    EXPECT_EQ(spots.HitTest(50, 5), nullptr);
    EXPECT_EQ(spots.HitTest(35, 10), nullptr);
}

}  // namespace
