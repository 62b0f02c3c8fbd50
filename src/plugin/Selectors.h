#pragma once
// The selector routines of PluginMain and the application object they drive.
#include <cstdint>

#include "CShadeApp.h"
#include "Globals.h"

// The single application object, constructed when the library is loaded.
extern CShadeApp theApp;

// Error codes reported when the image cannot be moved to or from the host.
inline constexpr int kErrorLoadImage = -20;
inline constexpr int kErrorSaveImage = -21;

struct StripPlanSt {
    int16_t stripRows;  // rows per transfer strip
    int32_t maxSpace;   // what the plug-in then asks of the host
};

// The strip height for filter area `area` with `planes` planes: grown from
// storedRows in steps of 10 while a strip's input, output and mask rows
// (W + 2 * planes * W bytes each) stay below a tenth of maxSpace, then
// capped to the area's height; never below 1.
StripPlanSt PlanStrips(int16_t storedRows, const HostRect& area, int16_t planes, int32_t maxSpace);

void DoParameters(Globals* globals);
void DoPrepare(Globals* globals);
void DoStart(Globals* globals);
void DoContinue(Globals* globals);
void DoFinish(Globals* globals);
