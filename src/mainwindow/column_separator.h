#pragma once

#include <QWidget>

// The separator between the Bitmap and LUT columns: a vertical line along its
// left edge. A press on it does not move the window.
class ColumnSeparator : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
};
