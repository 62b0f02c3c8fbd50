#pragma once
// The filter host: everything a plug-in sees of its host during a run.
//
// It holds an 8-bit image (RGB, or RGBA whose fourth plane is the
// transparency plane), an optional grey selection of the same size and the
// filter rectangle, and fills a FilterRecord with the handle procedures, the
// descriptor procedures, the basic suite, advanceState, abortProc and
// progressProc.  The globals data slot and the parameters handle are kept
// between the selectors of one run and between runs of the same FilterHost;
// Parameters()/SetParameters() carry the block's bytes to a later process.
//
// advanceState serves strips the way a host does: inData, outData and
// maskData hold the requested rectangles, planes interleaved, with rows of
// inRowBytes/outRowBytes/maskRowBytes that are longer than the pixels by
// RowPadding() bytes.  The padding is filled with kPaddingByte; a plug-in
// that writes it is counted in Stats().paddingWrites.  outData starts as the
// image's current pixels, and what the plug-in writes there reaches the
// image at the next advanceState call or when the selector returns.
//
// How a test drives a plug-in through it:
//
//     PluginLoader plugin;
//     ASSERT_TRUE(plugin.Load(PluginLoader_ResolvePath(""), error));
//     FilterHost host(HostImage_Make(64, 48, 4), {});
//     host.SetMaxSpace(20000);                      // several strips
//     host.SetRecordedDescriptor(items, kPlayDialogDontDisplay);
//     EXPECT_EQ(host.RunFilter(plugin.Entry(), false), 0);   // prepare, start, finish
//     host.Image().pixels ...                        // the result
//     host.RecordedDescriptor() ...                  // what finish recorded
//     EXPECT_EQ(host.Stats().paddingWrites, 0);
//
// Single selectors can be called with Call(); Record() gives the record to
// inspect or change between calls.  Only one FilterHost runs a call at a
// time (the callbacks find it through a process-wide pointer).
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "HostDescriptor.h"
#include "HostInterface.h"

// An 8-bit image, rows top-down, planes interleaved (red, green, blue[, alpha]).
struct HostImageSt {
    int32_t width = 0;
    int32_t height = 0;
    int16_t planes = 3;  // 3: RGB; 4: RGB plus transparency
    std::vector<uint8_t> pixels;

    uint8_t* Pixel(int32_t x, int32_t y) { return pixels.data() + (std::size_t(y) * width + x) * planes; }
    const uint8_t* Pixel(int32_t x, int32_t y) const {
        return pixels.data() + (std::size_t(y) * width + x) * planes;
    }
};

// A black image of the given size.
HostImageSt HostImage_Make(int32_t width, int32_t height, int16_t planes);

struct FilterHostStatsSt {
    int32_t strips = 0;         // advanceState calls that delivered a non-empty strip
    int32_t maxStripRows = 0;   // the tallest strip delivered
    int32_t paddingWrites = 0;  // rows whose padding bytes the plug-in changed
    int32_t refusedRequests = 0;  // advanceState calls refused (bad rectangle or planes)
};

class FilterHost {
public:
    static constexpr uint8_t kPaddingByte = 0xA5;
    static constexpr int32_t kDefaultMaxSpace = 1 << 20;
    static constexpr int32_t kDefaultRowPadding = 13;
    static constexpr uint32_t kHostSignature = FourCharCode("MVhs");

    // selection: empty, or width * height grey bytes (0 outside, 255 inside).
    // Throws std::invalid_argument when the sizes do not fit the record's
    // 16-bit coordinates or the selection's size differs from the image's.
    FilterHost(HostImageSt image, std::vector<uint8_t> selection);
    ~FilterHost();
    FilterHost(const FilterHost&) = delete;
    FilterHost& operator=(const FilterHost&) = delete;

    // The whole image unless set; throws std::invalid_argument outside the image.
    void SetFilterRect(HostRect rect);
    void SetMaxSpace(int32_t maxSpace) { record_.maxSpace = maxSpace; }
    void SetRowPadding(int32_t padding) { rowPadding_ = padding < 0 ? 0 : padding; }
    int32_t RowPadding() const { return rowPadding_; }
    void SetColours(HostRGBColor foreground, HostRGBColor background);
    // Answers abortProc, and stops advanceState once it answers true; the
    // default never aborts.
    void SetAbortTest(std::function<bool()> abortTest) { abortTest_ = std::move(abortTest); }
    // Receives progressProc's (done, total).
    void SetProgress(std::function<void(int32_t, int32_t)> progress) { progress_ = std::move(progress); }

    // The parameter block: its bytes (empty when the plug-in made none yet),
    // and a block to start from (empty bytes: none).
    std::vector<uint8_t> Parameters() const;
    void SetParameters(std::span<const uint8_t> bytes);

    // The descriptor that the next start selector replays, with its playInfo.
    void SetRecordedDescriptor(const DescriptorItems& items, int16_t playInfo);
    // No descriptor is replayed; playInfo still answers the dialog question.
    void ClearRecordedDescriptor(int16_t playInfo);
    // The descriptor the record holds now (after finish: the one it wrote).
    bool HasRecordedDescriptor() const;
    DescriptorItems RecordedDescriptor() const;  // throws DescriptorError when none

    // One selector; returns the plug-in's result.
    int16_t Call(PluginMainProc entry, int16_t selector);
    // A filter run: parameters (when withDialog), prepare, start, continue
    // while the plug-in still asks for a strip, finish.  Stops at the first
    // non-zero result and returns it.
    int16_t RunFilter(PluginMainProc entry, bool withDialog);
    // The about selector with an about record.
    void About(PluginMainProc entry);

    FilterRecord& Record() { return record_; }
    const HostImageSt& Image() const { return image_; }
    const std::vector<uint8_t>& Selection() const { return selection_; }
    const FilterHostStatsSt& Stats() const { return stats_; }
    bool AbortAnswered() const { return abortAnswered_; }

    // The record's callbacks reach the active host through these.
    HostErr AdvanceState();
    HostBoolean TestAbort();
    void Progress(int32_t done, int32_t total);

private:
    struct StripSt {
        HostRect rect{};
        int16_t loPlane = 0;
        int16_t hiPlane = -1;
        int32_t rowBytes = 0;
        int32_t pixelBytes = 0;  // bytes of one row's pixels, without padding
    };

    bool IsValidRequest(const HostRect& rect, int16_t loPlane, int16_t hiPlane) const;
    StripSt MakeStrip(const HostRect& rect, int16_t loPlane, int16_t hiPlane, int32_t bytesPerPixel) const;
    void FillPixels(const StripSt& strip, std::vector<uint8_t>& buffer) const;
    void FillSelection(const StripSt& strip, std::vector<uint8_t>& buffer) const;
    void CountPaddingWrites(const StripSt& strip, const std::vector<uint8_t>& buffer);
    void CommitOutput();
    void DisposeHandles();

    HostImageSt image_;
    std::vector<uint8_t> selection_;
    FilterRecord record_{};
    PIDescriptorParameters descriptorParameters_{};
    intptr_t dataSlot_ = 0;
    int32_t rowPadding_ = kDefaultRowPadding;
    std::function<bool()> abortTest_;
    std::function<void(int32_t, int32_t)> progress_;
    bool abortAnswered_ = false;

    std::vector<uint8_t> inBuffer_, outBuffer_, maskBuffer_;
    StripSt inStrip_, outStrip_, maskStrip_;
    FilterHostStatsSt stats_;
};
