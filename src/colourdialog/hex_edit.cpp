#include "colourdialog/hex_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QTimer>

#include "colourdialog/colour_entry.h"
#include "widgets/error_box.h"

using namespace tintora;

HexEdit::HexEdit(QWidget* parent) : QLineEdit(parent)
{
    // Six letters or digits, upper case, "_" for an unfilled position.
    setInputMask(QStringLiteral(">NNNNNN;_"));
    qApp->installEventFilter(this);
}

ColourValue HexEdit::colour() const { return hexFieldColour(displayText().toStdString()); }

bool HexEdit::complete() const { return hexFieldComplete(displayText().toStdString()); }

bool HexEdit::mustStay() const { return isModified() && !complete(); }

bool HexEdit::letsThrough(const QKeyEvent& event)
{
    char32_t c = 0;
    if (event.matches(QKeySequence::Copy))
        c = typed::CtrlC;
    else if (event.matches(QKeySequence::Paste))
        c = typed::CtrlV;
    else if (event.key() == Qt::Key_Backspace)
        c = typed::Backspace;
    else if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        c = typed::Enter;
    else if (event.key() == Qt::Key_Escape)
        c = typed::Escape;
    else if ((event.modifiers() & Qt::ControlModifier) && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        c = static_cast<char32_t>(event.key() - Qt::Key_A + 1); // the control character it types
    else if (!event.text().isEmpty())
        c = event.text().toUcs4().value(0);
    else
        return true; // no character: arrows, Delete, Home, End, modifiers
    return hexFieldLetsThrough(c);
}

void HexEdit::keyPressEvent(QKeyEvent* event)
{
    if (!letsThrough(*event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool HexEdit::focusNextPrevChild(bool next)
{
    if (mustStay()) {
        refuse();
        return true;
    }
    return QLineEdit::focusNextPrevChild(next);
}

void HexEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The focus went to another control of the window: it comes back, and
    // a press that moved it goes no further.
    QWidget* now = QApplication::focusWidget();
    const bool within = now && now != this && now->window() == window();
    if (within && mustStay() && event->reason() != Qt::PopupFocusReason && !m_leaving) {
        m_leaving = true;
        QPointer<HexEdit> self(this);
        QTimer::singleShot(0, this, [self] {
            if (!self) return;
            self->m_leaving = false;
            if (self->isVisible()) self->refuse();
        });
    }
}

bool HexEdit::eventFilter(QObject* watched, QEvent* event)
{
    // A press moves the focus before it is delivered: the press that took
    // the focus away is dropped here.
    const QEvent::Type type = event->type();
    if (m_leaving && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                      type == QEvent::MouseButtonRelease) &&
        watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window())
        return true;
    return QLineEdit::eventFilter(watched, event);
}

void HexEdit::refuse()
{
    QApplication::beep();
    showErrorBox(window(), InvalidInputMessage);
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
}
