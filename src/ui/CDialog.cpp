#include "CDialog.h"

#include <cstring>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

CDialog::CDialog(int16_t resourceId, QWidget* parent) : QDialog(parent), resourceId_(resourceId) {}

CDialog::~CDialog() = default;

bool CDialog::OnInitDialog() {
    initialized_ = true;
    return true;
}

bool CDialog::DoAction(short* item) {
    if (*item == kItemOk) {
        OnOK();
        return true;
    }
    if (*item == kItemCancel) {
        OnCancel();
        return true;
    }
    return false;
}

int CDialog::DoModal() {
    if (!initialized_ && !OnInitDialog()) return -1;
    initialized_ = true;
    return exec();
}

bool CDialog::DestroyWindow() {
    const bool open = isVisible();
    if (open) EndDialog(static_cast<short>(result()));
    return open;
}

void CDialog::OnOK() { EndDialog(kItemOk); }

void CDialog::OnCancel() { EndDialog(kItemCancel); }

void CDialog::ItemHit(short item) {
    short hit = item;
    DoAction(&hit);
}

void CDialog::EndDialog(short item) {
    ending_ = true;
    QDialog::done(item);
    ending_ = false;
}

void CDialog::accept() { ItemHit(kItemOk); }

void CDialog::reject() { ItemHit(kItemCancel); }

void CDialog::done(int result) {
    // Closing the window counts as Cancel, unless the dialog itself ends.
    if (ending_) QDialog::done(result);
    else ItemHit(result == kItemOk ? kItemOk : kItemCancel);
}

void CDialog::SetItem(short id, QWidget* widget) { items_[id] = widget; }

QWidget* CDialog::GetDlgItem(short id) const {
    const auto found = items_.find(id);
    return found == items_.end() ? nullptr : found->second;
}

short CDialog::GetItemId(const QWidget* widget) const {
    for (const auto& [id, item] : items_)
        if (item == widget) return id;
    return 0;
}

namespace {
QString ItemText(const QWidget* widget) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    return {};
}
}  // namespace

void CDialog::GetDlgItemText(short id, char* buffer, std::size_t size) const {
    const QWidget* widget = GetDlgItem(id);
    if (widget == nullptr || buffer == nullptr) return;
    const QByteArray text = ItemText(widget).toUtf8();
    if (static_cast<std::size_t>(text.size()) >= size) return;
    std::memcpy(buffer, text.constData(), static_cast<std::size_t>(text.size()) + 1);
}

void CDialog::SetDlgItemText(short id, const QString& text) {
    QWidget* widget = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
        edit->selectAll();
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    }
    if (widget != nullptr) widget->update();
}
