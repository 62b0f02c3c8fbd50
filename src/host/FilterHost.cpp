#include "FilterHost.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "HostHandles.h"

namespace {

// The host whose selector call is in progress; the record's procedures
// carry no context of their own.
FilterHost* activeHost = nullptr;

class ActiveHostScope {
public:
    explicit ActiveHostScope(FilterHost* host) : previous_(activeHost) { activeHost = host; }
    ~ActiveHostScope() { activeHost = previous_; }
    ActiveHostScope(const ActiveHostScope&) = delete;
    ActiveHostScope& operator=(const ActiveHostScope&) = delete;

private:
    FilterHost* previous_;
};

constexpr HostErr kErrBadRequest = -50;
constexpr HostErr kErrUserCanceled = -128;

HostErr AdvanceStateCallback() { return activeHost ? activeHost->AdvanceState() : kErrBadRequest; }
HostBoolean TestAbortCallback() { return activeHost ? activeHost->TestAbort() : HostBoolean{0}; }
void ProgressCallback(int32_t done, int32_t total) {
    if (activeHost) activeHost->Progress(done, total);
}
HostErr DisplayPixelsCallback(const void*, const HostRect*, int32_t, int32_t, void*) { return 0; }

// ---- the basic suite and the two suites it hands out ----

void ProcessEvent(void*) {}
HostErr BrowseUrl(const char*) { return 0; }

int32_t AcquireSuite(const char* name, int32_t version, const void** suite) {
    static const UIHooksSuite1 uiHooks{ProcessEvent};
    static const GetFileListSuite4 fileList{BrowseUrl};
    if (name == nullptr || suite == nullptr) return kErrBadRequest;
    if (std::strcmp(name, kUIHooksSuiteName) == 0 && version == kUIHooksSuiteVersion) {
        *suite = &uiHooks;
        return 0;
    }
    if (std::strcmp(name, kGetFileListSuiteName) == 0 && version == kGetFileListSuiteVersion) {
        *suite = &fileList;
        return 0;
    }
    return kErrBadRequest;
}
int32_t ReleaseSuite(const char*, int32_t) { return 0; }

SPBasicSuite* BasicSuite() {
    static SPBasicSuite basic{AcquireSuite, ReleaseSuite};
    return &basic;
}

bool IsEmpty(const HostRect& rect) { return rect.bottom <= rect.top || rect.right <= rect.left; }

bool FitsRecord(int32_t size) { return size >= 0 && size <= std::numeric_limits<int16_t>::max(); }

}  // namespace

HostImageSt HostImage_Make(int32_t width, int32_t height, int16_t planes) {
    HostImageSt image;
    image.width = width;
    image.height = height;
    image.planes = planes;
    image.pixels.assign(std::size_t(std::max(width, 0)) * std::max(height, 0) * std::max<int16_t>(planes, 0), 0);
    return image;
}

FilterHost::FilterHost(HostImageSt image, std::vector<uint8_t> selection)
    : image_(std::move(image)), selection_(std::move(selection)) {
    if (!FitsRecord(image_.width) || !FitsRecord(image_.height))
        throw std::invalid_argument("the image is larger than 32767 pixels in one direction");
    if (image_.planes != 3 && image_.planes != 4) throw std::invalid_argument("the image must have 3 or 4 planes");
    if (image_.pixels.size() != std::size_t(image_.width) * image_.height * image_.planes)
        throw std::invalid_argument("the image's pixels do not match its size");
    if (!selection_.empty() && selection_.size() != std::size_t(image_.width) * image_.height)
        throw std::invalid_argument("the selection's size differs from the image's");

    record_.hostSig = kHostSignature;
    record_.imageSize = {static_cast<int16_t>(image_.height), static_cast<int16_t>(image_.width)};
    record_.planes = image_.planes;
    record_.filterRect = {0, 0, static_cast<int16_t>(image_.height), static_cast<int16_t>(image_.width)};
    record_.background = {0xffff, 0xffff, 0xffff};
    record_.maxSpace = kDefaultMaxSpace;
    record_.inputRate = kFixedOne;
    record_.maskRate = kFixedOne;
    record_.haveMask = selection_.empty() ? 0 : 1;
    record_.inTransparencyMask = image_.planes == 4 ? 1 : 0;
    record_.advanceState = AdvanceStateCallback;
    record_.displayPixels = DisplayPixelsCallback;
    record_.abortProc = TestAbortCallback;
    record_.progressProc = ProgressCallback;
    record_.handleProcs = HostHandles_Procs();
    record_.sSPBasic = BasicSuite();

    descriptorParameters_.descriptorParametersVersion = kCurrentDescriptorParametersVersion;
    descriptorParameters_.playInfo = kPlayDialogDontDisplay;
    descriptorParameters_.readDescriptorProcs = Descriptor_ReadProcs();
    descriptorParameters_.writeDescriptorProcs = Descriptor_WriteProcs();
    record_.descriptorParameters = &descriptorParameters_;
}

FilterHost::~FilterHost() { DisposeHandles(); }

void FilterHost::DisposeHandles() {
    HostHandle_Dispose(record_.parameters);
    HostHandle_Dispose(descriptorParameters_.descriptor);
    // The plug-in keeps its globals in a handle of ours; anything else in
    // the slot is not ours to free.
    HostHandle_Dispose(reinterpret_cast<Handle>(dataSlot_));
    record_.parameters = nullptr;
    descriptorParameters_.descriptor = nullptr;
    dataSlot_ = 0;
}

void FilterHost::SetFilterRect(HostRect rect) {
    if (rect.top < 0 || rect.left < 0 || rect.bottom > image_.height || rect.right > image_.width ||
        rect.bottom < rect.top || rect.right < rect.left)
        throw std::invalid_argument("the filter rectangle lies outside the image");
    record_.filterRect = rect;
}

void FilterHost::SetColours(HostRGBColor foreground, HostRGBColor background) {
    record_.foreground = foreground;
    record_.background = background;
}

std::vector<uint8_t> FilterHost::Parameters() const {
    std::span<uint8_t> bytes = HostHandle_Bytes(record_.parameters);
    return {bytes.begin(), bytes.end()};
}

void FilterHost::SetParameters(std::span<const uint8_t> bytes) {
    HostHandle_Dispose(record_.parameters);
    record_.parameters = bytes.empty() ? nullptr : HostHandle_New(bytes);
}

void FilterHost::SetRecordedDescriptor(const DescriptorItems& items, int16_t playInfo) {
    ClearRecordedDescriptor(playInfo);
    descriptorParameters_.descriptor = Descriptor_NewHandle(items);
}

void FilterHost::ClearRecordedDescriptor(int16_t playInfo) {
    HostHandle_Dispose(descriptorParameters_.descriptor);
    descriptorParameters_.descriptor = nullptr;
    descriptorParameters_.playInfo = playInfo;
}

bool FilterHost::HasRecordedDescriptor() const { return HostHandle_IsLive(descriptorParameters_.descriptor); }

DescriptorItems FilterHost::RecordedDescriptor() const {
    return Descriptor_FromHandle(descriptorParameters_.descriptor);
}

int16_t FilterHost::Call(PluginMainProc entry, int16_t selector) {
    ActiveHostScope scope(this);
    int16_t result = 0;
    entry(selector, &record_, &dataSlot_, &result);
    CommitOutput();
    return result;
}

int16_t FilterHost::RunFilter(PluginMainProc entry, bool withDialog) {
    // A plug-in that keeps asking for strips after this many continue calls
    // is stuck; a real filter asks for far fewer.
    constexpr int kMaxContinueCalls = 1 << 16;
    descriptorParameters_.recordInfo = kPlayDialogDontDisplay;
    int16_t result = 0;
    if (withDialog && (result = Call(entry, kSelectorParameters)) != 0) return result;
    if ((result = Call(entry, kSelectorPrepare)) != 0) return result;
    if ((result = Call(entry, kSelectorStart)) != 0) return result;
    for (int calls = 0; !IsEmpty(record_.inRect) || !IsEmpty(record_.outRect) || !IsEmpty(record_.maskRect);
         ++calls) {
        if (calls == kMaxContinueCalls) return kErrBadRequest;
        if ((result = Call(entry, kSelectorContinue)) != 0) return result;
    }
    return Call(entry, kSelectorFinish);
}

void FilterHost::About(PluginMainProc entry) {
    ActiveHostScope scope(this);
    AboutRecord about{nullptr, record_.sSPBasic};
    int16_t result = 0;
    entry(kSelectorAbout, &about, &dataSlot_, &result);
}

HostBoolean FilterHost::TestAbort() {
    const bool abort = abortTest_ && abortTest_();
    abortAnswered_ = abortAnswered_ || abort;
    return abort ? 1 : 0;
}

void FilterHost::Progress(int32_t done, int32_t total) {
    if (progress_) progress_(done, total);
}

bool FilterHost::IsValidRequest(const HostRect& rect, int16_t loPlane, int16_t hiPlane) const {
    if (IsEmpty(rect)) return true;
    return rect.top >= 0 && rect.left >= 0 && rect.bottom <= image_.height && rect.right <= image_.width &&
           loPlane >= 0 && loPlane <= hiPlane && hiPlane < image_.planes;
}

FilterHost::StripSt FilterHost::MakeStrip(const HostRect& rect, int16_t loPlane, int16_t hiPlane,
                                          int32_t bytesPerPixel) const {
    StripSt strip;
    if (IsEmpty(rect)) return strip;
    strip.rect = rect;
    strip.loPlane = loPlane;
    strip.hiPlane = hiPlane;
    strip.pixelBytes = (rect.right - rect.left) * bytesPerPixel;
    strip.rowBytes = strip.pixelBytes + rowPadding_;
    return strip;
}

namespace {

// Copies the first bytes of each of `pixels` pixels between rows whose pixels
// have different sizes (a strip of some planes, the image of all); rows of
// the same pixel size are copied as one block.
void CopyPlanes(uint8_t* to, int32_t toPixelBytes, const uint8_t* from, int32_t fromPixelBytes, int32_t pixels) {
    if (toPixelBytes == fromPixelBytes) {
        std::memcpy(to, from, std::size_t(pixels) * toPixelBytes);
        return;
    }
    const auto bytes = std::size_t(std::min(toPixelBytes, fromPixelBytes));
    for (int32_t x = 0; x < pixels; ++x, to += toPixelBytes, from += fromPixelBytes) std::memcpy(to, from, bytes);
}

// The buffer of a strip: its rows of rowBytes, each followed by padding.
// Only the padding is filled here; the pixels are written over.  An empty
// strip releases the buffer: the plug-in may render for long before it asks
// for the next one.
void SizeStripBuffer(std::vector<uint8_t>& buffer, int32_t rows, int32_t rowBytes, int32_t pixelBytes) {
    if (rows <= 0) {
        std::vector<uint8_t>().swap(buffer);
        return;
    }
    buffer.resize(std::size_t(rows) * rowBytes);
    for (int32_t r = 0; r < rows; ++r)
        std::fill(buffer.begin() + std::ptrdiff_t(r) * rowBytes + pixelBytes,
                  buffer.begin() + std::ptrdiff_t(r + 1) * rowBytes, FilterHost::kPaddingByte);
}

}  // namespace

// The strip's pixels of planes loPlane..hiPlane, each row followed by padding.
void FilterHost::FillPixels(const StripSt& strip, std::vector<uint8_t>& buffer) const {
    const int32_t rows = strip.rect.bottom - strip.rect.top;
    SizeStripBuffer(buffer, rows, strip.rowBytes, strip.pixelBytes);
    const int32_t count = strip.hiPlane - strip.loPlane + 1;
    for (int32_t r = 0; r < rows; ++r)
        CopyPlanes(buffer.data() + std::size_t(r) * strip.rowBytes, count,
                   image_.Pixel(strip.rect.left, strip.rect.top + r) + strip.loPlane, image_.planes,
                   strip.rect.right - strip.rect.left);
}

void FilterHost::FillSelection(const StripSt& strip, std::vector<uint8_t>& buffer) const {
    const int32_t rows = strip.rect.bottom - strip.rect.top;
    SizeStripBuffer(buffer, rows, strip.rowBytes, strip.pixelBytes);
    for (int32_t r = 0; r < rows; ++r) {
        const uint8_t* source = selection_.data() + std::size_t(strip.rect.top + r) * image_.width + strip.rect.left;
        std::memcpy(buffer.data() + std::size_t(r) * strip.rowBytes, source, strip.pixelBytes);
    }
}

void FilterHost::CountPaddingWrites(const StripSt& strip, const std::vector<uint8_t>& buffer) {
    const int32_t rows = strip.rect.bottom - strip.rect.top;
    if (strip.rowBytes == 0 || buffer.size() < std::size_t(rows) * strip.rowBytes) return;
    for (int32_t r = 0; r < rows; ++r) {
        const uint8_t* padding = buffer.data() + std::size_t(r) * strip.rowBytes + strip.pixelBytes;
        if (std::any_of(padding, padding + rowPadding_, [](uint8_t b) { return b != kPaddingByte; }))
            ++stats_.paddingWrites;
    }
}

// Moves what the plug-in wrote into outData into the image and checks that
// no padding byte of the three buffers was touched.
void FilterHost::CommitOutput() {
    CountPaddingWrites(inStrip_, inBuffer_);
    CountPaddingWrites(maskStrip_, maskBuffer_);
    CountPaddingWrites(outStrip_, outBuffer_);
    const StripSt& out = outStrip_;
    const int32_t count = out.hiPlane - out.loPlane + 1;
    for (int32_t y = out.rect.top; y < out.rect.bottom; ++y)
        CopyPlanes(image_.Pixel(out.rect.left, y) + out.loPlane, image_.planes,
                   outBuffer_.data() + std::size_t(y - out.rect.top) * out.rowBytes, count,
                   out.rect.right - out.rect.left);
    inStrip_ = outStrip_ = maskStrip_ = StripSt{};
}

HostErr FilterHost::AdvanceState() {
    CommitOutput();
    // A user who asked to stop gets no more strips: a large transfer ends
    // at the next strip instead of running to its end.
    if (TestAbort() != 0) return kErrUserCanceled;
    const FilterRecord& r = record_;
    const bool wantsMask = r.haveMask != 0 && !IsEmpty(r.maskRect);
    if (!IsValidRequest(r.inRect, r.inLoPlane, r.inHiPlane) || !IsValidRequest(r.outRect, r.outLoPlane, r.outHiPlane) ||
        !IsValidRequest(r.maskRect, 0, 0) || (!IsEmpty(r.inRect) && r.inputRate != kFixedOne) ||
        (wantsMask && r.maskRate != kFixedOne)) {
        ++stats_.refusedRequests;
        return kErrBadRequest;
    }
    inStrip_ = MakeStrip(r.inRect, r.inLoPlane, r.inHiPlane, r.inHiPlane - r.inLoPlane + 1);
    outStrip_ = MakeStrip(r.outRect, r.outLoPlane, r.outHiPlane, r.outHiPlane - r.outLoPlane + 1);
    maskStrip_ = wantsMask ? MakeStrip(r.maskRect, 0, 0, 1) : StripSt{};
    FillPixels(inStrip_, inBuffer_);
    FillPixels(outStrip_, outBuffer_);
    FillSelection(maskStrip_, maskBuffer_);

    record_.inData = IsEmpty(r.inRect) ? nullptr : inBuffer_.data();
    record_.inRowBytes = inStrip_.rowBytes;
    record_.outData = IsEmpty(r.outRect) ? nullptr : outBuffer_.data();
    record_.outRowBytes = outStrip_.rowBytes;
    record_.maskData = wantsMask ? maskBuffer_.data() : nullptr;
    record_.maskRowBytes = maskStrip_.rowBytes;

    const int32_t rows = std::max({inStrip_.rect.bottom - inStrip_.rect.top, outStrip_.rect.bottom - outStrip_.rect.top,
                                   maskStrip_.rect.bottom - maskStrip_.rect.top});
    if (rows > 0) {
        ++stats_.strips;
        stats_.maxStripRows = std::max(stats_.maxStripRows, rows);
    }
    return 0;
}
