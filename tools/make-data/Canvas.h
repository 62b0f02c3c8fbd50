#pragma once
// A picture under construction for the installation data generator: colour
// channels and coverage as doubles in 0..1, rows top down, and a tileable
// fractal value noise to draw with.
#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t);
Rgb Scale(const Rgb& c, double f);

class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }

    void SetColour(int x, int y, const Rgb& colour);
    const Rgb& Colour(int x, int y) const;
    void SetCoverage(int x, int y, double coverage);
    double Coverage(int x, int y) const;

    // Gives every uncovered pixel the colour of the nearest covered one, so
    // that what filters sample beyond the outline continues the edge.
    void CarryEdgeColour();

    // Writes colour and coverage as a PNG with alpha; true when written.
    bool SavePng(const std::string& path) const;
    // Writes the colour as a JPEG; true when written.
    bool SaveJpeg(const std::string& path) const;

private:
    std::size_t Index(int x, int y) const;

    int width_;
    int height_;
    std::vector<Rgb> colour_;
    std::vector<double> coverage_;
};

// Value noise in 0..1 that repeats every `period` units in x and y, so that
// pictures made from it tile without seams.  `seed` picks the pattern.
class TileNoise {
public:
    TileNoise(int period, uint32_t seed) : period_(period), seed_(seed) {}
    double At(double x, double y) const;
    // Sum of `octaves` layers, each of twice the frequency and half the
    // weight of the one before, normalised to 0..1.
    double Fractal(double x, double y, int octaves) const;

private:
    double Lattice(int x, int y, int period) const;

    int period_;
    uint32_t seed_;
};
