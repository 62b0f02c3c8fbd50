#include "ImageFile.h"

#include <string>

#include "DibEx.h"

namespace {

constexpr size_t kLongestPath = 255;

// The description of a bitmap's storage, taken from its header values.
void Describe(DibEx* bitmap, ImageFileDescSt* desc) {
    desc->storage = bitmap;
    desc->totalSize = static_cast<uint32_t>(bitmap->GetTotalSize());
    desc->paletteSize = static_cast<uint32_t>(bitmap->GetPaletteSize());
    desc->pixelSize = static_cast<uint32_t>(bitmap->GetPixelSize());
    desc->width = static_cast<uint32_t>(bitmap->GetWidth());
    desc->height = static_cast<uint32_t>(bitmap->GetHeight());
    desc->bytesPerRow = static_cast<uint32_t>(bitmap->GetStride());
    desc->bytesPerPixel = static_cast<uint32_t>(bitmap->GetBytesPerPixel());
    desc->bitsPerPixel = static_cast<uint32_t>(bitmap->GetBitsPerPixel());
    desc->paletteEntries = static_cast<uint32_t>(bitmap->GetColorCount());
}

bool IsUsableAlpha(const DibEx* alpha, const DibEx& bitmap) {
    return alpha != nullptr && alpha->IsValid() && alpha->GetBitsPerPixel() == 8 &&
           alpha->GetWidth() == bitmap.GetWidth() && alpha->GetHeight() == bitmap.GetHeight();
}

bool WritesOnly24Bit(int type) { return type == kImageFileJpeg || type == kImageFileTiff || type == kImageFilePng; }

}  // namespace

ImageFile::ImageFile(DibEx* bitmap, DibEx* alphaBitmap) : bitmap_(bitmap), alphaBitmap_(alphaBitmap) {}

void ImageFile::SetProgressFunc(ImageFileProgressFunc progress) { progress_ = progress; }

int ImageFile::GetInfo(const char* path, ImageFileWorkSt* work) {
    work->image.width = 0;
    work->image.height = 0;
    work->image.bitsPerPixel = 0;
    return ImageFile_Info(path, work) == kImageFileOk ? 1 : 0;
}

int ImageFile::Load(const char* path, int convertTo24) { return LoadAs(path, ImageFile_Type(path), convertTo24); }

int ImageFile::LoadAs(const char* path, int type, int convertTo24, int* failure) {
    int result = bitmap_ != nullptr ? LoadInto(path, type) : kImageFileBadData;
    if (failure != nullptr) *failure = result;
    if (result != kImageFileOk) return 0;
    if (convertTo24) bitmap_->ConvertTo24();
    return 1;
}

int ImageFile::LoadInto(const char* path, int type) {
    ImageFileWorkSt work;
    ImageFileDescSt alphaDesc;
    if (alphaBitmap_ != nullptr) work.alpha = &alphaDesc;
    work.progress = progress_;
    const int info = ImageFile_InfoAs(type, path, &work);
    if (info != kImageFileOk) return info;

    const auto width = static_cast<int32_t>(work.image.width);
    const auto height = static_cast<int32_t>(work.image.height);
    bitmap_->Setup(width, height, type == kImageFileBmp ? static_cast<int32_t>(work.image.bitsPerPixel) : 24);
    if (!bitmap_->IsValid()) return kImageFileBadData;
    if (alphaBitmap_ != nullptr) {
        alphaBitmap_->Setup(width, height, 8);
        Describe(alphaBitmap_, &alphaDesc);
    }
    Describe(bitmap_, &work.image);
    return ImageFile_ReadAs(type, path, &work);
}

int ImageFile::Save(const char* path, int /*colours*/, int /*quality*/) { return SaveAs(path, ImageFile_Type(path)); }

int ImageFile::SaveAs(const char* path, int type) {
    if (bitmap_ == nullptr || !bitmap_->IsValid()) return 0;
    if (WritesOnly24Bit(type) && bitmap_->GetBitsPerPixel() != 24) return SaveAs24(path, type);
    ImageFileWorkSt work;
    ImageFileDescSt alphaDesc;
    Describe(bitmap_, &work.image);
    if (IsUsableAlpha(alphaBitmap_, *bitmap_)) {
        Describe(alphaBitmap_, &alphaDesc);
        work.alpha = &alphaDesc;
    }
    work.progress = progress_;
    return ImageFile_WriteAs(type, path, &work) == kImageFileOk ? 1 : 0;
}

// JPEG, TIFF and PNG files are written from 24-bit pixels; a bitmap of
// another depth is saved through a 24-bit copy (palette colours looked up,
// 16-bit colours widened, the fourth byte of 32-bit pixels dropped).
int ImageFile::SaveAs24(const char* path, int type) {
    DibEx copy(bitmap_->GetKind());
    copy.Setup(*bitmap_);
    copy.ConvertTo24();
    ImageFile converted(&copy, alphaBitmap_);
    converted.SetProgressFunc(progress_);
    return converted.SaveAs(path, type);
}

int ImageFile_Load(const char* folder, const char* name, DibEx* bitmap, DibEx* alphaBitmap,
                   ImageFileProgressFunc progress, int convertTo24) {
    if (name == nullptr) return 0;
    const std::string path = folder != nullptr ? std::string(folder) + "/" + name : std::string(name);
    if (path.size() > kLongestPath) return 0;
    ImageFile file(bitmap, alphaBitmap);
    file.SetProgressFunc(progress);
    return file.Load(path.c_str(), convertTo24);
}

int ImageFile_Save(const void* /*unused*/, const char* path, DibEx* bitmap, DibEx* alphaBitmap,
                   ImageFileProgressFunc progress, int colours, int quality) {
    ImageFile file(bitmap, alphaBitmap);
    file.SetProgressFunc(progress);
    return file.Save(path, colours, quality);
}
