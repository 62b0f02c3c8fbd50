#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "DibEx.h"
#include "ImageFile.h"
#include "RgbaPng.h"

namespace {

uint8_t ToByte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

uint32_t Hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

double Smoothstep(double t) { return t * t * (3.0 - 2.0 * t); }

int Wrap(int v, int period) { return ((v % period) + period) % period; }

// Copies the canvas into bitmaps: line 0 of a bitmap is the bottom row.
void ToBitmaps(const Canvas& canvas, DibEx& colour, DibEx* alpha) {
    const int w = canvas.Width();
    const int h = canvas.Height();
    colour.Setup(w, h, 24);
    if (alpha != nullptr) alpha->Setup(w, h, 8);
    for (int y = 0; y < h; ++y) {
        uint8_t* line = colour.CommitLine(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const Rgb& c = canvas.Colour(x, y);
            line[x * 3] = ToByte(c.b);
            line[x * 3 + 1] = ToByte(c.g);
            line[x * 3 + 2] = ToByte(c.r);
        }
    }
    if (alpha == nullptr) return;
    for (int y = 0; y < h; ++y) {
        uint8_t* line = alpha->CommitLine(h - 1 - y);
        for (int x = 0; x < w; ++x) line[x] = ToByte(canvas.Coverage(x, y));
    }
}

}  // namespace

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(const Rgb& c, double f) { return {c.r * f, c.g * f, c.b * f}; }

Canvas::Canvas(int width, int height)
    : width_(width), height_(height),
      colour_(static_cast<std::size_t>(width) * height),
      coverage_(static_cast<std::size_t>(width) * height, 1.0) {}

std::size_t Canvas::Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

void Canvas::SetColour(int x, int y, const Rgb& colour) { colour_[Index(x, y)] = colour; }
const Rgb& Canvas::Colour(int x, int y) const { return colour_[Index(x, y)]; }
void Canvas::SetCoverage(int x, int y, double coverage) { coverage_[Index(x, y)] = coverage; }
double Canvas::Coverage(int x, int y) const { return coverage_[Index(x, y)]; }

void Canvas::CarryEdgeColour() {
    // A breadth-first walk outwards from the covered pixels, eight
    // neighbours a step: each uncovered pixel takes the colour of the pixel
    // it was first reached from.
    std::vector<bool> done(coverage_.size(), false);
    std::deque<std::size_t> front;
    for (std::size_t i = 0; i < coverage_.size(); ++i) {
        if (coverage_[i] <= 0.0) continue;
        done[i] = true;
        front.push_back(i);
    }
    while (!front.empty()) {
        const std::size_t from = front.front();
        front.pop_front();
        const int x = static_cast<int>(from % width_);
        const int y = static_cast<int>(from / width_);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= width_ || ny >= height_) continue;
                const std::size_t to = Index(nx, ny);
                if (done[to]) continue;
                done[to] = true;
                colour_[to] = colour_[from];
                front.push_back(to);
            }
        }
    }
}

bool Canvas::SavePng(const std::string& path) const {
    DibEx colour;
    DibEx alpha;
    ToBitmaps(*this, colour, &alpha);
    return RgbaPng_Save(path, &colour, &alpha) == 1;
}

bool Canvas::SaveJpeg(const std::string& path) const {
    DibEx colour;
    ToBitmaps(*this, colour, nullptr);
    return ImageFile_Save(nullptr, path.c_str(), &colour, nullptr, nullptr, 0, 0) == 1;
}

double TileNoise::Lattice(int x, int y, int period) const {
    const uint32_t key = static_cast<uint32_t>(Wrap(x, period)) * 73856093U ^
                         static_cast<uint32_t>(Wrap(y, period)) * 19349663U ^ seed_ * 83492791U;
    return static_cast<double>(Hash(key) & 0xffffffU) / static_cast<double>(0xffffffU);
}

double TileNoise::At(double x, double y) const {
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = Smoothstep(x - x0);
    const double fy = Smoothstep(y - y0);
    const double top = Lattice(x0, y0, period_) + (Lattice(x0 + 1, y0, period_) - Lattice(x0, y0, period_)) * fx;
    const double bottom =
        Lattice(x0, y0 + 1, period_) + (Lattice(x0 + 1, y0 + 1, period_) - Lattice(x0, y0 + 1, period_)) * fx;
    return top + (bottom - top) * fy;
}

double TileNoise::Fractal(double x, double y, int octaves) const {
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    double frequency = 1.0;
    for (int i = 0; i < octaves; ++i) {
        const TileNoise layer(period_ * static_cast<int>(frequency), seed_ + static_cast<uint32_t>(i) * 101U);
        sum += layer.At(x * frequency, y * frequency) * weight;
        total += weight;
        weight *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}
