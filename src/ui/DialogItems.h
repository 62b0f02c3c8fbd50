#pragma once
// Small helpers over a dialog's numbered items, used by the settings,
// backup and pane code: numbers in edit fields, check boxes, radio groups,
// pop-ups, showing, hiding and dimming.
#include <cstdint>

#include <QString>

class CDialog;
class QWidget;

// Results of FetchNumber.
inline constexpr int kFetchOk = 0;
inline constexpr int kFetchOutOfRange = 1;  // value holds the number read
inline constexpr int kFetchNotNumber = 2;   // value is 0

// Reads text as a decimal integer (spaces around it allowed).
int ParseNumber(const QString& text, int32_t min, int32_t max, int32_t& value);

int FetchNumber(const CDialog& dialog, short item, int32_t min, int32_t max, int32_t& value);
void StuffNumber(CDialog& dialog, short item, int32_t value);
QString FetchText(const CDialog& dialog, short item);
// Sets the text, cut to the 255 characters of a length-prefixed string.
void StuffText(CDialog& dialog, short item, const QString& text);
void SelectTextItem(CDialog& dialog, short item);

void SetCheckBoxState(CDialog& dialog, short item, bool on);
bool GetCheckBoxState(const CDialog& dialog, short item);
void ToggleCheckBoxState(CDialog& dialog, short item);
// Checks `chosen` and clears the others of first..last.
void SetRadioGroupState(CDialog& dialog, short first, short last, short chosen);
// The first checked item of first..last, 0 when none is.
short GetRadioGroupState(const CDialog& dialog, short first, short last);
// A check box toggles; a radio button becomes the chosen one of the run of
// adjacent radio items around it.
void ProcessChecksAndRadios(CDialog& dialog, short item);

// Pop-ups count from 1.
void SetPopUpMenuValue(CDialog& dialog, short item, int value);
int GetPopUpMenuValue(const CDialog& dialog, short item);

void ShowHideItem(CDialog& dialog, short item, bool show);
void EnableDisableControl(CDialog& dialog, short item, bool enable);
inline void PIEnableControl(CDialog& dialog, short item) { EnableDisableControl(dialog, item, true); }
inline void PIDisableControl(CDialog& dialog, short item) { EnableDisableControl(dialog, item, false); }
