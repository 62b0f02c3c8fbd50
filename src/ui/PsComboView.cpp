#include "PsComboView.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "PsControlCombo.h"
#include "UiStrings.h"

PsComboView::PsComboView(PsControlCombo& combo, QWidget* parent) : QPushButton(parent), combo_(combo) {
    SetControl(this);
    setObjectName("StyleList");
    setStyleSheet("text-align: left; padding: 3px 8px;");
    connect(this, &QPushButton::clicked, this, [this] { ShowPopup(); });
    Refresh();
}

void PsComboView::Refresh() {
    const int32_t current = combo_.GetCurrent();
    const bool chosen = current >= 0 && current < combo_.GetCount();
    const QString name = chosen ? QString::fromStdString(combo_.GetName(current)) : UiString(UiStringId::kStyleNone);
    setText(name + QString::fromUtf8("  \u25BE"));
    setToolTip(QString::fromStdString(combo_.HelpText()));
}

QMenu* PsComboView::BuildPopup(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName("StylePopup");
    std::vector<std::string> texts = combo_.MenuTexts();
    // The blank item that marks "nothing chosen" has no place in a menu.
    if (texts.size() > static_cast<std::size_t>(combo_.GetCount())) texts.erase(texts.begin());
    for (int32_t i = 0; i < static_cast<int32_t>(texts.size()); ++i) {
        QString text = QString::fromStdString(texts[static_cast<std::size_t>(i)]);
        if (combo_.GetStatus(i) == kComboEntryInvalid)
            text += QString(" (%1)").arg(QString::fromStdString(combo_.GetInvalidEntryText()));
        QAction* action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(i == combo_.GetCurrent());
        const int menuValue = i + 1;
        connect(action, &QAction::triggered, this, [this, menuValue] { Choose(menuValue); });
    }
    return menu;
}

QMenu* PsComboView::BuildContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName("StyleContextMenu");
    const ComboMenuOffer offer = combo_.OnRButtonDown();
    struct Command {
        int stringId;
        int command;
        bool enabled;
    };
    // The command numbers of the style list's menu.
    const Command commands[] = {
        {UiStringId::kMenuToTop, 1, offer.toTop},
        {UiStringId::kMenuUp, 2, offer.up},
        {UiStringId::kMenuDown, 3, offer.down},
        {UiStringId::kMenuToBottom, 4, offer.toBottom},
        {UiStringId::kMenuClear, 6, offer.clear},
    };
    for (const Command& c : commands) {
        if (c.command == 6) menu->addSeparator();
        QAction* action = menu->addAction(UiString(c.stringId));
        action->setEnabled(c.enabled);
        const int command = c.command;
        connect(action, &QAction::triggered, this, [this, command] {
            combo_.OnCommand(command);
            Refresh();
            if (afterCommand_) afterCommand_();
        });
    }
    return menu;
}

void PsComboView::ShowPopup() {
    QMenu* menu = BuildPopup(this);
    menu->setMinimumWidth(width());
    menu->exec(mapToGlobal(QPoint(0, height())));
    menu->deleteLater();
    setDown(false);
}

void PsComboView::ShowContextMenu(const QPoint& globalPos) {
    QMenu* menu = BuildContextMenu(this);
    menu->exec(globalPos);
    menu->deleteLater();
}

void PsComboView::Choose(int menuValue) {
    if (beforeChange_) beforeChange_();
    combo_.Select(menuValue, true);
    Refresh();
}

void PsComboView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
        ShowContextMenu(event->globalPosition().toPoint());
        return;
    }
    QPushButton::mousePressEvent(event);
}

void PsComboView::contextMenuEvent(QContextMenuEvent* event) { ShowContextMenu(event->globalPos()); }
