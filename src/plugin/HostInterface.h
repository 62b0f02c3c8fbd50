#pragma once
// The contract between a host and the Morvanel filter plug-in.
//
// The plug-in is a shared library exporting PluginMain; a host loads it,
// fills a FilterRecord and calls PluginMain once per selector.  Everything the
// plug-in reads from or writes to its host goes through the types below, and
// nothing else: plain C layouts, so both sides can be built separately.
//
// Handles are host-owned blocks of memory reached through HandleProcs; they
// survive between selectors (the globals, the parameter block, descriptors).
#include <cstdint>

using HostErr = int16_t;      // 0 = no error
using HostBoolean = uint8_t;  // 0 = false, anything else = true
using HostFixed = int32_t;    // 16.16 fixed point
using Handle = struct HostHandleRecord*;

// Four-character codes, written big-endian as the characters shown.
constexpr uint32_t FourCharCode(const char (&code)[5]) {
    return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
           (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}

// Selectors of PluginMain.
enum : int16_t {
    kSelectorAbout = 0,
    kSelectorParameters = 1,
    kSelectorPrepare = 2,
    kSelectorStart = 3,
    kSelectorContinue = 4,
    kSelectorFinish = 5,
};

// Result codes the plug-in places in the host's result.
enum : int16_t {
    kResultNoError = 0,
    kResultMemFull = -108,
    kResultUserCanceled = -128,
};
// A descriptor closing status that counts as success: a key was missing.
constexpr int16_t kErrMissingParameter = -1715;

constexpr HostFixed kFixedOne = 0x10000;

struct HostRect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct HostPoint {
    int16_t v;  // rows
    int16_t h;  // columns
};

// 16 bits per component; the plug-in uses the low byte of each.
struct HostRGBColor {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
};

// ---- handles ----
struct HandleProcs {
    int16_t handleProcsVersion;
    int16_t numHandleProcs;
    Handle (*newProc)(int32_t size);             // null when out of memory
    void (*disposeProc)(Handle h);
    int32_t (*getSizeProc)(Handle h);
    void* (*lockProc)(Handle h, HostBoolean moveHigh);  // null when it cannot lock
    void (*unlockProc)(Handle h);
};
constexpr int16_t kCurrentHandleProcsCount = 5;

// ---- suites ----
// The basic suite hands out further suites by name and version.
struct SPBasicSuite {
    int32_t (*AcquireSuite)(const char* name, int32_t version, const void** suite);
    int32_t (*ReleaseSuite)(const char* name, int32_t version);
};

constexpr const char* kUIHooksSuiteName = "Photoshop UIHooks Suite for Plug-ins";
constexpr int32_t kUIHooksSuiteVersion = 1;
// Given to every modal dialog loop so that the host can redraw its windows.
struct UIHooksSuite1 {
    void (*processEvent)(void* event);
};

constexpr const char* kGetFileListSuiteName = "Photoshop GetFileList Suite for Plug-ins";
constexpr int32_t kGetFileListSuiteVersion = 4;
// Opens a web address in the user's browser.
struct GetFileListSuite4 {
    HostErr (*browseUrl)(const char* url);
};

// ---- descriptors (scripting) ----
using DescriptorKeyID = uint32_t;
using DescriptorTypeID = uint32_t;
using PIDescriptorHandle = Handle;
using PIReadDescriptor = struct HostReadDescriptorRecord*;
using PIWriteDescriptor = struct HostWriteDescriptorRecord*;

constexpr DescriptorTypeID kTypeInteger = FourCharCode("long");
constexpr DescriptorTypeID kTypeText = FourCharCode("TEXT");

struct ReadDescriptorProcs {
    int16_t readDescriptorProcsVersion;
    int16_t numReadDescriptorProcs;
    // keys: the expected keys, ended by 0.  Null when no reader could open.
    PIReadDescriptor (*openReadDescriptorProc)(PIDescriptorHandle descriptor, const DescriptorKeyID* keys);
    // The reader's status; kErrMissingParameter counts as success.
    HostErr (*closeReadDescriptorProc)(PIReadDescriptor reader);
    // The next key of the descriptor; false when there is none.
    HostBoolean (*getKeyProc)(PIReadDescriptor reader, DescriptorKeyID* key, DescriptorTypeID* type,
                              int32_t* flags);
    HostErr (*getIntegerProc)(PIReadDescriptor reader, int32_t* value);
    // The text's characters in a new handle that the caller disposes.
    HostErr (*getTextProc)(PIReadDescriptor reader, Handle* text);
};

struct WriteDescriptorProcs {
    int16_t writeDescriptorProcsVersion;
    int16_t numWriteDescriptorProcs;
    PIWriteDescriptor (*openWriteDescriptorProc)();
    // Ends the writer and hands out the new descriptor.
    HostErr (*closeWriteDescriptorProc)(PIWriteDescriptor writer, PIDescriptorHandle* newDescriptor);
    HostErr (*putIntegerProc)(PIWriteDescriptor writer, DescriptorKeyID key, int32_t value);
    // text: a handle holding the characters only (no length, no terminator).
    // The writer copies the characters; the caller keeps and disposes the handle.
    HostErr (*putTextProc)(PIWriteDescriptor writer, DescriptorKeyID key, Handle text);
};

// The counts a complete procedure table announces; the plug-in uses
// descriptors only when the host announces at least these and version 0.
constexpr int16_t kCurrentReadDescriptorProcsCount = 18;
constexpr int16_t kCurrentWriteDescriptorProcsCount = 16;
constexpr int16_t kCurrentDescriptorProcsVersion = 0;
constexpr int16_t kCurrentDescriptorParametersVersion = 0;

// playInfo: whether a replay shows the dialog.
enum : int16_t {
    kPlayDialogDontDisplay = 0,
    kPlayDialogDisplay = 1,
    kPlayDialogSilent = 2,
};

struct PIDescriptorParameters {
    int16_t descriptorParametersVersion;
    int16_t playInfo;
    int16_t recordInfo;
    PIDescriptorHandle descriptor;  // the recorded descriptor, or null
    WriteDescriptorProcs* writeDescriptorProcs;
    ReadDescriptorProcs* readDescriptorProcs;
};

// ---- the filter record ----
using AdvanceStateProc = HostErr (*)();
using DisplayPixelsProc = HostErr (*)(const void* source, const HostRect* sourceRect, int32_t destRow,
                                      int32_t destCol, void* platformContext);
using TestAbortProc = HostBoolean (*)();
using ProgressProc = void (*)(int32_t done, int32_t total);

struct FilterRecord {
    // The block the host keeps for the plug-in between runs (last values).
    Handle parameters;
    uint32_t hostSig;

    // The image and the area to filter.
    HostPoint imageSize;
    int16_t planes;
    HostRect filterRect;
    HostRGBColor background;
    HostRGBColor foreground;
    int32_t maxSpace;     // memory the host offers for its buffers
    int32_t bufferSpace;  // memory the plug-in asks for beside them

    // The strip the plug-in asks for, and the planes of it.
    HostRect inRect;
    int16_t inLoPlane;
    int16_t inHiPlane;
    HostRect outRect;
    int16_t outLoPlane;
    int16_t outHiPlane;
    HostRect maskRect;
    HostFixed inputRate;
    HostFixed maskRate;

    // What advanceState delivers: 8 bits per plane, planes interleaved.
    void* inData;
    int32_t inRowBytes;
    void* outData;
    int32_t outRowBytes;
    HostBoolean haveMask;
    void* maskData;  // one byte per pixel: 0 outside the selection, 255 inside
    int32_t maskRowBytes;
    int32_t inTransparencyMask;  // non-zero: the plane after blue is transparency

    AdvanceStateProc advanceState;
    DisplayPixelsProc displayPixels;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    HandleProcs* handleProcs;
    PIDescriptorParameters* descriptorParameters;
    SPBasicSuite* sSPBasic;
};

// The record of the about selector.
struct AboutRecord {
    void* platformData;
    SPBasicSuite* sSPBasic;
};

// Host signatures the plug-in recognises.
constexpr uint32_t kHostSigPremiere = FourCharCode("PrMr");
constexpr uint32_t kHostSigAfterEffects = FourCharCode("FXTC");

// The entry point.  record is a FilterRecord*, or an AboutRecord* for the
// about selector; data is the slot the host keeps between calls.
using PluginMainProc = void (*)(int16_t selector, void* record, intptr_t* data, int16_t* result);
extern "C" void PluginMain(int16_t selector, void* record, intptr_t* data, int16_t* result);
constexpr const char* kPluginEntryName = "PluginMain";
