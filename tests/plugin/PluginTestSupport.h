#pragma once
// Shared set-up of the plug-in tests: the real library loaded once, a
// private home, parameter blocks, images with a recognisable pattern, and a
// way to let the host core serve strips to the shell's functions called
// directly.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FilterHost.h"
#include "HostParamBlock.h"
#include "PluginLoader.h"
#include "ShadeParams.h"
#include "TempDir.h"

namespace plugin_test {

inline PluginMainProc PluginEntry() {
    static PluginLoader loader;
    static PluginMainProc entry = [] {
        std::string error;
        if (!loader.Load(MORVANEL_TEST_PLUGIN_FILE, error)) ADD_FAILURE() << error;
        return loader.Entry();
    }();
    return entry;
}

inline ShadeParams DefaultParams() {
    ShadeParams params;
    ShadeParamsSetDefaults(params, "");
    return params;
}

// The defaults without shadows: quick to render.
inline ShadeParams NoShadows() {
    ShadeParams params = DefaultParams();
    params.ShadowEnableMain = params.ShadowEnableSub = 0;
    return params;
}

inline std::vector<uint8_t> BlockBytes(const HostParamBlock& block) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&block);
    return {bytes, bytes + sizeof block};
}

inline HostParamBlock BlockFromBytes(const std::vector<uint8_t>& bytes) {
    HostParamBlock block;
    EXPECT_EQ(bytes.size(), sizeof block);
    std::memcpy(&block, bytes.data(), std::min(bytes.size(), sizeof block));
    return block;
}

// A block as a first dialog run leaves it: the given values, StripRows 1.
inline HostParamBlock BlockOf(const ShadeParams& params) {
    HostParamBlock block;
    HostParamBlockInit(block);
    AppToPhotoshop(params, block);
    return block;
}

// Stores params as the block a dialog run left and asks for a silent run.
inline void PrepareSilent(FilterHost& host, const ShadeParams& params = NoShadows()) {
    host.SetParameters(BlockBytes(BlockOf(params)));
    host.ClearRecordedDescriptor(kPlayDialogDontDisplay);
}

// Every byte differs from its neighbours: value = (x * 7 + y * 13 + plane * 61) % 256.
inline HostImageSt PatternImage(int32_t width, int32_t height, int16_t planes) {
    HostImageSt image = HostImage_Make(width, height, planes);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int p = 0; p < planes; ++p) image.Pixel(x, y)[p] = static_cast<uint8_t>((x * 7 + y * 13 + p * 61) % 256);
    return image;
}

inline void SetAlpha(HostImageSt& image, uint8_t value) {
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) image.Pixel(x, y)[3] = value;
}

// Tests get a home of their own: the plug-in seeds its system folder there.
class PluginTest : public ::testing::Test {
protected:
    PluginMainProc Entry() { return PluginEntry(); }
    morvanel_test::TempDir dir_;
    morvanel_test::ScopedHome home_{dir_};
};

// Lets a FilterHost serve strips while the test, not the plug-in, calls the
// shell's functions: the record's advanceState then reaches this host.
class DirectStrips {
public:
    explicit DirectStrips(FilterHost& host) : host_(host) {
        current_ = &host;
        FilterRecord& r = host.Record();
        r.advanceState = [] { return current_->AdvanceState(); };
        r.inLoPlane = r.outLoPlane = 0;
        r.inHiPlane = r.outHiPlane = static_cast<int16_t>(r.planes - 1);
    }
    ~DirectStrips() { current_ = nullptr; }
    DirectStrips(const DirectStrips&) = delete;
    DirectStrips& operator=(const DirectStrips&) = delete;
    // What the host would do when the selector returns.
    void Finish() {
        FilterRecord& r = host_.Record();
        r.inRect = r.outRect = r.maskRect = HostRect{0, 0, 0, 0};
        host_.AdvanceState();
    }
    static FilterHost& Current() { return *current_; }

private:
    FilterHost& host_;
    static inline FilterHost* current_ = nullptr;
};

}  // namespace plugin_test
