// Tiling textures: every pattern repeats across the picture's edges, so
// the engine can tile them without seams.
#include <cmath>
#include <numbers>

#include "Pictures.h"

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Runs `shade(u, v)` for every pixel, with u and v in 0..1.
template <typename Shade>
Canvas Paint(int size, Shade shade) {
    Canvas canvas(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            canvas.SetColour(x, y, shade(static_cast<double>(x) / size, static_cast<double>(y) / size));
    return canvas;
}

}  // namespace

Canvas MakeWood(int size) {
    const TileNoise warp(4, 11);
    const TileNoise grain(64, 12);
    const Rgb light{0.78, 0.56, 0.33};
    const Rgb dark{0.45, 0.26, 0.12};
    return Paint(size, [&](double u, double v) {
        const double rings = v * 5.0 + warp.Fractal(u * 4.0, v * 4.0, 4) * 1.5;
        const double ring = std::pow(0.5 + 0.5 * std::sin(kTwoPi * rings), 1.5);
        const double fibre = grain.Fractal(u * 64.0, v * 4.0, 2);
        return Scale(Mix(light, dark, ring * 0.7 + fibre * 0.3), 0.85 + 0.2 * fibre);
    });
}

Canvas MakeMarble(int size) {
    const TileNoise turbulence(4, 21);
    const Rgb stone{0.93, 0.92, 0.89};
    const Rgb vein{0.35, 0.37, 0.42};
    return Paint(size, [&](double u, double v) {
        const double t = (u + v) * 3.0 + turbulence.Fractal(u * 4.0, v * 4.0, 5) * 3.0;
        const double veinWeight = std::pow(1.0 - std::abs(std::sin(std::numbers::pi * t)), 8.0);
        const double cloud = turbulence.Fractal(u * 8.0 + 3.0, v * 8.0, 3);
        return Mix(Scale(stone, 0.92 + 0.08 * cloud), vein, veinWeight * 0.85);
    });
}

Canvas MakePaper(int size) {
    const TileNoise fine(128, 31);
    const TileNoise fibres(16, 32);
    const Rgb cream{0.95, 0.93, 0.87};
    return Paint(size, [&](double u, double v) {
        const double grain = fine.Fractal(u * 128.0, v * 128.0, 2);
        const double fibre = std::pow(fibres.Fractal(u * 16.0, v * 16.0, 3), 3.0);
        return Scale(cream, 0.86 + 0.1 * grain + 0.08 * fibre);
    });
}

Canvas MakeBrushedMetal(int size) {
    const TileNoise streaks(4, 41);
    const TileNoise sheen(2, 42);
    return Paint(size, [&](double u, double v) {
        const double streak = streaks.Fractal(u * 4.0, v * 256.0, 3);
        const double level = 0.55 + 0.25 * streak + 0.12 * sheen.At(u * 2.0, v * 2.0);
        return Rgb{level, level * 1.01, level * 1.04};
    });
}

Canvas MakeGranite(int size) {
    const TileNoise speckle(64, 51);
    const TileNoise grains(32, 52);
    const Rgb base{0.58, 0.55, 0.53};
    const Rgb pink{0.75, 0.56, 0.5};
    const Rgb black{0.14, 0.13, 0.13};
    return Paint(size, [&](double u, double v) {
        const double s = speckle.Fractal(u * 64.0, v * 64.0, 2);
        const double g = grains.Fractal(u * 32.0, v * 32.0, 3);
        Rgb colour = Scale(base, 0.85 + 0.3 * s);
        if (g > 0.62) colour = Mix(colour, pink, std::min(1.0, (g - 0.62) * 8.0));
        if (s < 0.33) colour = Mix(colour, black, std::min(1.0, (0.33 - s) * 9.0));
        return colour;
    });
}
