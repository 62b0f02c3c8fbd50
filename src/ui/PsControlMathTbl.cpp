#include "PsControlMathTbl.h"

#include <algorithm>

#include <QPainter>

#include "ShadeParams.h"
#include "WinLayer.h"

PsControlMathTbl::PsControlMathTbl(QWidget* parent) : QWidget(parent) { SetControl(this); }

void PsControlMathTbl::Setup(const ShadeParams* params, short item) {
    params_ = params;
    SetItemID(item);
    Update();
}

void PsControlMathTbl::Update() {
    if (params_ == nullptr) return;
    const double knee = params_->BevelPos / 100.0;
    const double power = params_->BevelPow / 100.0;
    const double width = params_->Length / 100.0;
    const double height = params_->Height / 100.0;
    table_.Arc(knee, 0.0, 1.0);
    const int top = static_cast<int>(255 * width);
    for (int i = 0; i < MathTbl::kSize; ++i) {
        int t = table_[i];
        // Power 0 is the straight line, 1 the arc.
        t += static_cast<int>((1.0 - power) * (i - t));
        if (params_->BevelRvs != 0) t = 255 - t;
        t = std::clamp(t, 0, top);
        table_[i] = static_cast<uint8_t>(static_cast<int>(height * t));
    }
    update();
}

int PsControlMathTbl::BaseMarkerX() const {
    if (params_ == nullptr || params_->Base == 0) return -1;
    const QRect plot = PlotRect();
    return plot.left() + static_cast<int>(params_->Base / 100.0 * (plot.width() - 1));
}

void PsControlMathTbl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRect plot = PlotRect();
    const int w = plot.width();
    const int h = plot.height();
    if (w > 1 && h > 0) {
        for (int x = plot.left(); x <= plot.right(); ++x) {
            const int i = (x - plot.left()) * 255 / (w - 1);
            const int y = plot.bottom() + 1 - table_[i] * h / 256 - 1;
            painter.setPen(QColor(128, 128, 128));
            painter.drawLine(x, y, x, rect().bottom());
        }
    }
    const int marker = BaseMarkerX();
    if (marker >= 0) {
        painter.setPen(QColor(220, 0, 0));
        painter.drawLine(marker, rect().top(), marker, rect().bottom());
    }
    DrawEdge(painter, ToMacRect(rect()));
}
