#pragma once

// The integer colour record, converted in place.  R, G, B are 0..255.  After
// RgbToHcl the last three fields hold hue (0..251, 252 steps per turn, 42 per
// sextant: red 0, yellow 42, green 84, cyan 126, blue 168, magenta 210),
// chroma (max - min of R, G, B) and luma (0..255).  After RgbToHsv the same
// fields hold hue (same circle), saturation and value (0..255).
struct HCLCOLOR {
    int R = 0;
    int G = 0;
    int B = 0;
    int H = 0;
    int C = 0;
    int L = 0;
};

// Fills H, C, L from R, G, B.
void RgbToHcl(HCLCOLOR* color);

// Fills R, G, B from H, C, L, clamping each channel into 0..255.  Returns 1
// when no channel had to be clamped, else 0.  The sextant is the truncated
// quotient H/42, so hues -41..-1 fall into sextant 0; a hue below -41 or
// above 251 gives black (and 1: nothing was clamped).
int HclToRgb(HCLCOLOR* color);

// Fills H (hue 0..251), C (saturation 0..255) and L (value 0..255) from
// R, G, B.
void RgbToHsv(HCLCOLOR* color);

// Fills R, G, B from hue (H), saturation (C) and value (L).  A hue outside
// 0..251 leaves R, G, B unchanged.
void HsvToRgb(HCLCOLOR* color);
