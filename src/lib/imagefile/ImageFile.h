#pragma once
// Loading an image file into a bitmap and saving a bitmap as an image file.
// The format follows the file name's extension (see ImageFile_Type).
#include "ImageFileUtilities.h"
#include "ImageFileWorkSt.h"

class DibEx;

class ImageFile {
public:
    // Works on `bitmap` and the optional 8-bit `alphaBitmap`; owns neither.
    explicit ImageFile(DibEx* bitmap, DibEx* alphaBitmap = nullptr);

    // Width, height and bits per pixel of the file into `work`; 1 or 0.
    int GetInfo(const char* path, ImageFileWorkSt* work);

    // Sets the bitmap up at the file's size (a BMP at its own depth, other
    // formats at 24 bits), an alpha bitmap at 8 bits, and reads the file.
    // With convertTo24 the result is converted to 24 bits.  1 or 0; a bitmap
    // that cannot be allocated throws the int -1.  After a failure the bitmap
    // keeps its set-up and must be treated as absent.
    int Load(const char* path, int convertTo24);
    // The same for a file of the given type whatever its name.  The result
    // code of the step that failed goes to *failure when given.
    int LoadAs(const char* path, int type, int convertTo24, int* failure = nullptr);

    // Writes the bitmap to the file; `colours` and `quality` are accepted for
    // the callers' sake and not used.  1 or 0.
    int Save(const char* path, int colours, int quality);
    // The same in the given format whatever the file's name.
    int SaveAs(const char* path, int type);

    void SetProgressFunc(ImageFileProgressFunc progress);

private:
    int LoadInto(const char* path, int type);
    int SaveAs24(const char* path, int type);

    DibEx* bitmap_;
    DibEx* alphaBitmap_;
    ImageFileProgressFunc progress_ = nullptr;
};

// Loads folder/name (or name alone when folder is null) into the bitmaps.
// A path longer than 255 characters is refused.  1 or 0.
int ImageFile_Load(const char* folder, const char* name, DibEx* bitmap, DibEx* alphaBitmap,
                   ImageFileProgressFunc progress, int convertTo24);

// Saves the bitmap to the path; the first argument is not used.  1 or 0.
int ImageFile_Save(const void* unused, const char* path, DibEx* bitmap, DibEx* alphaBitmap,
                   ImageFileProgressFunc progress, int colours, int quality);
