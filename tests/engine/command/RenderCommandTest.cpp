// The render command: its output against a render through the driver, and
// refused arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "CShadeApp.h"
#include "ImageFunc.h"
#include "RenderCommand.h"
#include "RgbaPng.h"
#include "TempDir.h"

namespace {

using morvanel_test::ScopedHome;
using morvanel_test::TempDir;

// A 90 x 70 picture whose alpha is an ellipse with a one-pixel hole.
void WriteInput(const std::string& path) {
    DibEx colour(1);
    DibEx alpha(1);
    colour.Setup(90, 70, 24);
    alpha.Setup(90, 70, 8);
    for (int32_t y = 0; y < 70; ++y)
        for (int32_t x = 0; x < 90; ++x) {
            uint8_t* p = colour.CommitLine(y, x);
            p[0] = static_cast<uint8_t>(x * 2);
            p[1] = static_cast<uint8_t>(y * 3);
            p[2] = 200;
            const int dx = x - 45;
            const int dy = y - 35;
            *alpha.CommitLine(y, x) = dx * dx * 4 + dy * dy * 9 <= 30 * 30 * 4 && !(x == 45 && y == 35) ? 255 : 0;
        }
    ASSERT_EQ(RgbaPng_Save(path, &colour, &alpha), 1);
}

TEST(RenderCommand, MatchesTheDriver) {
    TempDir dir;
    ScopedHome home(dir);
    const std::string in = dir.file("in.png");
    const std::string out = dir.file("out.png");
    WriteInput(in);
    std::ostringstream o;
    std::ostringstream e;
    ASSERT_EQ(RenderCommand({in, out, "pMhe=60", "pMba=30", "pLsw=80", "pMcw=40"}, o, e), 0) << e.str();

    // The same through the driver, with the host's hole closing.
    CShadeApp app;
    ShadeParamsSetDefaults(app.Params(), "");
    app.Params().Height = 60;
    app.Params().Base = 30;
    app.Params().ShadowWight = 80;
    app.Params().ColorW = 40;
    ASSERT_EQ(RgbaPng_Load(in, &app.FullImage(), &app.FullMask()), 1);
    EXPECT_EQ(*app.FullMask().CommitLine(35, 45), 0);
    app.SetObjectRect(MaskBounds(app.FullMask()));
    EXPECT_EQ(app.GetObjectRect(), CMacRect(15, 15, 76, 56));
    IMAGE_Saturation(&app.FullMask(), nullptr);
    EXPECT_EQ(*app.FullMask().CommitLine(35, 45), 255);
    app.Filter(&app.FullImage(), &app.FullMask(), nullptr, nullptr, nullptr);

    DibEx colour(1);
    DibEx alpha(1);
    ASSERT_EQ(RgbaPng_Load(out, &colour, &alpha), 1);
    for (int32_t y = 0; y < 70; ++y) {
        ASSERT_EQ(0, std::memcmp(colour.CommitLine(y), app.FullImage().CommitLine(y), 90 * 3)) << y;
        ASSERT_EQ(0, std::memcmp(alpha.CommitLine(y), app.FullMask().CommitLine(y), 90)) << y;
    }
    // The object was shaded: its centre is no longer the input colour.
    EXPECT_NE(colour.CommitLine(35, 45)[2], 200);
}

TEST(RenderCommand, RefusedArguments) {
    TempDir dir;
    ScopedHome home(dir);
    const std::string in = dir.file("in.png");
    WriteInput(in);
    std::ostringstream o;
    std::ostringstream e;
    EXPECT_EQ(RenderCommand({in}, o, e), 1);
    EXPECT_EQ(RenderCommand({in, dir.file("x.png"), "pNope=1"}, o, e), 1);
    EXPECT_EQ(RenderCommand({dir.file("missing.png"), dir.file("x.png")}, o, e), 2);
    EXPECT_EQ(RenderCommand({in, dir.file("x.png"), "pSms=2", "pSfs=2000000000", "pLsf=100"}, o, e), 1);
}

}  // namespace
