#include "CTabView.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabBar>

#include "CEnvironTabPane.h"
#include "CLightingTabPane.h"
#include "CMaterialTabPane.h"
#include "CModelingTabPane.h"
#include "CTextureTabPane.h"

namespace {

constexpr int kTabFontPoints = 10;
constexpr int kEditFontPoints = 9;
constexpr int kTextFontPoints = 10;

void SetPointSize(QWidget& widget, int points) {
    QFont font = widget.font();
    font.setPointSize(points);
    widget.setFont(font);
}

// The fonts of a shown pane's items: number fields 9 point, texts 10 point
// and right-aligned, as the dialog draws them.
void SetPaneItemFonts(QWidget& pane) {
    for (QLineEdit* edit : pane.findChildren<QLineEdit*>()) SetPointSize(*edit, kEditFontPoints);
    for (QLabel* text : pane.findChildren<QLabel*>()) {
        SetPointSize(*text, kTextFontPoints);
        text->setAlignment(Qt::AlignRight | (text->alignment() & Qt::AlignVertical_Mask));
    }
}

}  // namespace

CTabView::CTabView(PaneOwner& owner, QWidget* parent) : QTabWidget(parent) {
    setObjectName("TabView");
    SetPointSize(*tabBar(), kTabFontPoints);
    panes_ = {new CModelingTabPane(owner), new CMaterialTabPane(owner), new CTextureTabPane(owner),
              new CEnvironTabPane(owner), new CLightingTabPane(owner)};
    for (CTabPane* pane : panes_) addTab(pane, pane->Title());
    connect(this, &QTabWidget::currentChanged, this, [this](int index) { ChangeTab(index); });
    ChangeTab(currentIndex());
}

void CTabView::ChangeTab(int index) {
    // Only the shown pane has its controls; the values and the locks live in
    // the record and the dialog.
    if (shown_ >= 0 && shown_ < kPaneCount && shown_ != index) Pane(shown_)->Clear();
    shown_ = index;
    if (index < 0 || index >= kPaneCount) return;
    Pane(index)->Initialize();
    SetPaneItemFonts(*Pane(index));
}

CTabPane* CTabView::CurrentPane() const {
    const int index = currentIndex();
    return index < 0 ? nullptr : Pane(index);
}

bool CTabView::DoAction(short item) {
    CTabPane* pane = CurrentPane();
    return pane != nullptr && pane->DoAction(item);
}

void CTabView::SetParam() {
    if (CTabPane* pane = CurrentPane()) pane->Initialize();
}

void CTabView::DoIdle() {
    if (CTabPane* pane = CurrentPane()) pane->DoIdle();
}
