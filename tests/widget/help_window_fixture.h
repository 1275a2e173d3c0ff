#pragma once

#include <QTest>

#include "main_window_fixture.h"

// The main window shown, its probe stopped, and the help window ready to be
// opened from it.
struct WithHelp : MainWindowFixture {
    WithHelp()
    {
        form->probeTimer()->stop();
        form->showMainWindow();
    }
    void mainKey(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(form, k, m); }
    QWidget* helpFocus() const { return help->focusWidget() ? help->focusWidget() : help; }
    QString pageText() const { return help->ui().browser->toPlainText().simplified(); }
};
