#include "PsColor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>

#include "DialogItems.h"
#include "FieldReturn.h"
#include "WinLayer.h"

namespace {

// Control units (hue 0..359, percent) and the conversion's units (hue
// 0..251, levels 0..255).
constexpr int kHueControlMax = 359;
constexpr int kHueModelMax = 251;
constexpr int kHueSteps = 252;
constexpr int kPercentMax = 100;
constexpr int kLevelMax = 255;

QColor HsvColor(int hue, int saturation, int value) {
    HCLCOLOR c;
    c.H = hue;
    c.C = saturation;
    c.L = value;
    HsvToRgb(&c);
    return QColor(c.R, c.G, c.B);
}

const char* KindLabel(ColorKind kind) {
    switch (kind) {
    case ColorKind::Red: return "Red";
    case ColorKind::Green: return "Green";
    case ColorKind::Blue: return "Blue";
    case ColorKind::Hue: return "Hue";
    case ColorKind::Saturation: return "Saturation";
    case ColorKind::Value: return "Value";
    }
    return "";
}

const char* KindTip(ColorKind kind) {
    switch (kind) {
    case ColorKind::Red:
    case ColorKind::Green:
    case ColorKind::Blue: return "The material's colour, one primary at a time; click the swatch for hue, saturation and value";
    case ColorKind::Hue: return "The material's hue around the colour circle; click the swatch for red, green and blue";
    case ColorKind::Saturation: return "How strong the material's colour is; 0 is grey";
    case ColorKind::Value: return "How bright the material's colour is; 0 is black";
    }
    return "";
}

}  // namespace

void ColorRampView::paintEvent(QPaintEvent*) {
    ++paints_;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRect ramp = rect().adjusted(1, 1, -1, -1);
    const int width = ramp.width();
    for (int x = 0; x < width; ++x) {
        painter.setPen(colorAt_(x, width));
        painter.drawLine(ramp.left() + x, ramp.top(), ramp.left() + x, ramp.bottom());
    }
    Draw3dRect(painter, ToMacRect(rect()), QColor(132, 130, 132), Qt::white);
}

void ColorSwatchView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (owner_.IsWindowEnabled()) painter.fillRect(rect(), owner_.Color());
    DrawEdge(painter, ToMacRect(rect()));
}

void ColorSwatchView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        owner_.GetHooks().swatchClicked)
        owner_.GetHooks().swatchClicked();
}

// ---- PsColorSlider ----

PsColorSlider::PsColorSlider(PsColor& owner, QLabel* label, QSlider* slider, ColorRampView* ramp, QLineEdit* field)
    : owner_(owner), label_(label), slider_(slider), ramp_(ramp), field_(field) {
    SetControl(slider);
    const PsColor::Hooks& hooks = owner_.GetHooks();
    connections_ << QObject::connect(slider_, &QSlider::sliderPressed, slider_, [&hooks] {
        if (hooks.beginChange) hooks.beginChange();
    });
    connections_ << QObject::connect(slider_, &QSlider::actionTriggered, slider_, [&hooks](int action) {
        if (action != QAbstractSlider::SliderMove && hooks.beginChange) hooks.beginChange();
    });
    connections_ << QObject::connect(slider_, &QSlider::sliderReleased, slider_, [&hooks] {
        if (hooks.gestureEnded) hooks.gestureEnded();
    });
    connections_ << QObject::connect(slider_, &QSlider::valueChanged, slider_, [this, &hooks](int value) {
        if (SetValue(value, true) && hooks.changed) hooks.changed(slider_->isSliderDown());
    });
    auto apply = [this, &hooks] {
        if (ApplyField() && hooks.changed) hooks.changed(false);
    };
    OnFieldReturn(field_, apply);
    connections_ << QObject::connect(field_, &QLineEdit::editingFinished, field_, apply);
}

PsColorSlider::~PsColorSlider() {
    for (const QMetaObject::Connection& connection : connections_) QObject::disconnect(connection);
}

void PsColorSlider::Setup(int32_t* entry, int32_t min, int32_t max, ColorKind kind, PsColorSlider* link1,
                          PsColorSlider* link2) {
    entry_ = entry;
    min_ = min;
    max_ = max;
    kind_ = kind;
    links_ = {link1, link2};
    value_ = std::clamp(*entry_, min_, max_);
    {
        const QSignalBlocker block(slider_);
        slider_->setRange(min_, max_);
        slider_->setValue(value_);
    }
    label_->setText(KindLabel(kind));
    for (QWidget* widget : {static_cast<QWidget*>(label_), static_cast<QWidget*>(slider_),
                            static_cast<QWidget*>(ramp_), static_cast<QWidget*>(field_)})
        widget->setToolTip(KindTip(kind));
    Update(true);
}

bool PsColorSlider::SetValue(int32_t value, bool showNumber) {
    if (value == value_) return false;
    value_ = value;
    {
        const QSignalBlocker block(slider_);
        slider_->setValue(value);
    }
    *entry_ = value;
    owner_.Update(false);
    if (showNumber) {
        ShowNumber();
        ramp_->update();
    }
    for (PsColorSlider* link : links_)
        if (link != nullptr) link->ramp_->update();
    owner_.Swatch()->update();
    return true;
}

void PsColorSlider::Update(bool showNumber) {
    value_ = *entry_;
    {
        const QSignalBlocker block(slider_);
        slider_->setValue(value_);
    }
    if (showNumber) ShowNumber();
    ramp_->update();
}

bool PsColorSlider::ApplyField() {
    const QString text = field_->text().trimmed();
    int32_t value = min_;
    if (!text.isEmpty() && ParseNumber(text, min_, max_, value) != kFetchOk) {
        ShowNumber();
        return false;
    }
    if (value == value_) {
        ShowNumber();  // an empty field shows the minimum it stands for
        return false;
    }
    if (owner_.GetHooks().beginChange) owner_.GetHooks().beginChange();
    SetValue(value, false);
    ShowNumber();
    ramp_->update();
    return true;
}

void PsColorSlider::ShowNumber() { field_->setText(QString::number(value_)); }

QColor PsColorSlider::RampColor(int x, int width) const {
    const int level = x * 256 / width;
    const HCLCOLOR& w = owner_.Working();
    switch (kind_) {
    case ColorKind::Red: return QColor(level, 0, 0);
    case ColorKind::Green: return QColor(0, level, 0);
    case ColorKind::Blue: return QColor(0, 0, level);
    case ColorKind::Hue: return HsvColor(x * kHueSteps / width, kLevelMax, kLevelMax);
    case ColorKind::Saturation: return HsvColor(w.H, level, w.L);
    case ColorKind::Value: return HsvColor(w.H, w.C, level);
    }
    return {};
}

void PsColorSlider::Enable() {
    PsControl::Enable();
    field_->setEnabled(true);
}

void PsColorSlider::Disable() {
    PsControl::Disable();
    field_->setEnabled(false);
}

// ---- PsColor ----

void PsColor::Initialize(QWidget* parent, QGridLayout& grid, Hooks hooks) {
    hooks_ = std::move(hooks);
    swatch_ = new ColorSwatchView(*this, parent);
    swatch_->setObjectName("ColorSwatch");
    swatch_->setToolTip("The material's colour; click to switch between red-green-blue and hue-saturation-value");
    const int first = grid.rowCount();
    grid.addWidget(swatch_, first, 0, 6, 1);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(parent);
        auto* slider = new QSlider(Qt::Horizontal, parent);
        auto* field = new QLineEdit(parent);
        std::size_t index = static_cast<std::size_t>(i);
        auto* ramp = new ColorRampView([this, index](int x, int width) { return sliders_[index]->RampColor(x, width); },
                                       parent);
        ramp->setFixedHeight(8);
        field->setFixedWidth(46);
        field->setAlignment(Qt::AlignRight);
        slider->setObjectName(QString("ColorSlider%1").arg(i + 1));
        field->setObjectName(QString("ColorField%1").arg(i + 1));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid.addWidget(label, first + 2 * i, 1, 2, 1);
        grid.addWidget(ramp, first + 2 * i, 2);
        grid.addWidget(slider, first + 2 * i + 1, 2);
        grid.addWidget(field, first + 2 * i, 3, 2, 1);
        sliders_[index] = std::make_unique<PsColorSlider>(*this, label, slider, ramp, field);
    }
}

void PsColor::Setup(int32_t mode, const ColorEntries& entries, bool force) {
    entries_ = entries;
    SetMode(mode, force);
}

void PsColor::SetMode(int32_t mode, bool force) {
    if (mode == mode_ && !force) return;
    mode_ = mode;
    PsColorSlider* s1 = sliders_[0].get();
    PsColorSlider* s2 = sliders_[1].get();
    PsColorSlider* s3 = sliders_[2].get();
    // The working colour first, so that the ramps built below show it.
    if (mode_ == kColorHsv) UpdateRGB();
    else Update(false);
    if (mode_ == kColorHsv) {
        s1->Setup(entries_.h, 0, kHueControlMax, ColorKind::Hue, s2, s3);
        s2->Setup(entries_.s, 0, kPercentMax, ColorKind::Saturation, s3, nullptr);
        s3->Setup(entries_.v, 0, kPercentMax, ColorKind::Value, s2, nullptr);
    } else {
        s1->Setup(entries_.r, 0, kLevelMax, ColorKind::Red, nullptr, nullptr);
        s2->Setup(entries_.g, 0, kLevelMax, ColorKind::Green, nullptr, nullptr);
        s3->Setup(entries_.b, 0, kLevelMax, ColorKind::Blue, nullptr, nullptr);
    }
    Repaint();
}

void PsColor::Update(bool showNumbers) {
    if (mode_ == kColorHsv) {
        work_.H = *entries_.h * kHueModelMax / kHueControlMax;
        work_.C = *entries_.s * kLevelMax / kPercentMax;
        work_.L = *entries_.v * kLevelMax / kPercentMax;
        HsvToRgb(&work_);
        *entries_.r = work_.R;
        *entries_.g = work_.G;
        *entries_.b = work_.B;
    } else {
        work_.R = *entries_.r;
        work_.G = *entries_.g;
        work_.B = *entries_.b;
        RgbToHsv(&work_);
        *entries_.h = work_.H * kHueControlMax / kHueModelMax;
        *entries_.s = work_.C * kPercentMax / kLevelMax;
        *entries_.v = work_.L * kPercentMax / kLevelMax;
    }
    if (showNumbers) Repaint();
}

void PsColor::UpdateRGB() {
    if (mode_ != kColorHsv) return;
    work_.R = *entries_.r;
    work_.G = *entries_.g;
    work_.B = *entries_.b;
    RgbToHsv(&work_);
    *entries_.h = work_.H * kHueControlMax / kHueModelMax;
    *entries_.s = work_.C * kPercentMax / kLevelMax;
    *entries_.v = work_.L * kPercentMax / kLevelMax;
}

void PsColor::Repaint() {
    for (auto& slider : sliders_)
        if (slider != nullptr && slider->GetControl() != nullptr) slider->Update(true);
    if (swatch_ != nullptr) swatch_->update();
}

void PsColor::OnEnable(bool enable) {
    enabled_ = enable;
    for (auto& slider : sliders_) slider->EnableWindow(enable);
    swatch_->update();
}

PsColorSlider* PsColor::GetFromEdit(const QLineEdit* field) const {
    for (const auto& slider : sliders_)
        if (slider->Field() == field) return slider.get();
    return nullptr;
}
