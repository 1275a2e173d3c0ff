#pragma once

#include <QFrame>

// The colour swatch. While probing a press on it drags the window like the
// window's background; while frozen it is a button.
class Swatch : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;

    // Whether a press drags the window (probing) or the swatch is a button
    // (frozen).
    bool movesWindow() const { return m_movesWindow; }
    void setMovesWindow(bool moves) { m_movesWindow = moves; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_movesWindow = true;
};
