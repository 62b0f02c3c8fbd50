#include "IntAngle.h"

#include <cmath>

IntAngle::IntAngle()
{
    for (int k = 0; k < kSteps; ++k) {
        const double angle = k * 6.283 / kSteps;
        cosTable[k] = std::cos(angle);
        sinTable[k] = std::sin(angle);
    }
    // The quarter turns are exact, so axis-aligned directions carry no
    // rounding residue.
    constexpr int kQuarter = kSteps / 4;
    const double cosAxes[4] = {1.0, 0.0, -1.0, 0.0};
    const double sinAxes[4] = {0.0, 1.0, 0.0, -1.0};
    for (int q = 0; q < 4; ++q) {
        cosTable[q * kQuarter] = cosAxes[q];
        sinTable[q * kQuarter] = sinAxes[q];
    }
}
