#pragma once

#include "IntAtan.h"

// IntAtan plus cosine and sine tables on the same 256-step circle.
class IntAngle : public IntAtan {
public:
    static constexpr int kSteps = 256;

    IntAngle();

    // Cosine and sine of step k; any int is taken modulo 256, so negative
    // steps count backwards from 256.
    double Cos(int k) const { return cosTable[k & (kSteps - 1)]; }
    double Sin(int k) const { return sinTable[k & (kSteps - 1)]; }

private:
    double cosTable[kSteps];
    double sinTable[kSteps];
};
