#pragma once

#include <QWidget>

#include "probe/sampler.h"

// The plot of a sample's gamma ramp: input level 0-255 across, output 0-65535
// up, the red, green and blue curves in their colours over a faint identity
// diagonal, and a marker on each curve at that channel's Bitmap level.
class LutCurves : public QWidget {
    Q_OBJECT
public:
    explicit LutCurves(QWidget* parent = nullptr);

    // Plots sample, which it paints from until the next call (it keeps no
    // copy: the sampler's latest sample lives as long as the program's
    // windows); the caller calls it when the ramp or the Bitmap colour
    // changed. Without a ramp (or a sample) only the diagonal is drawn, without
    // a Bitmap colour no marker.
    void plot(const tintora::Sample* sample);

    QSize sizeHint() const override { return {300, 220}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const tintora::Sample* m_sample = nullptr;
};
