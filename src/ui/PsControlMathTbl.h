#pragma once
// PsControlMathTbl: the bevel curve of the modeling pane.  It shows the
// profile the model entries describe (bevel position and power, width,
// height, reverse) as a grey area under a 256-entry curve, with a red
// marker where the base begins.
#include <cstdint>

#include <QWidget>

#include "MathTbl.h"
#include "PsControl.h"

struct ShadeParams;

class PsControlMathTbl : public QWidget, public CStatic {
    Q_OBJECT
public:
    static constexpr int kPlotInset = 6;

    explicit PsControlMathTbl(QWidget* parent = nullptr);

    // Binds the record whose model entries the curve shows and builds it.
    void Setup(const ShadeParams* params, short item);
    // Rebuilds the curve from the entries and repaints.
    void Update();
    const MathTbl& Table() const { return table_; }
    // The column of the base marker in widget coordinates, -1 without one.
    int BaseMarkerX() const;

    QSize sizeHint() const override { return {160, 72}; }
    QSize minimumSizeHint() const override { return {80, 72}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect PlotRect() const { return rect().adjusted(kPlotInset, kPlotInset, -kPlotInset, -kPlotInset); }

    const ShadeParams* params_ = nullptr;
    MathTbl table_;
};
