#pragma once
// PsColor: the material colour editor.  A swatch and three colour sliders,
// each with a ramp showing the colours it reaches and a number field.  In
// RGB mode the sliders edit red, green and blue (0..255); in HSV mode hue
// (0..359), saturation and value (0..100).  Both forms of the colour are kept
// in the record; RGB is what renders.  Clicking the swatch switches the mode.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include <QColor>
#include <QWidget>

#include "HclColor.h"
#include "PsControl.h"

class PsColor;
class QLabel;
class QLineEdit;
class QSlider;

inline constexpr int32_t kColorRgb = 0;
inline constexpr int32_t kColorHsv = 1;

// What a colour slider edits.
enum class ColorKind { Red = 1, Green, Blue, Hue, Saturation, Value };

// A ramp: the colours of one slider's range, left to right.
class ColorRampView : public QWidget {
public:
    explicit ColorRampView(std::function<QColor(int x, int width)> colorAt, QWidget* parent = nullptr)
        : QWidget(parent), colorAt_(std::move(colorAt)) {}
    QSize sizeHint() const override { return {120, 8}; }
    // Times the ramp was painted.
    int Paints() const { return paints_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<QColor(int, int)> colorAt_;
    int paints_ = 0;
};

// The swatch; a click switches the mode.
class ColorSwatchView : public QWidget {
public:
    ColorSwatchView(PsColor& owner, QWidget* parent = nullptr) : QWidget(parent), owner_(owner) {}
    QSize sizeHint() const override { return {40, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PsColor& owner_;
};

class PsColorSlider : public PsControl {
public:
    PsColorSlider(PsColor& owner, QLabel* label, QSlider* slider, ColorRampView* ramp, QLineEdit* field);
    ~PsColorSlider() override;

    // Binds the slider to an entry with its range, kind and the sliders whose
    // ramps follow its value.
    void Setup(int32_t* entry, int32_t min, int32_t max, ColorKind kind, PsColorSlider* link1,
               PsColorSlider* link2);
    // Takes a new value: stores it, converts the colour, redraws the ramps
    // that depend on it; false (nothing done) when the value is unchanged.
    bool SetValue(int32_t value, bool showNumber);
    // Shows the entry (after a conversion) and redraws the ramp.
    void Update(bool showNumber);
    // The typed text: empty gives the minimum, a number within the range is
    // taken, anything else shows the value again.  True when it changed.
    bool ApplyField();
    // The colour of column x of a ramp `width` pixels wide.
    QColor RampColor(int x, int width) const;

    int32_t GetValue() const { return value_; }
    int32_t GetMinValue() const { return min_; }
    int32_t GetMaxValue() const { return max_; }
    ColorKind Kind() const { return kind_; }
    QSlider* Slider() const { return slider_; }
    QLineEdit* Field() const { return field_; }
    ColorRampView* Ramp() const { return ramp_; }
    void Enable() override;
    void Disable() override;

private:
    void ShowNumber();

    PsColor& owner_;
    QLabel* label_;
    QSlider* slider_;
    ColorRampView* ramp_;
    QLineEdit* field_;
    int32_t* entry_ = nullptr;
    ColorKind kind_ = ColorKind::Red;
    std::array<PsColorSlider*, 2> links_{};
    int32_t value_ = 0;
    int32_t min_ = 0;
    int32_t max_ = 255;
    QList<QMetaObject::Connection> connections_;
};

// The six entries of the colour.
struct ColorEntries {
    int32_t* h;
    int32_t* s;
    int32_t* v;
    int32_t* r;
    int32_t* g;
    int32_t* b;
};

class PsColor {
public:
    // What the colour asks of its pane: an undo step before a change, a
    // render after one (dragging while a slider is held), the end of a drag,
    // and the swatch's click.
    struct Hooks {
        std::function<void()> beginChange;
        std::function<void(bool dragging)> changed;
        std::function<void()> gestureEnded;
        std::function<void()> swatchClicked;
    };

    PsColor() = default;
    PsColor(const PsColor&) = delete;
    PsColor& operator=(const PsColor&) = delete;

    // Builds the swatch and the three slider rows into parent's grid layout
    // (swatch in the first column, rows after it).
    void Initialize(QWidget* parent, class QGridLayout& grid, Hooks hooks);
    // Binds the entries and sets the mode (force: even when unchanged).
    void Setup(int32_t mode, const ColorEntries& entries, bool force);
    void SetMode(int32_t mode, bool force);
    int32_t GetMode() const { return mode_; }
    // Converts the edited form into the other one and redraws the ramps.
    void Update(bool showNumbers);
    // In HSV mode, derives hue, saturation and value from the RGB entries
    // (after they were replaced from outside) and shows them.
    void UpdateRGB();
    void OnEnable(bool enable);
    bool IsWindowEnabled() const { return enabled_; }
    // The working colour.
    QColor Color() const { return QColor(work_.R, work_.G, work_.B); }
    PsColorSlider* GetSlider(int index) const { return sliders_.at(static_cast<std::size_t>(index)).get(); }
    // The slider whose number field is field, or none.
    PsColorSlider* GetFromEdit(const QLineEdit* field) const;
    ColorSwatchView* Swatch() const { return swatch_; }
    const HCLCOLOR& Working() const { return work_; }
    const Hooks& GetHooks() const { return hooks_; }

private:
    void Repaint();

    int32_t mode_ = -1;
    HCLCOLOR work_;
    ColorEntries entries_{};
    ColorSwatchView* swatch_ = nullptr;
    std::array<std::unique_ptr<PsColorSlider>, 3> sliders_;
    Hooks hooks_;
    bool enabled_ = true;
};
