#include "CParamPane.h"

#include <stdexcept>

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "ButtonPictures.h"
#include "MainDlgModel.h"
#include "PsControlButton.h"
#include "UiStrings.h"
#include "WinLayer.h"

namespace {

constexpr int kFieldWidth = 46;
constexpr int kLabelWidth = 92;

// A row label that puts its entry back to the default on a double click.
class ResetLabel : public QLabel {
public:
    ResetLabel(const QString& text, std::function<void()> reset) : QLabel(text), reset_(std::move(reset)) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && isEnabled()) reset_();
    }

private:
    std::function<void()> reset_;
};

}  // namespace

const ShadeParamEntry& PaneEntry(std::string_view key) {
    for (const ShadeParamEntry& entry : ShadeParamTable())
        if (entry.scriptKey == key) return entry;
    throw std::logic_error("no record entry for a pane key");
}

CParamPane::CParamPane(PaneOwner& owner, int titleId, int lockIndex, int lockTipId)
    : CTabPane(owner, UiString(titleId), lockIndex) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    lock_ = new PsControlButton;
    lock_->Setup(ButtonPicture::kLock, lockTipId, 1);
    lock_->setObjectName("Lock");
    auto* top = new QHBoxLayout;
    top->addWidget(lock_);
    top->addStretch();
    layout->addLayout(top);
    connect(lock_, &QAbstractButton::clicked, this, [this] { SetLock(!IsLocked()); });
}

CParamPane::~CParamPane() {
    sliders_.clear();
    checks_.clear();
}

void CParamPane::Initialize() {
    if (content_ == nullptr) {
        content_ = new QWidget(this);
        content_->setObjectName("Content");
        auto* layout = new QVBoxLayout(content_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(4);
        Build(*layout);
        layout->addStretch();
        static_cast<QVBoxLayout*>(this->layout())->addWidget(content_, 1);
    }
    SetParam();
}

void CParamPane::Clear() {
    // The controls go before the widgets they drive.
    if (content_ != nullptr) ClearSpecial();
    sliders_.clear();
    checks_.clear();
    delete content_;
    content_ = nullptr;
}

void CParamPane::SetParam() {
    if (!IsBuilt()) return;
    for (auto& [key, slider] : sliders_) slider->ShowEntry();
    for (auto& [key, box] : checks_) {
        const QSignalBlocker block(box);
        box->setChecked(ShadeParamInt(Owner().Params(), PaneEntry(key)) != 0);
    }
    ShowSpecial();
    EnableDisableControl(IsLocked());
}

bool CParamPane::IsLocked() const {
    MainDlgModel* model = const_cast<CParamPane*>(this)->Owner().PaneModel();
    return model != nullptr && LockIndex() >= 0 && model->Locks().IsLocked(LockIndex());
}

void CParamPane::SetLock(bool locked) {
    Model().Locks().SetLocked(LockIndex(), locked);
    EnableDisableControl(locked);
    Owner().PaneLocksChanged();
}

void CParamPane::EnableDisableControl(bool locked) {
    lock_->SetValue(locked ? 1 : 0);
    lock_->SetCheck(locked);
    if (!IsBuilt()) return;
    // The pane's controls sit in one parent: disabling it disables them all
    // and leaves their own enabled states for the unlock.
    content_->setEnabled(!locked);
    for (auto& [key, slider] : sliders_) slider->EnableWindow(!locked);
    EnableSpecial(locked);
}

PsParamSlider* CParamPane::FindSlider(std::string_view key) const {
    for (const auto& [name, slider] : sliders_)
        if (name == key) return slider.get();
    return nullptr;
}

QCheckBox* CParamPane::FindCheck(std::string_view key) const {
    for (const auto& [name, box] : checks_)
        if (name == key) return box;
    return nullptr;
}

void CParamPane::AddSliders(QVBoxLayout& layout, std::initializer_list<PaneSliderRow> rows) {
    auto* grid = new QGridLayout;
    layout.addLayout(grid);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (const PaneSliderRow& row : rows) {
        const ShadeParamEntry& entry = PaneEntry(row.key);
        const int32_t defaultValue = entry.defaultValue;
        AddSlider(*grid, row.local, std::string(row.key),
                  [&entry](ShadeParams& params) -> int32_t& { return ShadeParamInt(params, entry); },
                  entry.range->minimum, entry.range->maximum, [defaultValue] { return defaultValue; }, row.label,
                  row.tip);
    }
}

PsParamSlider* CParamPane::AddSlider(QGridLayout& grid, short local, std::string key, PsParamSlider::Accessor entry,
                                     int32_t min, int32_t max, std::function<int32_t()> defaultValue,
                                     const char* label, const char* tip) {
    auto control = std::make_unique<PsParamSlider>(std::move(entry), std::move(defaultValue));
    PsParamSlider* slider = control.get();
    auto* name = new ResetLabel(QString::fromUtf8(label), [this, slider] { ResetToDefault(*slider); });
    auto* bar = new QSlider(Qt::Horizontal);
    auto* field = new QLineEdit;
    const int row = grid.rowCount();
    grid.addWidget(name, row, 0);
    grid.addWidget(bar, row, 1);
    grid.addWidget(field, row, 2);
    name->setMinimumWidth(kLabelWidth);
    name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field->setFixedWidth(kFieldWidth);
    field->setAlignment(Qt::AlignRight);
    bar->setObjectName(QString::fromStdString(key));
    field->setObjectName(QString::fromStdString(key) + "Field");
    const QString tipText = QString::fromUtf8(tip) + "\nDouble-click the name for the default.";
    for (QWidget* widget : {static_cast<QWidget*>(name), static_cast<QWidget*>(bar), static_cast<QWidget*>(field)})
        widget->setToolTip(tipText);
    slider->Setup(this, bar, local, field, static_cast<short>(local + 1), min, max);
    slider->ShowEntry();
    sliders_.emplace_back(std::move(key), std::move(control));
    return slider;
}

QCheckBox* CParamPane::AddCheck(short local, std::string_view key, const char* label, const char* tip,
                                std::function<void()> after) {
    const ShadeParamEntry& entry = PaneEntry(key);
    auto* box = new QCheckBox(QString::fromUtf8(label), content_);
    box->setObjectName(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
    box->setToolTip(QString::fromUtf8(tip));
    connect(box, &QCheckBox::clicked, this, [this, local, &entry, after = std::move(after)](bool on) {
        BeginChange(local);
        ShadeParamInt(Owner().Params(), entry) = on ? 1 : 0;
        if (after) after();
        Update();
    });
    checks_.emplace_back(std::string(key), box);
    return box;
}

void CParamPane::BeginChange(short local) { Owner().OnUpdatePsControl(kNotifyChangeBegins, local); }

MainDlgModel& CParamPane::Model() {
    MainDlgModel* model = Owner().PaneModel();
    if (model == nullptr) throw std::logic_error("a parameter pane needs the dialog's model");
    return *model;
}

void CParamPane::ResetToDefault(PsParamSlider& slider) {
    const int32_t value = slider.GetDefault();
    if (IsLocked() || slider.Entry() == value) return;
    BeginChange(slider.GetItemID());
    slider.GetSliderControl()->setValue(value);  // stores and renders through SetStatus
}
