// The render driver: block set-up, image loading and cache, preview reuse
// against fresh renders, abort and memory failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "CShadeApp.h"
#include "ImageFile.h"
#include "ImageFunc.h"
#include "TempDir.h"

namespace {

using morvanel_test::ScopedHome;
using morvanel_test::TempDir;

void SavePattern(const std::string& path, int32_t w, int32_t h, int seed) {
    DibEx bmp(1);
    bmp.Setup(w, h, 24);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = bmp.CommitLine(y, x);
            p[0] = static_cast<uint8_t>((x * 7 + y * 3 + seed) & 255);
            p[1] = static_cast<uint8_t>(((x / 8 + y / 8) % 2) * 200 + seed);
            p[2] = static_cast<uint8_t>((x * y + seed * 5) & 255);
        }
    ASSERT_EQ(ImageFile_Save(nullptr, path.c_str(), &bmp, nullptr, nullptr, 0, 0), 1);
}

void SetText(char* field, const std::string& text) { std::strcpy(field, text.c_str()); }

struct Setting {
    const char* scriptKey;
    int32_t value;  // a text entry (an image name) is cleared instead
};

void Apply(ShadeParams& params, std::initializer_list<Setting> settings) {
    for (const Setting& setting : settings)
        for (const ShadeParamEntry& entry : ShadeParamTable()) {
            if (entry.scriptKey != setting.scriptKey) continue;
            if (entry.kind == ShadeParamKind::Int) ShadeParamInt(params, entry) = setting.value;
            else ShadeParamText(params, entry)[0] = '\0';
        }
}

// Paints a gradient image and the coverage mask into the app's full image.
void Paint(CShadeApp& app, int32_t w, int32_t h, const std::function<void(int32_t, int32_t, uint8_t*)>& pixel,
           const std::function<int(int32_t, int32_t)>& coverage) {
    DibEx& image = app.FullImage();
    DibEx& mask = app.FullMask();
    image.Setup(w, h, 24);
    mask.Setup(w, h, 8);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            pixel(x, y, image.CommitLine(y, x));
            *mask.CommitLine(y, x) = static_cast<uint8_t>(coverage(x, y));
        }
}

std::vector<uint8_t> Bytes(DibEx& dib) {
    const uint8_t* p = dib.CommitPixel();
    return std::vector<uint8_t>(p, p + dib.GetPixelSize());
}

// The image's pixel bytes, then the mask's.
std::vector<uint8_t> Bytes(DibEx& image, DibEx& mask) {
    std::vector<uint8_t> out = Bytes(image);
    const std::vector<uint8_t> m = Bytes(mask);
    out.insert(out.end(), m.begin(), m.end());
    return out;
}

class FilterTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedHome home{dir};
    std::string system = (dir.path() / "system").string();
    DibEx previewImage{1};
    DibEx previewMask{1};

    void SetUp() override {
        std::filesystem::create_directories(system + "/Texture");
        std::filesystem::create_directories(system + "/Foreground");
        SavePattern(system + "/Texture/tex.bmp", 64, 48, 3);
        SavePattern(system + "/Foreground/fg.bmp", 80, 60, 90);
    }

    // A 200 x 150 picture with a disc and a soft-edged bar, every stage on.
    void Prepare(CShadeApp& app) {
        app.SetFolders(system, system + "/Texture", system + "/Foreground");
        const auto pixel = [](int32_t x, int32_t y, uint8_t* p) {
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = static_cast<uint8_t>(x + y);
        };
        Paint(app, 200, 150, pixel, [](int32_t x, int32_t y) {
            const int dx = x - 80;
            const int dy = y - 70;
            if (x >= 120 && x < 180 && y >= 40 && y < 110) return x < 124 ? 90 : 255;
            return dx * dx + dy * dy <= 45 * 45 ? 255 : 0;
        });
        app.SetObjectRect(CMacRect(35, 25, 180, 116));
        ShadeParams& p = app.Params();
        ShadeParamsSetDefaults(p, "");
        SetText(p.TextureFilename, "tex.bmp");
        SetText(p.ForegroundFilename, "Foreground/fg.bmp");
        Apply(p, {{"pTwi", 40}, {"pTbu", 30}, {"pEwi", 30}, {"pMba", 20}, {"pMcw", 30}, {"pMrf", 20},
                  {"pMsl", 10}, {"pMsp", 30}, {"pLsf", 5}});
    }

    // A reduced preview of the full image, rendered from fresh copies.
    std::vector<uint8_t> Preview(CShadeApp& app, int32_t w = 100, int32_t h = 75) {
        previewImage.Setup(w, h, 24);
        previewMask.Setup(w, h, 8);
        IMAGE_Copy(&previewImage, &app.FullImage(), nullptr, nullptr);
        IMAGE_Copy(&previewMask, &app.FullMask(), nullptr, nullptr);
        EXPECT_EQ(app.Filter(&previewImage, &previewMask, nullptr, nullptr, nullptr), 1);
        return Bytes(previewImage, previewMask);
    }

    // A full render on copies of the full image (kept for the next one).
    std::vector<uint8_t> Full(CShadeApp& app, ShadingProgressWindow* window = nullptr,
                              volatile int* abortFlag = nullptr) {
        DibEx keepImage(1);
        DibEx keepMask(1);
        keepImage.Setup(app.FullImage());
        keepMask.Setup(app.FullMask());
        app.Filter(&app.FullImage(), &app.FullMask(), nullptr, window, abortFlag);
        const std::vector<uint8_t> out = Bytes(app.FullImage(), app.FullMask());
        app.FullImage().Setup(keepImage);
        app.FullMask().Setup(keepMask);
        return out;
    }
};

TEST_F(FilterTest, BlockScalesObjectAndSizesForPreview) {
    CShadeApp app;
    Prepare(app);
    app.Params().SizeStandard = 2;
    app.Params().SizeFixedStandard = 1000;
    previewImage.Setup(50, 37, 24);
    previewMask.Setup(50, 37, 8);
    ShadeBaseSt b = app.MakeBlock(&previewImage, &previewMask, nullptr);
    EXPECT_TRUE(b.preview);
    EXPECT_EQ(b.sizeFixed, 250);
    EXPECT_EQ(b.standardSize, 250);
    // 35*50/200 - 1, 25*37/150 - 1, 180*50/200 + 1, 116*37/150 + 1.
    EXPECT_EQ(b.objectRect, CMacRect(7, 5, 46, 29));
    EXPECT_EQ(b.renderRect, CMacRect(0, 0, 50, 37));
    const CMacRect rect(100, 0, 200, 150);
    b = app.MakeBlock(&previewImage, &previewMask, &rect);
    EXPECT_EQ(b.sizeFixed, 1000);
    EXPECT_EQ(b.renderRect, CMacRect(25, 0, 50, 37));

    b = app.MakeBlock(&app.FullImage(), &app.FullMask(), nullptr);
    EXPECT_FALSE(b.preview);
    EXPECT_EQ(b.objectRect, CMacRect(34, 24, 181, 117));
    app.Params().SizeStandard = 1;  // an object smaller than the least reference size
    app.SetObjectRect(CMacRect(10, 10, 13, 12));
    EXPECT_EQ(app.MakeBlock(&app.FullImage(), &app.FullMask(), nullptr).standardSize, 10);
}

TEST_F(FilterTest, ImageNamesAndPreviewSizes) {
    CShadeApp app;
    Prepare(app);
    Preview(app);
    // The bare name now holds the library path; the relative one is kept.
    EXPECT_EQ(std::string(app.Params().TextureFilename), system + "/Texture/tex.bmp");
    EXPECT_EQ(std::string(app.Params().ForegroundFilename), "Foreground/fg.bmp");
    ASSERT_NE(app.Engine().GetLastBlock().foreground, nullptr);

    // A preview reduces only textures larger than it both ways (64 x 48).
    for (const auto [width, height, textureWidth, textureHeight] : {std::array{40, 30, 40, 30},
                                                                    std::array{64, 30, 64, 48}}) {
        CShadeApp sized;
        Prepare(sized);
        Preview(sized, width, height);
        ASSERT_NE(sized.Engine().GetLastBlock().texture, nullptr);
        EXPECT_EQ(sized.Engine().GetLastBlock().texture->GetWidth(), textureWidth);
        EXPECT_EQ(sized.Engine().GetLastBlock().texture->GetHeight(), textureHeight);
    }
}

TEST_F(FilterTest, PreviewReuseEqualsFreshRender) {
    // Each change on its own, named by its script key.
    const Setting changes[] = {
        {"pMle", 60},  {"pMhe", 40},  {"pMba", 50},  {"pMbp", 30},  {"pMbw", 20},  {"pMbr", 1},
        {"pMsm", 40},  {"pMth", 1},   {"pMcr", 20},  {"pMcw", 80},  {"pMcw", 0},   {"pMgg", 40},
        {"pMsp", 80},  {"pMrf", 70},  {"pMsl", 90},  {"pTsc", 20},  {"pTtv", 60},  {"pTox", 33},
        {"pTbe", 90},  {"pTco", 0},   {"pTbu", -60}, {"pTbu", 0},   {"pTwi", -70}, {"pThu", 50},
        {"pTct", 60},  {"pStl", 1},   {"pTpa", 0},   {"pEsc", 10},  {"pEwi", 70},  {"pEhu", -30},
        {"pEoy", 20},  {"pEpa", 0},   {"pLp0", 40},  {"pLp1", 70},  {"pLh2", 250}, {"pLv1", 70},
        {"pLem", 0},   {"pLsw", 90},  {"pLsf", 20},  {"pLsd", 40},  {"pSms", 1},
    };
    // Returns whether the change altered the preview at all.
    const auto reuseEqualsFresh = [&](std::initializer_list<Setting> base, const Setting& change) {
        CShadeApp reused;
        Prepare(reused);
        Apply(reused.Params(), base);
        const std::vector<uint8_t> before = Preview(reused);
        Apply(reused.Params(), {change});
        const std::vector<uint8_t> after = Preview(reused);

        CShadeApp fresh;
        Prepare(fresh);
        Apply(fresh.Params(), base);
        Apply(fresh.Params(), {change});
        EXPECT_TRUE(after == Preview(fresh)) << change.scriptKey << " " << change.value;
        return after != before;
    };
    int changedOutputs = 0;
    for (const Setting& change : changes) changedOutputs += reuseEqualsFresh({}, change);
    // The changes matter: a test of identical outputs would prove nothing.
    EXPECT_GE(changedOutputs, static_cast<int>(std::size(changes)) - 2);
    // A fixed reference size changed alone moves only the bevel's knee.
    EXPECT_TRUE(reuseEqualsFresh({{"pSms", 2}, {"pMbp", 60}}, {"pSfs", 300}));
}

class AbortAfter : public ShadingProgressWindow {
public:
    explicit AbortAfter(int calls) : remaining_(calls) {}
    void PostMessage(long message, int value, int) override {
        EXPECT_EQ(message, 2026);
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 100);
        last_ = value;
        ++messages_;
    }
    bool UserAborted() override { return --remaining_ < 0; }
    int Messages() const { return messages_; }
    int LastValue() const { return last_; }

private:
    int remaining_;
    int last_ = 0;
    int messages_ = 0;
};

// A render left alone reports progress up to 100; one aborted early, midway
// or late keeps the last block, and the renders after it are as if it had
// never run.
TEST_F(FilterTest, ProgressRunsToHundredAndAbortKeepsTheLastBlock) {
    CShadeApp complete;
    Prepare(complete);
    AbortAfter never(1 << 30);
    volatile int flag = 0;
    Full(complete, &never, &flag);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(never.LastValue(), 100);
    EXPECT_GT(never.Messages(), 20);

    for (const int calls : {5, 400, 900}) {
        SCOPED_TRACE(calls);
        CShadeApp app;
        Prepare(app);
        const std::vector<uint8_t> firstPreview = Preview(app);
        const ShadeBaseSt last = app.Engine().GetLastBlock();
        AbortAfter stop(calls);
        Full(app, &stop, &flag);
        EXPECT_EQ(flag, -1);
        flag = 0;
        EXPECT_EQ(app.Engine().GetLastBlock().image, last.image);
        EXPECT_TRUE(app.Engine().GetLastBlock().preview);
        EXPECT_EQ(app.Engine().GetLastBlock().objectRect, last.objectRect);

        // The same preview again, after the maps were half-rewritten.
        EXPECT_TRUE(Preview(app) == firstPreview);
        CShadeApp fresh;
        Prepare(fresh);
        EXPECT_TRUE(Full(app) == Full(fresh));
    }
}

TEST_F(FilterTest, EmptyObjectLeavesImageAndMask) {
    CShadeApp app;
    Prepare(app);
    app.FullMask().Fill(0);
    app.SetObjectRect(CMacRect());
    const std::vector<uint8_t> image = Bytes(app.FullImage());
    const std::vector<uint8_t> mask = Bytes(app.FullMask());
    EXPECT_EQ(app.Filter(&app.FullImage(), &app.FullMask(), nullptr, nullptr, nullptr), 1);
    EXPECT_TRUE(Bytes(app.FullImage()) == image);
    EXPECT_TRUE(Bytes(app.FullMask()) == mask);
    // An inverted rectangle (what a scan of no pixel leaves) is empty too.
    app.SetObjectRect(CMacRect(INT32_MAX, INT32_MAX, INT32_MIN + 1, INT32_MIN + 1));
    EXPECT_EQ(app.Filter(&app.FullImage(), &app.FullMask(), nullptr, nullptr, nullptr), 1);
    EXPECT_TRUE(Bytes(app.FullImage()) == image);
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (const uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ULL;
    return h;
}

struct ShapeCase {
    const char* name;
    CMacRect bounds;
    std::function<int(int32_t, int32_t)> coverage;
    uint64_t checksum;  // FNV-1a of the image's pixel bytes, then the mask's
};

// Three shapes on a 72 x 56 gradient with texture, foreground, soft rim,
// shadow, show-through and refraction on: the whole render path at once.
TEST_F(FilterTest, ShapesRenderToVerifiedChecksums) {
    // Sums from an independent model of every stage, written from the formulas, that matched the engine byte for byte.
    SavePattern(system + "/Texture/shape.bmp", 40, 30, 3);
    SavePattern(system + "/Foreground/shape.bmp", 50, 36, 90);
    const ShapeCase cases[] = {
        {"disc", CMacRect(14, 7, 55, 48),
         [](int32_t x, int32_t y) { return (x - 34) * (x - 34) + (y - 27) * (y - 27) <= 400 ? 255 : 0; },
         0xca53ddef84ec32f9ULL},
        {"square with a hole", CMacRect(14, 8, 58, 48),
         [](int32_t x, int32_t y) {
             const bool inside = x >= 14 && x < 58 && y >= 8 && y < 48;
             const bool hole = x >= 29 && x < 43 && y >= 21 && y < 35;
             return inside && !hole ? (x == 14 ? 60 : 255) : 0;
         },
         0x259b69df76342273ULL},
        {"thin line", CMacRect(10, 30, 62, 31),
         [](int32_t x, int32_t y) { return x >= 10 && x < 62 && y == 30 ? 255 : 0; }, 0x8151ce9dd27396d7ULL},
    };
    for (const ShapeCase& shape : cases) {
        CShadeApp app;
        app.SetFolders(system, system + "/Texture", system + "/Foreground");
        const auto pixel = [](int32_t x, int32_t y, uint8_t* px) {
            px[0] = static_cast<uint8_t>(x * 3);
            px[1] = static_cast<uint8_t>(y * 4);
            px[2] = static_cast<uint8_t>(x + 2 * y);
        };
        Paint(app, 72, 56, pixel, shape.coverage);
        app.SetObjectRect(shape.bounds);
        ShadeParams& p = app.Params();
        ShadeParamsSetDefaults(p, "");
        SetText(p.TextureFilename, "shape.bmp");
        SetText(p.ForegroundFilename, "shape.bmp");
        Apply(p, {{"pMle", 80}, {"pMhe", 70}, {"pMba", 20}, {"pMbp", 30}, {"pMsm", 10}, {"pMcw", 30},
                  {"pMsp", 30}, {"pMrf", 20}, {"pMsl", 10}, {"pMgr", 20}, {"pTwi", 40}, {"pTbu", 30},
                  {"pThu", 20}, {"pTct", 30}, {"pEwi", 30}, {"pEhu", -20}, {"pEct", -20}, {"pLsf", 5}});
        app.Filter(&app.FullImage(), &app.FullMask(), nullptr, nullptr, nullptr);
        EXPECT_EQ(Fnv1a(Bytes(app.FullImage(), app.FullMask())), shape.checksum) << shape.name;
    }
}

// Images that cannot be read render as no image: a broken file, a missing
// one, and a FIFO (treated as absent at once instead of waiting for a writer).
TEST_F(FilterTest, UnreadableImagesRenderWithoutAndAreListedOncePerName) {
    morvanel_test::MakeFile(system + "/Texture/bad.bmp", "BM not a bitmap");
    ASSERT_EQ(::mkfifo((system + "/Texture/pipe.bmp").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((system + "/Foreground/pipe.bmp").c_str(), 0600), 0);
    CShadeApp without;
    Prepare(without);
    Apply(without.Params(), {{"pTpa", 0}, {"pEpa", 0}});
    CShadeApp piped;
    Prepare(piped);
    SetText(piped.Params().TextureFilename, "pipe.bmp");
    SetText(piped.Params().ForegroundFilename, "Foreground/pipe.bmp");
    EXPECT_TRUE(Full(piped) == Full(without));

    CShadeApp broken;
    Prepare(broken);
    SetText(broken.Params().TextureFilename, "bad.bmp");
    SetText(broken.Params().ForegroundFilename, "Foreground/none.bmp");

    EXPECT_TRUE(Preview(broken) == Preview(without));
    const auto listed = broken.TakeUnreadableImages();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].path, system + "/Texture/bad.bmp");
    EXPECT_EQ(listed[1].name, "Foreground/none.bmp");
    // Further previews do not read the same names again.
    EXPECT_TRUE(Preview(broken) == Preview(without));
    EXPECT_TRUE(broken.TakeUnreadableImages().empty());
    EXPECT_EQ(broken.Engine().GetLastBlock().textureChanged, 0);
    // A full render reads again, and goes on without them.
    EXPECT_TRUE(Full(broken) == Full(without));
    EXPECT_EQ(broken.TakeUnreadableImages().size(), 2u);
}

// The block's numbers, from its first to its last number field: the bytes
// after the last one are padding, which a copy need not keep.
std::vector<uint8_t> BlockNumbers(const ShadeBaseSt& block) {
    const auto* begin = reinterpret_cast<const uint8_t*>(&block.sizeMode);
    return {begin, reinterpret_cast<const uint8_t*>(&block.pLes + 1)};
}

// Every entry at either end of the 32-bit range reaches the engine as the
// nearest value of its range, and renders without fault (the sanitizer
// build checks the latter); the live record keeps what the caller put there.
TEST_F(FilterTest, ExtremeValuesReachTheEngineClamped) {
    CShadeApp app;
    Prepare(app);
    const ShadeParams defaults = app.Params();
    for (const int32_t extreme : {INT32_MIN, INT32_MAX}) {
        for (const ShadeParamEntry& entry : ShadeParamTable()) {
            if (entry.kind != ShadeParamKind::Int) continue;
            app.Params() = defaults;
            ShadeParamInt(app.Params(), entry) = ShadeParamClamp(entry, extreme);
            const std::vector<uint8_t> clamped = BlockNumbers(app.MakeBlock(&app.FullImage(), &app.FullMask(), nullptr));
            ShadeParamInt(app.Params(), entry) = extreme;
            EXPECT_EQ(BlockNumbers(app.MakeBlock(&app.FullImage(), &app.FullMask(), nullptr)), clamped) << entry.key;
            Preview(app);
            EXPECT_EQ(ShadeParamInt(app.Params(), entry), extreme);
        }
        // All at once; a reference size at its largest would only make the
        // shadow map slow to blur, so the image diagonal is used.
        for (const ShadeParamEntry& entry : ShadeParamTable())
            if (entry.kind == ShadeParamKind::Int) ShadeParamInt(app.Params(), entry) = extreme;
        app.Params().SizeStandard = 0;
        Preview(app);
        Full(app);
    }
}

// A reference size of two billion pixels with the widest diffusion once
// asked for a shadow map larger than any memory.
TEST_F(FilterTest, HugeReferenceSizeIsTheLargestUsefulOne) {
    CShadeApp app;
    Prepare(app);
    app.Params().SizeStandard = 2;
    app.Params().SizeFixedStandard = 2000000000;
    app.Params().ShadowDif = 100000;
    const ShadeBaseSt block = app.MakeBlock(&app.FullImage(), &app.FullMask(), nullptr);
    EXPECT_EQ(block.standardSize, ShadeParamByKey("SETTING", "SizeFixedStandard")->range->maximum);
    EXPECT_EQ(block.shadowDiffusion, 100);
}

}  // namespace
