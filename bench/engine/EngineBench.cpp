// Timings of every engine stage and of whole renders on a generated shape,
// at preview size (640 x 480) and full size (4000 x 3000), of previews after
// one change, and of renders by size and by blur radius.  The threads are
// those of the shared pool: MORVANEL_THREADS=1 times one thread.
#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <memory>

#include "DibEx.h"
#include "ShadingBase.h"

namespace {

// Defaults: a new style; Mapped: with texture and foreground; Everything:
// every stage on; the last two: every stage on with the smoothing, the bevel
// length and the shadow's diffusion all at 1 or all at 100.
enum class Setting { Defaults, Mapped, Everything, NarrowEverything, WideEverything };

// A generated shape: a disc joined to a frame, over a gradient picture, with
// a generated texture and foreground.
struct Scene {
    DibEx image{1};
    DibEx mask{1};
    DibEx texture{1};
    DibEx foreground{1};
    DibEx sourceImage{1};
    DibEx sourceMask{1};
    ShadeBaseSt block;

    Scene(int32_t w, int32_t h, Setting setting) {
        sourceImage.Setup(w, h, 24);
        sourceMask.Setup(w, h, 8);
        const double r = h * 0.3;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint8_t* p = sourceImage.CommitLine(y, x);
                p[0] = static_cast<uint8_t>(x * 255 / w);
                p[1] = static_cast<uint8_t>(y * 255 / h);
                p[2] = 128;
                const double dx = x - w * 0.35;
                const double dy = y - h * 0.5;
                const bool disc = dx * dx + dy * dy <= r * r;
                const bool frame = x > w * 0.55 && x < w * 0.9 && y > h * 0.2 && y < h * 0.8 &&
                                   !(x > w * 0.65 && x < w * 0.8 && y > h * 0.35 && y < h * 0.65);
                *sourceMask.CommitLine(y, x) = disc || frame ? 255 : 0;
            }
        texture.Setup(256, 192, 24);
        foreground.Setup(320, 240, 24);
        for (int32_t y = 0; y < 192; ++y)
            for (int32_t x = 0; x < 256; ++x) {
                uint8_t* p = texture.CommitLine(y, x);
                p[0] = static_cast<uint8_t>((x ^ y) * 3);
                p[1] = static_cast<uint8_t>(((x / 16 + y / 16) % 2) * 220);
                p[2] = static_cast<uint8_t>(x + y);
            }
        for (int32_t y = 0; y < 240; ++y)
            for (int32_t x = 0; x < 320; ++x) {
                uint8_t* p = foreground.CommitLine(y, x);
                p[0] = static_cast<uint8_t>(y);
                p[1] = static_cast<uint8_t>(x * 3 / 4);
                p[2] = static_cast<uint8_t>(255 - y);
            }
        Refill();
        ShadeBaseSt& b = block;
        b.image = &image;
        b.mask = &mask;
        b.objectRect = CMacRect(static_cast<int32_t>(w * 0.05) - 1, static_cast<int32_t>(h * 0.2) - 1,
                                static_cast<int32_t>(w * 0.9) + 2, static_cast<int32_t>(h * 0.8) + 2);
        b.renderRect = CMacRect(0, 0, w, h);
        b.standardSize = static_cast<int32_t>(std::sqrt(double(w) * w + double(h) * h));
        // The parameter defaults of a new style.
        b.pMle = 100, b.pMhe = 100, b.pMbw = 100, b.pMsm = 1;
        b.pMcr = 255, b.colorWeight = 256;
        b.pTsc = 50, b.pTtv = 128, b.pTbe = 50, b.pTco = 128;
        b.pEsc = 50, b.pEtv = 128;
        b.lightCount = 3;
        b.lightPower[0] = 25, b.lightPower[1] = 25, b.lightPower[2] = 256;
        b.lightAngleH[1] = 45, b.lightAngleV[1] = 30, b.lightAngleH[2] = 135, b.lightAngleV[2] = 45;
        b.shadowWeight = 128, b.shadowDiffusion = 1, b.shadowDistance = 10, b.pLem = 1, b.pLes = 1;
        if (setting != Setting::Defaults) {
            b.texture = &texture;
            b.foreground = &foreground;
            b.pTwi = 40;
            b.pEwi = 76;
        }
        if (setting >= Setting::Everything) {
            b.pMba = 20, b.pMbp = 30, b.pMsm = 20;
            b.colorWeight = 180, b.pMrf = 20, b.pMsl = 25, b.pMsp = 40, b.pMgr = 30;
            b.pTbu = 30, b.pThu = 20, b.pTct = 30;
            b.pEhu = -20, b.pEct = 20;
            b.shadowDiffusion = 10, b.shadowDistance = 30;
        }
        if (setting == Setting::NarrowEverything) SetRadius(1);
        if (setting == Setting::WideEverything) SetRadius(100);
    }

    void SetRadius(int32_t r) {
        block.pMsm = r;
        block.pMle = r;
        block.shadowDiffusion = r;
    }

    void Refill() {
        image.Setup(sourceImage);
        mask.Setup(sourceMask);
    }
};

// The stages up to (not including) `stage`, so that `stage` finds its input.
void Prepare(ShadingBase& engine, ShadeBaseSt& b, int stage) {
    if (stage > 0) engine.CreateDistance(&b, 0, 100);
    if (stage > 1) engine.FuncBevel(&b, 0, 100);
    if (stage > 2) engine.MakeBevel(&b, 0, 100);
    if (stage > 3) engine.TextureMapping(&b, 0, 100);
    if (stage > 4) engine.ForeGroundMapping(&b, 0, 100);
    if (stage > 5) engine.FuncAlpha(&b, 0, 100);
    if (stage > 6) engine.MakeShadow(&b, 0, 100);
}

Setting SettingOf(const benchmark::State& state) { return static_cast<Setting>(state.range(2)); }

// Times one stage, repeated on its own output (every stage accepts that).
void Stage(benchmark::State& state, int stage, const std::function<void(ShadingBase&, ShadeBaseSt&)>& run) {
    Scene scene(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), SettingOf(state));
    ShadingBase engine;
    // A whole render first leaves the image copy that the shadow darkens.
    engine.Shading(&scene.block, 0, 100);
    scene.Refill();
    Prepare(engine, scene.block, stage);
    for (auto _ : state) run(engine, scene.block);
}

void BM_CreateDistance(benchmark::State& s) { Stage(s, 0, [](ShadingBase& e, ShadeBaseSt& b) { e.CreateDistance(&b, 0, 100); }); }
void BM_FuncBevel(benchmark::State& s) { Stage(s, 1, [](ShadingBase& e, ShadeBaseSt& b) { e.FuncBevel(&b, 0, 100); }); }
void BM_MakeBevel(benchmark::State& s) { Stage(s, 3, [](ShadingBase& e, ShadeBaseSt& b) { e.MakeBevel(&b, 0, 100); }); }
void BM_TextureMapping(benchmark::State& s) { Stage(s, 3, [](ShadingBase& e, ShadeBaseSt& b) { e.TextureMapping(&b, 0, 100); }); }
void BM_ForeGroundMapping(benchmark::State& s) { Stage(s, 4, [](ShadingBase& e, ShadeBaseSt& b) { e.ForeGroundMapping(&b, 0, 100); }); }
void BM_FuncAlpha(benchmark::State& s) { Stage(s, 5, [](ShadingBase& e, ShadeBaseSt& b) { e.FuncAlpha(&b, 0, 100); }); }
void BM_MakeShadow(benchmark::State& s) { Stage(s, 6, [](ShadingBase& e, ShadeBaseSt& b) { e.MakeShadow(&b, 0, 100); }); }
void BM_Lighting(benchmark::State& s) {
    Stage(s, 7, [](ShadingBase& e, ShadeBaseSt& b) {
        LightingTables tables;
        ShadingBase::BuildLightingTables(b, &tables);
        e.Lighting(&b, tables, 0, 100);
    });
}
void BM_CompositeShadow(benchmark::State& s) { Stage(s, 7, [](ShadingBase& e, ShadeBaseSt& b) { e.CompositeShadow(&b); }); }

// Whole full renders of the scene (nothing reused), each from fresh copies
// of image and mask.
void TimeFullRenders(benchmark::State& state, Scene& scene) {
    ShadingBase engine;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Refill();
        state.ResumeTiming();
        engine.Shading(&scene.block, 0, 100);
    }
}

void BM_Render(benchmark::State& state) {
    Scene scene(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), SettingOf(state));
    TimeFullRenders(state, scene);
}

// Previews after one change: the lights (every shape map is reused) or the
// smoothing (the shape is recomputed), alternating between two values.
void Preview(benchmark::State& state, const std::function<void(ShadeBaseSt&, bool)>& change) {
    Scene scene(640, 480, Setting::Defaults);
    scene.block.preview = true;
    ShadingBase engine;
    engine.Shading(&scene.block, 0, 100);
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Refill();
        flip = !flip;
        change(scene.block, flip);
        state.ResumeTiming();
        engine.Shading(&scene.block, 0, 100);
    }
}
void BM_PreviewLightChange(benchmark::State& s) {
    Preview(s, [](ShadeBaseSt& b, bool flip) { b.lightPower[0] = flip ? 40 : 25; });
}
void BM_PreviewShapeChange(benchmark::State& s) {
    Preview(s, [](ShadeBaseSt& b, bool flip) { b.pMsm = flip ? 20 : 1; });
}
BENCHMARK(BM_PreviewLightChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewShapeChange)->Unit(benchmark::kMillisecond);

// The default style at 1, 4 and 12 megapixels: the cost follows the pixels.
void BM_RenderMegapixels(benchmark::State& state) {
    const double side = std::sqrt(state.range(0) * 1.0e6 / 12.0);
    Scene scene(static_cast<int32_t>(side * 4), static_cast<int32_t>(side * 3), Setting::Defaults);
    TimeFullRenders(state, scene);
}
BENCHMARK(BM_RenderMegapixels)->ArgName("mp")->Arg(1)->Arg(4)->Arg(12)->Unit(benchmark::kMillisecond);

// Every stage at 4000 x 3000 with the smoothing, the bevel length and the
// shadow's diffusion all at 1 or all at 100, and with the blurs (smoothing
// and diffusion) or the bevel length alone at 1 or 100.  The blurs cost the
// same at every radius; a longer bevel has more sloped pixels, each with its
// own normal, and a wider shadow covers more of the image.
void BM_RenderRadius(benchmark::State& state) {
    Scene scene(4000, 3000, Setting::Everything);
    scene.SetRadius(static_cast<int32_t>(state.range(0)));
    TimeFullRenders(state, scene);
}
void BM_RenderBlurRadius(benchmark::State& state) {
    Scene scene(4000, 3000, Setting::Everything);
    const auto r = static_cast<int32_t>(state.range(0));
    scene.block.pMsm = r;
    scene.block.shadowDiffusion = r;
    TimeFullRenders(state, scene);
}
void BM_RenderBevelLength(benchmark::State& state) {
    Scene scene(4000, 3000, Setting::Everything);
    scene.block.pMle = static_cast<int32_t>(state.range(0));
    TimeFullRenders(state, scene);
}
BENCHMARK(BM_RenderRadius)->ArgName("radius")->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderBlurRadius)->ArgName("radius")->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderBevelLength)->ArgName("length")->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);

// Preview and full size, for every setting (0 to 4, in the order of
// Setting).
void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "setting"});
    for (const int64_t setting : {0, 1, 2, 3, 4}) {
        b->Args({640, 480, setting});
        b->Args({4000, 3000, setting});
    }
    b->Unit(benchmark::kMillisecond);
}
#define SIZES ->Apply(Sizes)
BENCHMARK(BM_CreateDistance) SIZES;
BENCHMARK(BM_FuncBevel) SIZES;
BENCHMARK(BM_MakeBevel) SIZES;
BENCHMARK(BM_TextureMapping) SIZES;
BENCHMARK(BM_ForeGroundMapping) SIZES;
BENCHMARK(BM_FuncAlpha) SIZES;
BENCHMARK(BM_MakeShadow) SIZES;
BENCHMARK(BM_Lighting) SIZES;
BENCHMARK(BM_CompositeShadow) SIZES;
BENCHMARK(BM_Render) SIZES;

}  // namespace
