#pragma once

#include <QLineEdit>

#include "platform/screen.h"

// The hexadecimal field of the colour dialog: six positions, letters shown
// in upper case, unfilled positions as underscores. Typing lets through only
// the hexadecimal digits and a few control keys; a paste may bring any
// letters and digits. After typing, the focus cannot leave while a
// position is unfilled: the program beeps, says so in its error box, and the
// field keeps the focus.
class HexEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr const char* InvalidInputMessage = "Invalid input value.  Use escape key to abandon changes";

    explicit HexEdit(QWidget* parent);

    // The colour the text gives.
    tintora::ColourValue colour() const;
    // Whether every position is filled.
    bool complete() const;
    // Whether leaving now must be refused: typed into and not complete.
    bool mustStay() const;

    // Whether a typed key's character goes through.
    static bool letsThrough(const QKeyEvent& event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps the focus on an incomplete entry: a beep, the error box, and
    // the focus back here.
    void refuse();
    bool m_leaving = false; // the focus went elsewhere; it is being brought back
};
