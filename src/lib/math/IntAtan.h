#pragma once

// Direction of an integer vector on a circle of 256 steps per turn, found by
// a table of the tangents of 1/256 .. 32/256 of a turn scaled by 10000.
class IntAtan {
public:
    static constexpr int kTableSize = 32;

    IntAtan();

    // Angle of (x, y), 0..255, counter-clockwise from the positive x axis:
    // (1, 0) gives 0, (0, 1) 64, (-1, 0) 128, (0, -1) 192; (0, 0) gives 0.
    // Within an octant the angle is rounded up to the next step, so 45
    // degrees gives 32.
    int GetAngle(int x, int y) const;

    int Tangent(int i) const { return tangent[i]; }

private:
    int tangent[kTableSize];
};
