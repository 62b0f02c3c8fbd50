#pragma once

#include <cstdint>

// A 256-entry byte curve: entry i is the output for input i.  The engine reads
// it per pixel; the builders fill it from a few real parameters and never
// allocate.
class MathTbl {
public:
    static constexpr int kSize = 256;

    // Identity: entry i = i.
    MathTbl();

    // Logistic curve with gain, centre (0..1 of the input range), and the
    // outputs at input 0 and 255 given as 0..1.  A negative gain builds the
    // inverse curve; a gain below 0.001 in magnitude builds a straight line.
    void Sigmoid(double gain, double centre, double low, double high);

    // Power curve i^gamma scaled to run from low to high (0..1).  A negative
    // gamma leaves the table unchanged.
    void Gamma(double gamma, double low, double high);

    // Two quarter circles meeting at the knee (0..1): concave below it,
    // convex above it, from low to high.
    void Arc(double knee, double low, double high);

    // n rounds of a three-tap box filter applied twice; entries 0 and 255
    // keep their values.  n <= 0 changes nothing.
    void Smooth(int n);

    std::uint8_t operator[](int i) const { return table[i]; }
    std::uint8_t& operator[](int i) { return table[i]; }

    std::uint8_t table[kSize];
};
