#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/windows.h"

// The topmost band of the program's windows, kept in one place. Installed on
// the application, it puts every window of the program into the band each
// time it is shown, whatever the pin says; the request waits for the event
// loop, by which time the window is mapped. The program's windows are its
// top-level windows without a parent: boxes, menus and popups belong to a
// window of their own and stay out of it. The windows that follow the pin
// (the main window and the magnifier) go into the band or out of it with
// setStayOnTop.
class TopmostBand : public QObject {
    Q_OBJECT
public:
    explicit TopmostBand(tintora::Windows& windows);
    ~TopmostBand() override;

    // A window the pin moves; the pin moves them in the order they came.
    void followPin(QWidget* window);
    // The pin's on-top style. Setting the style the windows have already
    // does nothing; a change moves each shown window that follows the pin
    // into or out of the band at once.
    void setStayOnTop(bool stayOnTop);
    bool stayOnTop() const { return m_stayOnTop; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    tintora::Windows& m_windows;
    std::vector<QPointer<QWidget>> m_pinFollowers;
    bool m_stayOnTop = false;
};
