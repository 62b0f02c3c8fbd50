// The selectors: parameters, prepare (strip height), start (the run inside
// its exception guard), continue and finish.
#include "Selectors.h"

#include <algorithm>
#include <climits>

#include "PluginMessages.h"
#include "ScriptParams.h"

CShadeApp theApp;

namespace {

constexpr HostRect kEmptyRect{0, 0, 0, 0};

// Runs work; an int thrown is reported with its code, anything else with
// -555, and either ends the call with -128.
template <class Work>
void RunGuarded(Globals* globals, Work&& work) {
    try {
        work();
    } catch (int code) {
        theApp.ErrorMessage(code);
        *globals->result = kResultUserCanceled;
    } catch (...) {
        theApp.ErrorMessage(-555);
        *globals->result = kResultUserCanceled;
    }
}

// The shell asks for every plane of whole rows of the filter area, 1:1.
void RequestAllPlanes(FilterRecord& record) {
    record.inLoPlane = record.outLoPlane = 0;
    record.inHiPlane = record.outHiPlane = static_cast<int16_t>(record.planes - 1);
    for (HostRect* rect : {&record.inRect, &record.outRect, &record.maskRect}) {
        rect->left = record.filterRect.left;
        rect->right = record.filterRect.right;
    }
    record.inputRate = record.maskRate = kFixedOne;
}

// A silent render reports its progress (0 to 100) through the host's
// progress procedure and asks the host's abort test at every step, so that
// the user can stop a long render without a dialog.
class HostProgress : public ShadingProgressWindow {
public:
    explicit HostProgress(const FilterRecord& record) : record_(record) {}
    void PostMessage(long, int value, int) override {
        if (record_.progressProc != nullptr) record_.progressProc(value, 100);
    }
    bool UserAborted() override { return record_.abortProc != nullptr && record_.abortProc() != 0; }

private:
    const FilterRecord& record_;
};

// A run without the dialog: the block's values, rendered over the whole
// area and written back.  A failed load writes nothing: the bitmaps would
// hold a partial image; neither does an aborted render.  A host may stop a
// transfer because the user asked to stop: that is a cancel, not an error.
void RunSilently(Globals* globals, HostParamBlock& block) {
    FilterRecord& record = *globals->filterRecord;
    HostProgress progress(record);
    const auto fail = [&](int code) {
        if (!progress.UserAborted()) theApp.ErrorMessage(code);
        *globals->result = kResultUserCanceled;
    };
    if (record.progressProc != nullptr) record.progressProc(0, 0);
    PhotoshopToApp(block, theApp.Params());
    if (!theApp.LoadImage()) return fail(kErrorLoadImage);
    volatile int aborted = progress.UserAborted() ? -1 : 0;
    if (aborted == 0) theApp.Filter(&theApp.FullImage(), &theApp.FullMask(), nullptr, &progress, &aborted);
    if (aborted != 0) {
        *globals->result = kResultUserCanceled;
        return;
    }
    if (!theApp.SaveImage()) fail(kErrorSaveImage);
}

void RunWithDialog(Globals* globals, HostParamBlock& block) {
    block.ShowDialog = 0;
    if (theApp.DispMainDlg() < 1) *globals->result = kResultUserCanceled;
    else AppToPhotoshop(theApp.Params(), block);
}

// Steps 1 to 6 of a start: the block, the host check, recorded values, the
// request, and the run itself.
void StartRun(Globals* globals) {
    FilterRecord& record = *globals->filterRecord;
    ValidateParameters(globals);
    if (*globals->result != kResultNoError) return;
    ParamBlockLock lock(&record);
    if (lock.Block() == nullptr) {
        *globals->result = kResultMemFull;
        return;
    }
    HostParamBlock& block = *lock.Block();
    block.HostProcsOk = HostProcsOk(record) ? 1 : 0;
    if (block.HostProcsOk == 0) {
        *globals->result = kResultUserCanceled;
        return;
    }
    ReadScriptParams(globals);
    if (*globals->result != kResultNoError) return;
    RequestAllPlanes(record);
    if (!theApp.SetupMainObject(nullptr, globals)) return;
    if (block.ShowDialog == 0) RunSilently(globals, block);
    else RunWithDialog(globals, block);
}

void EndRun(Globals* globals) {
    theApp.DeleteMainObject();
    FilterRecord& record = *globals->filterRecord;
    record.inRect = record.outRect = record.maskRect = kEmptyRect;
}

}  // namespace

StripPlanSt PlanStrips(int16_t storedRows, const HostRect& area, int16_t planes, int32_t maxSpace) {
    const int64_t width = area.right - area.left;
    const int64_t height = area.bottom - area.top;
    const int64_t rowCost = width + 2 * int64_t{planes} * width;
    const int64_t limit = maxSpace / 10;
    int64_t rows = std::max<int64_t>(storedRows, 1);
    while (rows * rowCost < limit && rows < height) rows += 10;
    if (height >= 1 && rows > height) rows = height;
    rows = std::min<int64_t>(rows, INT16_MAX);
    return {static_cast<int16_t>(rows), static_cast<int32_t>(std::clamp<int64_t>(rows * rowCost, 0, INT32_MAX))};
}

void DoParameters(Globals* globals) {
    ValidateParameters(globals);
    ParamBlockLock lock(globals->filterRecord);
    if (lock.Block() != nullptr) lock.Block()->ShowDialog = 1;
}

void DoPrepare(Globals* globals) {
    FilterRecord& record = *globals->filterRecord;
    record.bufferSpace = 0;
    ValidateParameters(globals);
    ParamBlockLock lock(&record);
    if (lock.Block() == nullptr) return;
    const StripPlanSt plan = PlanStrips(lock.Block()->StripRows, record.filterRect, record.planes, record.maxSpace);
    lock.Block()->StripRows = plan.stripRows;
    record.maxSpace = plan.maxSpace;
}

void DoStart(Globals* globals) {
    RunGuarded(globals, [globals] { StartRun(globals); });
    // The main objects go and the request ends even after a failure.
    RunGuarded(globals, [globals] { EndRun(globals); });
}

void DoContinue(Globals*) {}

void DoFinish(Globals* globals) { WriteScriptParams(globals); }
