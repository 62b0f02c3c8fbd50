#include "PsImagePopup.h"

#include <algorithm>

PsImagePopup::PsImagePopup(int32_t count, int32_t highlight)
    : count_(std::max(count, 0)),
      initialHighlight_(std::clamp(highlight, 0, std::max(count_ - 1, 0))),
      highlight_(initialHighlight_) {
    MoveHighlight(0);
}

int32_t PsImagePopup::ScrollMax() const { return std::max(count_ - kPopupVisibleCells, 0); }

int32_t PsImagePopup::EntryOfCell(int32_t cell) const {
    if (cell < 0 || cell >= kPopupVisibleCells) return -1;
    const int32_t entry = top_ + cell;
    return entry < count_ ? entry : -1;
}

void PsImagePopup::HoverCell(int32_t cell) {
    if (closed_) return;
    const int32_t entry = EntryOfCell(cell);
    if (entry >= 0) highlight_ = entry;
}

void PsImagePopup::ClickCell(int32_t cell) {
    if (closed_) return;
    const int32_t entry = EntryOfCell(cell);
    if (entry >= 0) Close(entry);
}

void PsImagePopup::ClickOutside() {
    if (!closed_) Close(kPopupCancelled);
}

void PsImagePopup::Scroll(PopupScrollPart part) {
    switch (part) {
    case PopupScrollPart::LineUp: ScrollTo(top_ - 1); break;
    case PopupScrollPart::LineDown: ScrollTo(top_ + 1); break;
    case PopupScrollPart::PageUp: ScrollTo(top_ - kPopupVisibleCells); break;
    case PopupScrollPart::PageDown: ScrollTo(top_ + kPopupVisibleCells); break;
    }
}

void PsImagePopup::ScrollTo(int32_t value) {
    if (!closed_) top_ = std::clamp(value, 0, ScrollMax());
}

void PsImagePopup::Key(PopupKey key) {
    if (closed_) return;
    switch (key) {
    case PopupKey::Return:
    case PopupKey::Enter: Close(highlight_); break;
    case PopupKey::Escape: Close(kPopupCancelled); break;
    case PopupKey::Up:
    case PopupKey::Left: MoveHighlight(-1); break;
    case PopupKey::Down:
    case PopupKey::Right: MoveHighlight(1); break;
    case PopupKey::PageUp: MoveHighlight(-kPopupVisibleCells); break;
    case PopupKey::PageDown: MoveHighlight(kPopupVisibleCells); break;
    }
}

void PsImagePopup::MoveHighlight(int32_t delta) {
    highlight_ = std::clamp(highlight_ + delta, 0, std::max(count_ - 1, 0));
    // A highlight that leaves the visible cells becomes the top cell.
    if (highlight_ < top_ || highlight_ >= top_ + kPopupVisibleCells) ScrollTo(highlight_);
}

void PsImagePopup::Close(int32_t result) {
    // A cancelled pop-up leaves the highlight where it was before it opened.
    if (result == kPopupCancelled) highlight_ = initialHighlight_;
    result_ = result;
    closed_ = true;
}
