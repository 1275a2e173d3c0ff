#pragma once

#include <QLineEdit>

#include "platform/screen.h"

// The hexadecimal field (sEditHex): six positions, letters shown in upper
// case, unfilled positions as underscores. Typing lets through only the
// hexadecimal digits and a few control keys (sEditHexKeyPress); a paste may
// bring any letters and digits. After typing, the focus cannot leave while a
// position is unfilled: the program beeps, says so in its error box, and the
// field keeps the focus.
class THexEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr const char* InvalidInput = "Invalid input value.  Use escape key to abandon changes";

    explicit THexEdit(QWidget* parent);

    // The colour the text gives.
    tintora::ColourValue colour() const;
    // Whether every position is filled.
    bool complete() const;
    // Whether leaving now must be refused: typed into and not complete.
    bool mustStay() const;

    // sEditHexKeyPress: whether a typed character goes through.
    static bool letsThrough(const QKeyEvent& event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refuse();
    bool m_leaving = false; // the focus went elsewhere; it is being brought back
};

// The decimal field (sEditDecimal): a number taken as a colour value,
// truncated, bits above the lowest 24 dropped. When the focus leaves after
// typing, the text shows the colour value it gave.
class TDecimalEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDecimalEdit(QWidget* parent);
    tintora::ColourValue colour() const;

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
