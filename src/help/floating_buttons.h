#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

// The three 16 x 16 glyphs of the help window's buttons: 0 back, 1 forward,
// 2 home. Green, yellow-green at the top, with a darker outline.
QPixmap webGlyph(int index);

// One button floating over a window's title bar: a 26 x 26 square showing
// only its glyph, with the hand pointer, at half opacity while pressed. It
// never takes the focus or activates a window; a press and release on it is
// a click.
class FloatingButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int Size = 26;
    FloatingButton(int glyph, std::function<void()> onClick);

    bool pressed() const { return m_pressed; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_glyph;
    std::function<void()> m_onClick;
    bool m_pressed = false;
};

// Home, back and forward over the title bar of a window, centred on it at
// horizontal offsets -34, 0 and +34, following its moves and resizes, shown
// only while it is visible and not minimised.
class FloatingButtons : public QObject {
    Q_OBJECT
public:
    static constexpr int Offsets[3] = {-34, 0, 34};

    FloatingButtons(QWidget* window, std::function<void()> home, std::function<void()> back,
                  std::function<void()> forward);
    ~FloatingButtons() override;

    // Places and shows or hides the buttons for the window's present state.
    void follow();
    const std::array<FloatingButton*, 3>& items() const { return m_items; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    std::array<FloatingButton*, 3> m_items{};
};
