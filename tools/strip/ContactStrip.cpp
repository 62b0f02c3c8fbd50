#include "ContactStrip.h"

#include <algorithm>

namespace {

// The range of source indices [first, last) that output index i of count
// covers when size source pixels map onto count output pixels.
std::pair<int32_t, int32_t> Span(int32_t i, int32_t count, int32_t size) {
    const int32_t first = static_cast<int32_t>(int64_t{i} * size / count);
    const int32_t last = static_cast<int32_t>(int64_t{i + 1} * size / count);
    return {first, std::max(last, first + 1)};
}

}  // namespace

HostImageSt ContactStrip_Fit(const HostImageSt& picture, int32_t height, const uint8_t background[3]) {
    const int32_t width = std::max<int32_t>(1, static_cast<int32_t>(int64_t{picture.width} * height / picture.height));
    HostImageSt fitted = HostImage_Make(width, height, 3);
    for (int32_t y = 0; y < height; ++y) {
        const auto [top, bottom] = Span(y, height, picture.height);
        for (int32_t x = 0; x < width; ++x) {
            const auto [left, right] = Span(x, width, picture.width);
            int64_t sum[3] = {0, 0, 0};
            for (int32_t sy = top; sy < bottom; ++sy)
                for (int32_t sx = left; sx < right; ++sx) {
                    const uint8_t* p = picture.Pixel(sx, sy);
                    const int alpha = picture.planes == 4 ? p[3] : 255;
                    for (int c = 0; c < 3; ++c) sum[c] += (p[c] * alpha + background[c] * (255 - alpha)) / 255;
                }
            const int64_t count = int64_t{bottom - top} * (right - left);
            for (int c = 0; c < 3; ++c) fitted.Pixel(x, y)[c] = static_cast<uint8_t>(sum[c] / count);
        }
    }
    return fitted;
}

HostImageSt ContactStrip_Make(const std::vector<HostImageSt>& pictures, const ContactStripSt& layout) {
    std::vector<HostImageSt> fitted;
    for (const HostImageSt& picture : pictures)
        fitted.push_back(ContactStrip_Fit(picture, layout.height, layout.background));
    const int32_t count = static_cast<int32_t>(fitted.size());
    const int32_t columns = layout.columns > 0 ? std::min(layout.columns, count) : count;
    const int32_t rows = (count + columns - 1) / columns;
    int32_t cell = 0;
    for (const HostImageSt& picture : fitted) cell = std::max(cell, picture.width);

    HostImageSt strip = HostImage_Make(layout.gap + columns * (cell + layout.gap),
                                       layout.gap + rows * (layout.height + layout.gap), 3);
    for (int32_t y = 0; y < strip.height; ++y)
        for (int32_t x = 0; x < strip.width; ++x) std::copy_n(layout.background, 3, strip.Pixel(x, y));
    for (int32_t i = 0; i < count; ++i) {
        const HostImageSt& picture = fitted[i];
        // Centred in its cell.
        const int32_t left = layout.gap + (i % columns) * (cell + layout.gap) + (cell - picture.width) / 2;
        const int32_t top = layout.gap + (i / columns) * (layout.height + layout.gap);
        for (int32_t y = 0; y < picture.height; ++y)
            std::copy_n(picture.Pixel(0, y), std::size_t(picture.width) * 3, strip.Pixel(left, top + y));
    }
    return strip;
}
