// Renders shared by several threads give the bytes of a one-thread render,
// report the same progress and stop on an abort.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "EngineTestShapes.h"
#include "WorkPool.h"

namespace {

// A gradient under the object, so that what shows through differs by pixel.
void PaintGradient(DibEx& image) {
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            uint8_t* p = image.CommitLine(y, x);
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y * 2);
            p[2] = static_cast<uint8_t>(x + y);
        }
}

struct Shape {
    const char* name;
    std::function<int(int32_t, int32_t)> coverage;
};

// Shapes with round and straight edges, a hole, soft coverage, thin parts
// and parts at the image's border.
std::vector<Shape> Shapes() {
    return {
        {"disc", Disc(150, 110, 80)},
        {"frame", [](int32_t x, int32_t y) {
             const bool outer = x >= 30 && x < 270 && y >= 20 && y < 200;
             const bool hole = x >= 90 && x < 210 && y >= 70 && y < 150;
             return outer && !hole ? 255 : 0;
         }},
        {"soft ring at the border", [](int32_t x, int32_t y) {
             const int32_t d = (x - 20) * (x - 20) + (y - 200) * (y - 200);
             return d < 14000 && d > 3000 ? (x * 7 + y) % 256 : 0;
         }},
        {"lines", [](int32_t x, int32_t y) { return (y % 23 == 0 && x > 10) || x % 37 == 5 ? 255 : 0; }},
    };
}

// Random values from the parameters' ranges, scaled as the driver scales them.
void RandomStages(ShadeBaseSt& b, std::mt19937& random, DibEx& texture, DibEx& foreground) {
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const auto percent = [&](int lo) { return pick(lo, 100) * 256 / 100; };
    b.texture = pick(0, 3) > 0 ? &texture : nullptr;
    b.foreground = pick(0, 3) > 0 ? &foreground : nullptr;
    b.pMle = pick(1, 100), b.pMhe = pick(0, 100), b.pMba = pick(0, 100), b.pMbp = pick(0, 100);
    b.pMbw = pick(0, 100), b.pMbr = pick(0, 1), b.pMsm = pick(0, 100), b.pMth = pick(0, 1);
    b.pMcr = pick(0, 255), b.pMcg = pick(0, 255), b.pMcb = pick(0, 255);
    b.colorWeight = (100 - pick(0, 100)) * 256 / 100;
    b.pMgr = percent(-100), b.pMgg = percent(-100), b.pMgb = percent(-100);
    b.pMsp = pick(0, 100), b.pMrf = pick(0, 100), b.pMsl = percent(0);
    b.textureLocate = pick(0, 1), b.pTsc = pick(1, 100), b.pTtv = pick(0, 255);
    b.pTox = pick(-100, 100), b.pToy = pick(-100, 100), b.pTbe = pick(-100, 100), b.pTco = percent(0);
    b.pTbu = pick(-100, 100), b.pTwi = pick(-100, 100), b.pThu = pick(-100, 100) * 252 / 200;
    b.pTcr = percent(-100), b.pTli = percent(-100), b.pTct = pick(-100, 100);
    b.pEsc = pick(0, 100), b.pEtv = pick(0, 255), b.pEox = pick(-100, 100), b.pEoy = pick(-100, 100);
    b.pEwi = percent(0), b.pEhu = pick(-100, 100) * 252 / 200, b.pEcr = percent(-100), b.pEli = percent(-100);
    b.pEct = pick(-100, 100);
    for (int i = 0; i <= 2; ++i) b.lightPower[i] = percent(0);
    for (int i = 1; i <= 2; ++i) b.lightAngleH[i] = pick(0, 359), b.lightAngleV[i] = pick(0, 90);
    b.pLem = pick(0, 1), b.pLes = pick(0, 1);
    b.shadowWeight = b.pLem != 0 || b.pLes != 0 ? percent(0) : 0;
    b.shadowDiffusion = pick(0, 40), b.shadowDistance = pick(0, 100);
}

struct Rendered {
    std::vector<uint8_t> image;
    std::vector<uint8_t> mask;
    int32_t maxDistance = 0;
    int32_t bevelLength = 0;
    bool operator==(const Rendered&) const = default;
};

// Renders the shape with `configure` on a pool of `threads` threads.
Rendered Render(const Shape& shape, int threads, const std::function<void(ShadeBaseSt&)>& configure) {
    WorkPool pool(threads);
    TestScene s;
    MakeScene(s, 300, 220, shape.coverage);
    PaintGradient(s.image);
    s.block.standardSize = 372;
    configure(s.block);
    ShadingBase engine;
    engine.SetWorkPool(&pool);
    EXPECT_EQ(engine.Shading(&s.block, 0, 100), 1);
    return {Bytes(s.image), Bytes(s.mask), engine.GetMaxDistance(), engine.GetBevelLength()};
}

TEST(ShadingThreads, EveryThreadCountGivesTheOneThreadBytes) {
    DibEx texture(1), foreground(1);
    MakePicture(texture, 64, 48);
    MakePicture(foreground, 80, 60);
    std::mt19937 random(20261208);
    for (const Shape& shape : Shapes()) {
        std::vector<std::function<void(ShadeBaseSt&)>> settings = {
            [&](ShadeBaseSt& b) { EveryStage(b, texture, foreground); }};
        for (int i = 0; i < 4; ++i) {
            const std::mt19937::result_type seed = random();
            settings.push_back([&texture, &foreground, seed](ShadeBaseSt& b) {
                std::mt19937 own(seed);
                RandomStages(b, own, texture, foreground);
            });
        }
        for (size_t k = 0; k < settings.size(); ++k) {
            const Rendered one = Render(shape, 1, settings[k]);
            for (const int threads : {2, 7})
                EXPECT_TRUE(Render(shape, threads, settings[k]) == one)
                    << shape.name << ", setting " << k << ", " << threads << " threads";
        }
    }
}

class ProgressLog : public ShadingProgressWindow {
public:
    explicit ProgressLog(int abortAfter) : remaining_(abortAfter) {}
    void PostMessage(long, int value, int) override { values.push_back(value); }
    bool UserAborted() override { return --remaining_ < 0; }
    std::vector<int> values;

private:
    int remaining_;
};

// A render reports the same progress on every thread count; an abort at
// any point stops it where the one-thread render stops, after the same
// progress.
TEST(ShadingThreads, ProgressAndAbortAreTheSameForEveryThreadCount) {
    DibEx texture(1), foreground(1);
    MakePicture(texture, 64, 48);
    MakePicture(foreground, 80, 60);
    const struct { int abortAfter; size_t shape; int result; } cases[] = {
        {1 << 30, 1, 1}, {3, 0, -1}, {500, 0, -1}, {1100, 0, -1}, {1700, 0, -1},
    };
    for (const auto& k : cases) {
        std::vector<int> oneThread;
        for (const int threads : {1, 2, 7}) {
            SCOPED_TRACE(testing::Message() << "abort after " << k.abortAfter << ", " << threads << " threads");
            WorkPool pool(threads);
            TestScene s;
            MakeScene(s, 300, 220, Shapes()[k.shape].coverage);
            EveryStage(s.block, texture, foreground);
            ShadingBase engine;
            engine.SetWorkPool(&pool);
            ProgressLog log(k.abortAfter);
            volatile int flag = 0;
            engine.SetProgressSpec(&log, ShadingBase::kProgressMessage, &flag);
            EXPECT_EQ(engine.Shading(&s.block, 0, 100), k.result);
            EXPECT_EQ(flag, k.result == 1 ? 0 : -1);
            ASSERT_FALSE(log.values.empty());
            EXPECT_EQ(log.values.back() == 100, k.result == 1);
            if (threads == 1) oneThread = log.values;
            else EXPECT_EQ(log.values, oneThread);
        }
    }
}

}  // namespace
