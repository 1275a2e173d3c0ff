#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

// Answers the next modal window the way a user would. Made before the call
// that opens the modal (which returns only once it is closed): as soon as a
// modal window is up, answer runs with it, inside the modal's own event loop.
//
// The test fails, and goes on, when no modal window comes within the
// deadline, or when the answer leaves it open for longer than that (it is
// closed then, so the test cannot hang). Made with Expect::None it stands
// guard instead: a modal window that comes fails the test and is answered
// all the same. The polling timer belongs to this object and dies with it:
// nothing is left to fire into a later test.
class ModalAnswer {
public:
    enum class Expect { One, None };

    explicit ModalAnswer(std::function<void(QWidget*)> answer,
                         std::chrono::milliseconds deadline = std::chrono::milliseconds(5000),
                         Expect expect = Expect::One)
        : m_answer(std::move(answer)), m_deadline(deadline.count()), m_expect(expect),
          m_timer(std::make_unique<QTimer>())
    {
        m_clock.start();
        m_timer->setInterval(5);
        QObject::connect(m_timer.get(), &QTimer::timeout, [this] { poll(); });
        m_timer->start();
    }

    ~ModalAnswer()
    {
        // The call under test has returned; a modal it left for later still
        // has the rest of the deadline to come.
        if (m_expect == Expect::One && !m_answered && !m_gaveUp && !QTest::qWaitFor([this] { return m_answered || m_gaveUp; }, remaining()))
            ADD_FAILURE() << "no modal window within " << m_deadline << " ms";
        m_timer->stop();
    }

    // An answer for the next modal window that opens over current, a modal
    // window already up (the error box of a dialog, say).
    static std::unique_ptr<ModalAnswer> over(QWidget* current, std::function<void(QWidget*)> answer)
    {
        auto a = std::make_unique<ModalAnswer>(std::move(answer));
        a->m_ignored = current;
        return a;
    }

    // A guard for a call that must bring up no modal window.
    static ModalAnswer none(std::function<void(QWidget*)> answer)
    {
        return ModalAnswer(std::move(answer), std::chrono::milliseconds(5000), Expect::None);
    }

    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    bool answered() const { return m_answered; }

private:
    int remaining() const { return static_cast<int>(std::max<qint64>(0, m_deadline - m_clock.elapsed())); }

    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal == m_ignored) modal = nullptr;
        if (!m_answered) {
            if (modal) {
                m_answered = true;
                m_modal = modal;
                m_clock.restart();
                if (m_expect == Expect::None)
                    ADD_FAILURE() << "a modal window came: " << modal->windowTitle().toStdString();
                m_answer(modal);
            } else if (m_expect == Expect::One && remaining() == 0) {
                m_gaveUp = true;
                m_timer->stop();
                ADD_FAILURE() << "no modal window within " << m_deadline << " ms";
            }
            return;
        }
        // Answered: watch the window go.
        if (!m_modal || !m_modal->isVisible()) {
            m_timer->stop();
        } else if (remaining() == 0) {
            m_timer->stop();
            ADD_FAILURE() << "the answer left the modal window open for " << m_deadline << " ms";
            if (auto* dialog = qobject_cast<QDialog*>(m_modal.data()))
                dialog->reject();
            else
                m_modal->close();
        }
    }

    std::function<void(QWidget*)> m_answer;
    qint64 m_deadline;
    Expect m_expect;
    QElapsedTimer m_clock;
    std::unique_ptr<QTimer> m_timer;
    QPointer<QWidget> m_modal;
    QPointer<QWidget> m_ignored; // a modal window that was up before
    bool m_answered = false;
    bool m_gaveUp = false;
};

// What a message box showed.
struct MessageBoxSeen {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// An answer for ModalAnswer: the modal must be a message box; what it shows
// goes into seen, whileUp (when given) looks at things while it waits for
// the user, and it is accepted.
inline std::function<void(QWidget*)> acceptMessageBox(MessageBoxSeen& seen, std::function<void()> whileUp = {})
{
    return [&seen, whileUp](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << "the modal window is no message box";
        seen = {box->windowTitle(), box->text(), box->icon()};
        if (whileUp) whileUp();
        box->accept();
    };
}

