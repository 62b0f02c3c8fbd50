#include "ImageFileDlgHost.h"

#include <algorithm>

#include "CShadeApp.h"
#include "ImageFile.h"
#include "ImageFunc.h"
#include "RgbaPng.h"

ImageFileDlgHost::ImageFileDlgHost(CShadeApp& app, std::string input, std::string output)
    : app_(app), input_(std::move(input)), output_(std::move(output)) {}

bool ImageFileDlgHost::LoadImage() {
    DibEx& image = app_.FullImage();
    DibEx& mask = app_.FullMask();
    bool hasAlpha = false;
    if (RgbaPng_Load(input_, &image, &mask, &hasAlpha) != 1) {
        // Other formats have no alpha here: the whole image is the area.
        if (ImageFile_Load(nullptr, input_.c_str(), &image, nullptr, nullptr, 1) != 1 || image.GetBitsPerPixel() != 24)
            return false;
        hasAlpha = false;
    }
    const int32_t width = image.GetWidth();
    const int32_t height = image.GetHeight();
    if (!hasAlpha) {
        mask.Setup(width, height, 8);
        mask.Fill(255);
        wholeImage_ = true;
        app_.SetObjectRect(CMacRect(0, 0, width, height));
        return true;
    }
    // The object is the bounding box of the pixels that are not transparent.
    CMacRect box(width, height, 0, 0);
    for (int32_t line = 0; line < height; ++line) {
        const uint8_t* a = mask.CommitLine(line);
        for (int32_t x = 0; x < width; ++x)
            if (a[x] != 0) box.SetRect(std::min(box.left, x), std::min(box.top, line), std::max(box.right, x + 1),
                                       std::max(box.bottom, line + 1));
    }
    mask.Decommit();
    if (box.IsRectEmpty()) box.SetRectEmpty();
    else IMAGE_Saturation(&mask, nullptr);
    app_.SetObjectRect(box);
    wholeImage_ = false;
    return true;
}

bool ImageFileDlgHost::SaveImage() {
    ++saves_;
    return RgbaPng_Save(output_, &app_.FullImage(), &app_.FullMask()) == 1;
}
