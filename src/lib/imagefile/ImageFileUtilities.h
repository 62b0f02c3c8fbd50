#pragma once
// Image file types by extension and dispatch to the reader or writer of each.
#include "ImageFileWorkSt.h"

enum ImageFileType : int {
    kImageFileUnknown = 0,
    kImageFileBmp = 1,
    kImageFileJpeg = 2,
    kImageFileTiff = 3,
    kImageFilePng = 4,
};

// The type named by the text after the last "." of the path, compared
// exactly: "bmp", "dib", "tmp" → 1; "jpg", "jpeg" → 2; "tif", "tiff" → 3;
// "png", "ping" → 4; anything else (upper case included) → 0.
int ImageFile_Type(const char* path);

// The type that the file's first bytes show ("BM"; FF D8 FF; "II*\0",
// "MM\0*" or their 64-bit forms; the PNG signature), whatever its name.
// 0 for any other content or a file that cannot be read.
int ImageFile_TypeOfContent(const char* path);

// Clears both descriptions of `work` (all but their storage references) and
// fills width, height and bits per pixel of the main one from the file.
// 0 on success; -1 when the file cannot be opened; -2 for an unknown type or
// a file that is not of its type or too large for a 24-bit bitmap.
// -3 for a file of a variant that is not read.  A file too small for the
// pixels its header claims is refused with -2 before anything is allocated.
int ImageFile_Info(const char* path, ImageFileWorkSt* work);

// Reads the file into the storage of `work`'s main description, which must
// have the file's size (and, for BMP, its depth; otherwise 24 bits).
// 0 on success; -1 for an unknown type or a file that cannot be opened; -2
// for damaged or mismatching data.
int ImageFile_Read(const char* path, ImageFileWorkSt* work);

// Writes `work`'s main description to the file (BMP at the bitmap's own
// depth; JPEG, TIFF and PNG from a 24-bit bitmap).  The file is replaced only
// when the whole image was written.  0 on success; -1 when the file cannot
// be created; -2 for an unknown type, an unusable bitmap or a failed write.
int ImageFile_Write(const char* path, ImageFileWorkSt* work);

// The same, for a file of the given type whatever its name.
int ImageFile_InfoAs(int type, const char* path, ImageFileWorkSt* work);
int ImageFile_ReadAs(int type, const char* path, ImageFileWorkSt* work);
int ImageFile_WriteAs(int type, const char* path, ImageFileWorkSt* work);
