#pragma once
// BMP files: uncompressed, bottom-up, 1, 4, 8, 16, 24 or 32 bits per pixel,
// with the 40-byte information header or one of its longer forms.  16- and
// 32-bit files with colour masks load as 24-bit bitmaps.
#include "ImageFileWorkSt.h"

// Width, height and bits per pixel of a BMP file into `desc`.
// 0, -1 when the file cannot be opened, -2 when it is not a BMP or damaged,
// -3 for a kind of BMP that is not read (compressed, top-down, other headers).
int BmpIF_Info(const char* path, ImageFileDescSt* desc);

// Reads the palette and rows of a BMP file into the described storage, whose
// width, height and depth must be those of the file.  0, -1 or -2.
int BmpIF_Read(const char* path, ImageFileWorkSt* work);

// Writes the described bitmap as a BMP file.  0, -1 when the file cannot be
// created, -2 when the description is unusable or a write fails.
int BmpIF_Write(const char* path, ImageFileWorkSt* work);
