#include "CProgressDlg.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "UiStrings.h"

CProgressDlg::CProgressDlg(QWidget* parent)
    : QDialog(parent), text_(new QLabel(UiString(UiStringId::kProgressText))), bar_(new QProgressBar),
      abort_(new QPushButton(UiString(UiStringId::kAbort))) {
    setObjectName("ProgressWindow");
    setWindowTitle(UiString(UiStringId::kProgressTitle));
    setWindowModality(Qt::ApplicationModal);
    bar_->setRange(0, 100);
    bar_->setMinimumWidth(320);
    abort_->setObjectName("Abort");
    abort_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(abort_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    connect(abort_, &QPushButton::clicked, this, [this] { aborted_ = true; });
}

void CProgressDlg::Begin() {
    aborted_ = false;
    bar_->setValue(0);
    show();
    QCoreApplication::processEvents();
}

void CProgressDlg::SetPercent(int percent) {
    bar_->setValue(percent);
    QCoreApplication::processEvents();
}

void CProgressDlg::End() { hide(); }
