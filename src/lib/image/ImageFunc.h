#pragma once
// Image operations on DibEx bitmaps.  Rectangles are in bitmap coordinates
// (x = column, y = bitmap line, line 0 the bottom row), right and bottom
// exclusive; a null rectangle means the whole bitmap.  The first bitmap of a
// copy is always the destination.
#include <cstdint>

#include "CMacRect.h"
#include "DibEx.h"

class WorkPool;

// `rect` clipped to the bitmap (negative left/top raised to 0, right/bottom
// lowered to the width/height), or the whole bitmap for a null rect.
void image_DefaultRect(const DibEx* dib, const tagRECT* rect, tagRECT* out);

// Copies without scaling: the destination rectangle gives the size, the
// source rectangle only the origin.  Only the part that lies inside both
// bitmaps is copied.  Returns 1, or 0 when a bitmap is null or invalid or
// the depths differ.
int IMAGE_Move(DibEx* dst, DibEx* src, const tagRECT* dstRect, const tagRECT* srcRect);

// Nearest-neighbour scaling of the source rectangle into the destination
// rectangle; a reduced pixel takes the middle of its source block.  Returns
// 1, or 0 for null or invalid bitmaps, differing depths or a depth other
// than 8 or 24 bits.  8-bit palettes are not copied.
int IMAGE_Nearest(DibEx* dst, DibEx* src, const tagRECT* dstRect, const tagRECT* srcRect);

// IMAGE_Move when both rectangles have the same size, else IMAGE_Nearest.
// Returns 0 when either bitmap is invalid or their depths differ.
int IMAGE_Copy(DibEx* dst, DibEx* src, const tagRECT* dstRect, const tagRECT* srcRect);

// Resizes the bitmap in place (same depth, kind and palette) by a scaled
// copy, and carries `rect` (may be null) into the new size.  Returns 0 when
// the bitmap is invalid, a size is below 1 or the size is unchanged,
// otherwise the copy's result.
int IMAGE_Resize(DibEx* dib, int32_t width, int32_t height, tagRECT* rect);

// Shrinks `rect` in place to the aspect ratio width : height, centred.
// Nothing happens when any size is below 1.
void CorrectProportionRect(tagRECT* rect, int32_t width, int32_t height);

// Closing of an 8-bit mask: a pixel whose left, right, upper and lower
// neighbours (as they were before the pass) are all non-zero becomes 255.
// Edge pixels use themselves as the missing neighbour.  Returns 1, or 0 for
// a bitmap that is null, invalid or not 8-bit.
int IMAGE_Saturation(DibEx* dib, const tagRECT* rect);

// Box blur of radius r (window 2r + 1), `passes` times horizontally then
// vertically, every byte of a pixel its own channel; values beyond the
// edges count as 0 and the divisor is always 2r + 1, so the image fades
// toward its border.  Returns 0 (nothing done) when radius or passes is
// below 1 or the bitmap is null or invalid, else 1.
// The rows and columns are shared by the threads of `pool` (null: the shared
// pool); the result does not depend on their number.
// Only the bytes inside `content` are read, every other byte counting as 0,
// and only those inside `wanted` are the blur's on return: the rest of the
// bitmap is left with whatever the passes wrote there.  A null rectangle is
// the whole bitmap.
int IMAGE_BlurAroundZero(DibEx* dib, int radius, int passes, WorkPool* pool = nullptr,
                         const tagRECT* content = nullptr, const tagRECT* wanted = nullptr);
