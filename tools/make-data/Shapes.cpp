// Samples with transparency: a bold word and a star, anti-aliased by their
// distance from the outline.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "Pictures.h"

namespace {

struct Point {
    double x, y;
};

struct Segment {
    Point a, b;
};

double SegmentDistance(const Point& p, const Segment& s) {
    const double dx = s.b.x - s.a.x;
    const double dy = s.b.y - s.a.y;
    const double t = std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(p.x - s.a.x - t * dx, p.y - s.a.y - t * dy);
}

// Coverage of a pixel whose centre lies `distance` inside the outline
// (negative outside): a one-pixel ramp across the edge.
double EdgeCoverage(double inside) { return std::clamp(inside + 0.5, 0.0, 1.0); }

// The word MOVE in strokes of half width `pen` within a 600 x 220 frame.
double WordInside(const Point& p, double pen) {
    static const std::array<Segment, 10> strokes = {{
        {{40, 185}, {40, 35}},   {{40, 35}, {95, 125}},   {{95, 125}, {150, 35}},
        {{150, 35}, {150, 185}}, {{330, 35}, {390, 185}}, {{390, 185}, {450, 35}},
        {{490, 35}, {490, 185}}, {{490, 35}, {565, 35}},  {{490, 110}, {550, 110}},
        {{490, 185}, {565, 185}},
    }};
    double nearest = 1e9;
    for (const Segment& s : strokes) nearest = std::min(nearest, SegmentDistance(p, s));
    const double ring = std::abs(std::hypot(p.x - 245, p.y - 110) - 58);
    return pen - std::min(nearest, ring);
}

std::vector<Point> StarOutline(double cx, double cy, double outer, double inner) {
    std::vector<Point> points;
    for (int i = 0; i < 10; ++i) {
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double r = i % 2 == 0 ? outer : inner;
        points.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle)});
    }
    return points;
}

// Signed distance, positive inside the polygon.
double PolygonInside(const Point& p, const std::vector<Point>& polygon) {
    bool inside = false;
    double nearest = 1e9;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
        nearest = std::min(nearest, SegmentDistance(p, {a, b}));
    }
    return inside ? nearest : -nearest;
}

template <typename Inside>
Canvas PaintShape(int width, int height, const Rgb& top, const Rgb& bottom, Inside inside) {
    Canvas canvas(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double coverage = EdgeCoverage(inside(Point{x + 0.5, y + 0.5}));
            canvas.SetCoverage(x, y, coverage);
            if (coverage > 0.0) canvas.SetColour(x, y, Mix(top, bottom, static_cast<double>(y) / height));
        }
    }
    // Refraction and blurs sample the colour beyond the outline: there it
    // continues the shape's edge rather than turning black.
    canvas.CarryEdgeColour();
    return canvas;
}

}  // namespace

Canvas MakeWordSample(int width, int height) {
    // The word's 600 x 220 frame with a margin of 20 on every side, so that
    // bevels and shadows stay inside the picture.
    const double sx = 640.0 / width;
    const double sy = 260.0 / height;
    return PaintShape(width, height, {0.98, 0.55, 0.15}, {0.85, 0.15, 0.2}, [&](const Point& p) {
        return WordInside({p.x * sx - 20.0, p.y * sy - 20.0}, 19.0) / sx;
    });
}

Canvas MakeStarSample(int size) {
    const double c = size / 2.0;
    const std::vector<Point> star = StarOutline(c, c * 1.06, size * 0.46, size * 0.2);
    return PaintShape(size, size, {0.3, 0.65, 0.95}, {0.15, 0.25, 0.7},
                      [&](const Point& p) { return PolygonInside(p, star); });
}
