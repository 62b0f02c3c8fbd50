// The about window's picture: a dark ground with a lit relief ring on the
// right, the kind of surface the filter makes, and a band at the bottom for
// the window's link and hint.  The window writes its texts over it.
#include <algorithm>
#include <cmath>

#include "Pictures.h"

namespace {

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// The ring's height at distance d from its centre: a rounded bevel between
// the inner and outer radius, 0 outside.
double RingHeight(double d, double inner, double outer) {
    if (d <= inner || d >= outer) return 0.0;
    const double t = (d - inner) / (outer - inner);
    return std::sin(t * 3.14159265358979);
}

}  // namespace

Canvas MakeAboutPicture(int width, int height) {
    Canvas canvas(width, height);
    const TileNoise grain(8, 71);
    const Rgb top{0.20, 0.29, 0.44};
    const Rgb bottom{0.07, 0.09, 0.16};
    const Rgb gold{0.86, 0.66, 0.30};
    const double cx = width * 0.76, cy = height * 0.40;
    const double inner = height * 0.16, outer = height * 0.30;
    // Light from the upper left, a little in front.
    const double lx = -0.5, ly = -0.6, lz = 0.62;
    const int band = height - 60;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double t = static_cast<double>(y) / (height - 1);
            Rgb colour = Mix(top, bottom, t);
            colour = Scale(colour, 0.92 + 0.16 * grain.Fractal(x / 32.0, y / 32.0, 4));
            const double d = std::hypot(x - cx, y - cy);
            const double h = RingHeight(d, inner, outer);
            if (h > 0.0) {
                // The surface normal from the height's slope along the radius.
                const double slope = std::cos((d - inner) / (outer - inner) * 3.14159265358979) * 2.2;
                const double nx = -slope * (x - cx) / d, ny = -slope * (y - cy) / d, nz = 1.0;
                const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
                const double light = Clamp01((nx * lx + ny * ly + nz * lz) / length);
                const double shine = std::pow(light, 24.0);
                colour = Mix(Scale(gold, 0.25 + 0.85 * light), Rgb{1.0, 0.97, 0.9}, shine * 0.8);
            } else if (d < outer + 10.0 && d > inner - 10.0) {
                colour = Scale(colour, 0.75 + 0.025 * std::min(std::abs(d - outer), std::abs(d - inner)));
            }
            if (y >= band) colour = Mix(colour, Rgb{0.02, 0.03, 0.06}, y == band ? 0.9 : 0.55);
            canvas.SetColour(x, y, {Clamp01(colour.r), Clamp01(colour.g), Clamp01(colour.b)});
            canvas.SetCoverage(x, y, 1.0);
        }
    return canvas;
}
