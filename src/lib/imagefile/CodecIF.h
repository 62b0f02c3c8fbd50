#pragma once
// JPEG, TIFF and PNG files through their reference libraries.  Every reader
// delivers 24-bit rows (blue, green, red), whatever depth, palette or alpha
// channel the file has (alpha is dropped); every writer makes a 24-bit file
// from a 24-bit bitmap.  Results: 0, -1 when the file cannot be opened or
// created, -2 for a file that is damaged, unsupported or does not match the
// target, or a failed write.
#include "ImageFileWorkSt.h"

// Width, height and bits per pixel (samples × bits per sample) of the file.
int PngIF_Info(const char* path, ImageFileDescSt* desc);
int PngIF_Read(const char* path, ImageFileWorkSt* work);
int PngIF_Write(const char* path, ImageFileWorkSt* work);

int JpegIF_Info(const char* path, ImageFileDescSt* desc);
int JpegIF_Read(const char* path, ImageFileWorkSt* work);
int JpegIF_Write(const char* path, ImageFileWorkSt* work);

int TiffIF_Info(const char* path, ImageFileDescSt* desc);
int TiffIF_Read(const char* path, ImageFileWorkSt* work);
int TiffIF_Write(const char* path, ImageFileWorkSt* work);

