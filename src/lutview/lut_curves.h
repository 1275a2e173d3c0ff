#pragma once

#include <QWidget>

#include "core/rgb.h"
#include "platform/screen.h"

// The plot of a gamma ramp: input level 0-255 across, output 0-65535 up, the
// red, green and blue curves in their colours over a faint identity diagonal,
// and a marker on each curve at that channel's level.
class LutCurves : public QWidget {
    Q_OBJECT
public:
    explicit LutCurves(QWidget* parent = nullptr);

    // What to plot; repaints only when something differs from what is shown.
    // Without a ramp only the diagonal is drawn.
    void plot(const tintora::GammaTable* ramp, tintora::Rgb levels);

    QSize sizeHint() const override { return {300, 220}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    tintora::GammaTable m_ramp{};
    bool m_hasRamp = false;
    tintora::Rgb m_levels;
};
