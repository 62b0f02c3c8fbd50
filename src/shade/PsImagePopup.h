#pragma once
// The image list's pop-up without a window: a column of four thumbnail cells
// over the list's entries with a vertical scroll bar, a highlighted entry
// that follows the mouse and the arrow keys, and the choice or cancellation
// that closes it.  The view draws cells TopIndex() .. TopIndex() + 3, passes
// the user's mouse, scroll bar and key events in, and closes the window when
// IsClosed() turns true; PsImageCombo::ClosePopup applies the result.
#include <cstdint>

inline constexpr int32_t kPopupVisibleCells = 4;
inline constexpr int32_t kPopupCancelled = -1;

enum class PopupKey { Return, Enter, Escape, Up, Left, Down, Right, PageUp, PageDown };
enum class PopupScrollPart { LineUp, LineDown, PageUp, PageDown };

class PsImagePopup {
public:
    // count: the list's entries (placeholder included); highlight: the entry
    // the control shows.
    PsImagePopup(int32_t count, int32_t highlight);

    // The scroll bar's range is 0 .. ScrollMax(); its value is TopIndex().
    int32_t ScrollMax() const;
    int32_t TopIndex() const { return top_; }
    int32_t Highlight() const { return highlight_; }
    // The entry shown in a cell (0..3), -1 for a cell below the last entry.
    int32_t EntryOfCell(int32_t cell) const;

    // The mouse over a cell highlights its entry.
    void HoverCell(int32_t cell);
    // A click in the cells chooses the entry under the mouse.
    void ClickCell(int32_t cell);
    // A click outside the window cancels.
    void ClickOutside();
    // Arrows scroll by 1, page areas by 4; the thumb sets the value freely.
    void Scroll(PopupScrollPart part);
    void ScrollTo(int32_t value);
    void Key(PopupKey key);

    bool IsClosed() const { return closed_; }
    // The chosen entry, or kPopupCancelled.
    int32_t Result() const { return result_; }

private:
    void MoveHighlight(int32_t delta);
    void Close(int32_t result);

    int32_t count_;
    int32_t initialHighlight_;
    int32_t highlight_;
    int32_t top_ = 0;
    int32_t result_ = kPopupCancelled;
    bool closed_ = false;
};
