#include "DialogItems.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "CDialog.h"

namespace {

constexpr int kStringItemMax = 255;

template <class Widget>
Widget* Item(const CDialog& dialog, short item) {
    return qobject_cast<Widget*>(dialog.GetDlgItem(item));
}

QRadioButton* Radio(const CDialog& dialog, short item) { return Item<QRadioButton>(dialog, item); }

}  // namespace

int ParseNumber(const QString& text, int32_t min, int32_t max, int32_t& value) {
    bool ok = false;
    const qlonglong number = text.trimmed().toLongLong(&ok, 10);
    if (!ok || number < INT32_MIN || number > INT32_MAX) {
        value = 0;
        return kFetchNotNumber;
    }
    value = static_cast<int32_t>(number);
    return value >= min && value <= max ? kFetchOk : kFetchOutOfRange;
}

int FetchNumber(const CDialog& dialog, short item, int32_t min, int32_t max, int32_t& value) {
    return ParseNumber(FetchText(dialog, item), min, max, value);
}

void StuffNumber(CDialog& dialog, short item, int32_t value) { StuffText(dialog, item, QString::number(value)); }

QString FetchText(const CDialog& dialog, short item) {
    if (auto* edit = Item<QLineEdit>(dialog, item)) return edit->text();
    return {};
}

void StuffText(CDialog& dialog, short item, const QString& text) {
    dialog.SetDlgItemText(item, text.left(kStringItemMax));
}

void SelectTextItem(CDialog& dialog, short item) {
    if (auto* edit = Item<QLineEdit>(dialog, item)) edit->selectAll();
}

void SetCheckBoxState(CDialog& dialog, short item, bool on) {
    if (auto* box = Item<QAbstractButton>(dialog, item); box != nullptr && box->isChecked() != on)
        box->setChecked(on);
}

bool GetCheckBoxState(const CDialog& dialog, short item) {
    auto* box = Item<QAbstractButton>(dialog, item);
    return box != nullptr && box->isChecked();
}

void ToggleCheckBoxState(CDialog& dialog, short item) {
    SetCheckBoxState(dialog, item, !GetCheckBoxState(dialog, item));
}

void SetRadioGroupState(CDialog& dialog, short first, short last, short chosen) {
    for (short i = first; i <= last; ++i)
        if (auto* radio = Radio(dialog, i)) {
            // Exclusive groups would refuse to clear a button alone.
            const bool exclusive = radio->autoExclusive();
            radio->setAutoExclusive(false);
            radio->setChecked(i == chosen);
            radio->setAutoExclusive(exclusive);
        }
}

short GetRadioGroupState(const CDialog& dialog, short first, short last) {
    for (short i = first; i <= last; ++i)
        if (auto* radio = Radio(dialog, i); radio != nullptr && radio->isChecked()) return i;
    return 0;
}

void ProcessChecksAndRadios(CDialog& dialog, short item) {
    if (Radio(dialog, item) != nullptr) {
        short first = item;
        short last = item;
        while (Radio(dialog, static_cast<short>(first - 1)) != nullptr) --first;
        while (Radio(dialog, static_cast<short>(last + 1)) != nullptr) ++last;
        SetRadioGroupState(dialog, first, last, item);
    } else if (Item<QCheckBox>(dialog, item) != nullptr) {
        ToggleCheckBoxState(dialog, item);
    }
}

void SetPopUpMenuValue(CDialog& dialog, short item, int value) {
    auto* popup = Item<QComboBox>(dialog, item);
    if (popup == nullptr || value < 1) return;
    while (popup->count() < value) popup->addItem(QString());
    popup->setCurrentIndex(value - 1);
}

int GetPopUpMenuValue(const CDialog& dialog, short item) {
    auto* popup = Item<QComboBox>(dialog, item);
    return popup == nullptr ? 0 : popup->currentIndex() + 1;
}

void ShowHideItem(CDialog& dialog, short item, bool show) {
    if (QWidget* widget = dialog.GetDlgItem(item)) widget->setVisible(show);
}

void EnableDisableControl(CDialog& dialog, short item, bool enable) {
    if (QWidget* widget = dialog.GetDlgItem(item)) widget->setEnabled(enable);
}
