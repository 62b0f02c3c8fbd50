#include "HclColor.h"

#include <algorithm>
#include <cstdint>

// Products and quotients are formed in 64 bits: for channels in their ranges
// the results are those of 32-bit arithmetic (quotients truncate toward zero
// either way), and out-of-range input cannot overflow.
namespace {

using Wide = std::int64_t;

constexpr int kHueSteps = 252;
constexpr int kSextant = 42;
constexpr Wide kLumaScale = 42 * 256; // 10752

// Hue of a grey: derived from its level so that greys still spread over the
// circle.
int GreyHue(Wide level)
{
    Wide h = (level >> 1) + 168;
    if (h > kHueSteps - 1)
        h -= kHueSteps;
    return static_cast<int>(h);
}

int WrapNegativeHue(Wide h)
{
    return static_cast<int>(h < 0 ? h + kHueSteps : h);
}

// The sextant is the truncated quotient h / 42, so hues -41..-1 still fall
// into sextant 0; only quotients outside 0..5 match no sextant.
bool HasSextant(int h)
{
    const int sextant = h / kSextant;
    return sextant >= 0 && sextant < kHueSteps / kSextant;
}

// Clamps into 0..255; reports whether it had to.
int ClampChannel(Wide v, bool& clamped)
{
    if (v < 0) {
        clamped = true;
        return 0;
    }
    if (v > 255) {
        clamped = true;
        return 255;
    }
    return static_cast<int>(v);
}

} // namespace

void RgbToHcl(HCLCOLOR* color)
{
    const Wide r = color->R, g = color->G, b = color->B;
    const Wide mx = std::max({r, g, b});
    const Wide mn = std::min({r, g, b});
    const Wide c = mx - mn;
    const Wide l = (77 * r + 151 * g + 28 * b) >> 8;
    color->C = static_cast<int>(c);
    color->L = static_cast<int>(l);
    if (c < 1) {
        color->H = GreyHue(l);
        return;
    }
    Wide h;
    if (r == mx)
        h = (g - b) * kSextant / c;
    else if (g != mx)
        h = (r - g) * kSextant / c + 168;
    else
        h = (b - r) * kSextant / c + 84;
    color->H = WrapNegativeHue(h);
}

int HclToRgb(HCLCOLOR* color)
{
    const Wide h = color->H, c = color->C, l = color->L;
    Wide r = 0, g = 0, b = 0;
    if (HasSextant(color->H)) {
        switch (color->H / kSextant) {
        case 0:
            r = (7518 - 151 * h) * c / kLumaScale + l;
            g = (h - 42) * c / kSextant + r;
            b = r - c;
            break;
        case 1:
            g = (77 * h - 2058) * c / kLumaScale + l;
            r = g - (h - 42) * c / kSextant;
            b = g - c;
            break;
        case 2:
            g = (6762 - 28 * h) * c / kLumaScale + l;
            b = (h - 126) * c / kSextant + g;
            r = g - c;
            break;
        case 3:
            b = (151 * h - 15792) * c / kLumaScale + l;
            g = b - (h - 126) * c / kSextant;
            r = b - c;
            break;
        case 4:
            b = (22512 - 77 * h) * c / kLumaScale + l;
            r = (h - 210) * c / kSextant + b;
            g = b - c;
            break;
        default: // 5
            r = (28 * h + 462) * c / kLumaScale + l;
            b = r - (h - 210) * c / kSextant;
            g = r - c;
            break;
        }
    }
    bool clamped = false;
    color->R = ClampChannel(r, clamped);
    color->G = ClampChannel(g, clamped);
    color->B = ClampChannel(b, clamped);
    return clamped ? 0 : 1;
}

void RgbToHsv(HCLCOLOR* color)
{
    const Wide r = color->R, g = color->G, b = color->B;
    const Wide mx = std::max({r, g, b});
    const Wide mn = std::min({r, g, b});
    const Wide d = mx - mn;
    color->L = static_cast<int>(mx);
    color->C = static_cast<int>(mx == 0 ? 0 : d * 255 / mx);
    if (d == 0) {
        color->H = GreyHue(mx);
        return;
    }
    const Wide cr = (mx - r) * kSextant / d;
    const Wide cg = (mx - g) * kSextant / d;
    const Wide cb = (mx - b) * kSextant / d;
    Wide h;
    if (b == mx)
        h = cg - cr + 168;
    else if (g != mx)
        h = cb - cg;
    else
        h = cr - cb + 84;
    color->H = WrapNegativeHue(h);
}

void HsvToRgb(HCLCOLOR* color)
{
    const Wide hue = color->H, sat = color->C, value = color->L;
    if (sat == 0) {
        color->R = color->G = color->B = static_cast<int>(value);
        return;
    }
    if (!HasSextant(color->H))
        return;
    const Wide p = (255 - sat) * value / 255;
    const Wide q = value - p;
    Wide r, g, b;
    switch (color->H / kSextant) {
    case 0: r = value; g = q * hue / kSextant + p; b = p; break;
    case 1: r = q * (84 - hue) / kSextant + p; g = value; b = p; break;
    case 2: r = p; g = value; b = q * (hue - 84) / kSextant + p; break;
    case 3: r = p; g = q * (168 - hue) / kSextant + p; b = value; break;
    case 4: r = q * (hue - 168) / kSextant + p; g = p; b = value; break;
    default: r = value; g = p; b = q * (252 - hue) / kSextant + p; break; // 5
    }
    color->R = static_cast<int>(r);
    color->G = static_cast<int>(g);
    color->B = static_cast<int>(b);
}
