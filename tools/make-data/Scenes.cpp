// Foreground pictures and the opaque sample: skies, a studio and a
// landscape, drawn from gradients and noise.
#include <algorithm>
#include <cmath>

#include "Pictures.h"

namespace {

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// 1 inside the rectangle, falling to 0 over `soft` pixels outside it.
double SoftBox(double x, double y, double left, double top, double right, double bottom, double soft) {
    const double dx = std::max({left - x, 0.0, x - right});
    const double dy = std::max({top - y, 0.0, y - bottom});
    return Clamp01(1.0 - std::hypot(dx, dy) / soft);
}

double Glow(double x, double y, double cx, double cy, double radius) {
    return Clamp01(1.0 - std::hypot(x - cx, y - cy) / radius);
}

// A sky from `zenith` to `horizon`, clouds mixed in where the noise is high.
Rgb Sky(const TileNoise& clouds, double u, double t, const Rgb& zenith, const Rgb& horizon) {
    const Rgb sky = Mix(zenith, horizon, std::pow(t, 1.6));
    const double c = Clamp01((clouds.Fractal(u * 4.0, t * 2.0, 5) - 0.5) * 3.0);
    return Mix(sky, Rgb{0.97, 0.97, 0.98}, c * 0.8);
}

// Height (0..1, fraction of the picture from the top) of a ridge line.
double Ridge(const TileNoise& noise, double u, double base, double amplitude) {
    return base - amplitude * noise.Fractal(u * 4.0, 0.5, 4);
}

}  // namespace

Canvas MakeSky(int width, int height) {
    Canvas canvas(width, height);
    const TileNoise clouds(4, 61);
    const TileNoise ground(16, 62);
    const double horizon = 0.56;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            if (v < horizon) {
                canvas.SetColour(x, y, Sky(clouds, u, v / horizon, {0.12, 0.3, 0.68}, {0.78, 0.86, 0.95}));
            } else {
                const double depth = (v - horizon) / (1.0 - horizon);
                const double n = ground.Fractal(u * 16.0, depth * 8.0, 3);
                canvas.SetColour(x, y, Scale(Mix({0.42, 0.4, 0.33}, {0.16, 0.13, 0.1}, depth), 0.75 + 0.5 * n));
            }
        }
    }
    return canvas;
}

Canvas MakeStudio(int width, int height) {
    Canvas canvas(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double v = static_cast<double>(y) / height;
            double level = 0.06 + 0.18 * std::pow(v, 2.0);
            level += 0.9 * SoftBox(x, y, width * 0.1, height * 0.1, width * 0.32, height * 0.45, width * 0.06);
            level += 0.7 * SoftBox(x, y, width * 0.7, height * 0.18, width * 0.9, height * 0.38, width * 0.05);
            level += 0.35 * SoftBox(x, y, 0, height * 0.8, width, height * 0.84, height * 0.05);
            canvas.SetColour(x, y, Rgb{level, level, level * 1.03});
        }
    }
    return canvas;
}

Canvas MakeSunset(int width, int height) {
    Canvas canvas(width, height);
    const TileNoise clouds(4, 71);
    const TileNoise hills(4, 72);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            Rgb colour = Mix({0.3, 0.12, 0.4}, {1.0, 0.62, 0.22}, std::pow(v / 0.7, 1.3));
            const double band = Clamp01((clouds.Fractal(u * 4.0, v * 8.0, 4) - 0.55) * 4.0);
            colour = Mix(colour, {0.95, 0.4, 0.35}, band * 0.6);
            const double sun = Glow(x, y, width * 0.5, height * 0.6, height * 0.35);
            colour = Mix(colour, {1.0, 0.95, 0.7}, std::pow(sun, 2.0));
            if (v > Ridge(hills, u, 0.78, 0.12)) colour = Scale(colour, 0.18);
            canvas.SetColour(x, y, colour);
        }
    }
    return canvas;
}

Canvas MakeLandscapeSample(int width, int height) {
    Canvas canvas(width, height);
    const TileNoise clouds(4, 81);
    const TileNoise far(4, 82);
    const TileNoise near(4, 83);
    const TileNoise meadow(32, 84);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            Rgb colour = Sky(clouds, u, v / 0.6, {0.2, 0.42, 0.78}, {0.85, 0.9, 0.95});
            colour = Mix(colour, {1.0, 0.96, 0.8}, std::pow(Glow(x, y, width * 0.78, height * 0.18, height * 0.2), 3.0));
            if (v > Ridge(far, u, 0.58, 0.2)) colour = Mix({0.4, 0.5, 0.66}, colour, 0.25);
            if (v > Ridge(near, u + 0.3, 0.75, 0.18)) {
                const double n = meadow.Fractal(u * 32.0, v * 16.0, 3);
                colour = Scale(Mix({0.3, 0.55, 0.2}, {0.16, 0.33, 0.1}, v), 0.75 + 0.45 * n);
            }
            canvas.SetColour(x, y, colour);
        }
    }
    return canvas;
}
