#include "mainwindow/program_run.h"

#include <QApplication>
#include <iostream>

#include "core/error_text.h"

ProgramRun::ProgramRun(tintora::PointerAids& pointerAids, tintora::Clipboard& clipboard, WindowSteps steps)
    : m_pointerAids(pointerAids), m_clipboard(clipboard), m_steps(std::move(steps))
{
}

void ProgramRun::showError(const std::string& message)
{
    if (m_errorsToStandardError) {
        std::cerr << "tintora: " << tintora::errorBoxText(message) << '\n';
        return;
    }
    m_steps.showErrorBox(message);
}

void ProgramRun::closeQuietly()
{
    m_errorsToStandardError = true;
    if (m_state != State::Running) {
        // The close sequence already runs and waits on the user (a box about
        // a failed save): the pointer is the user's again, so the program
        // ends here, the file staying as it is.
        QApplication::exit(0);
        return;
    }
    m_steps.closeWindow();
}

void ProgramRun::saveAfterDisplayLoss()
{
    if (m_state != State::Running) return;
    // With the connection gone nothing can be given back or shown.
    m_state = State::Closed;
    m_pointerAids.stopWithoutGivingBack();
    m_errorsToStandardError = true;
    m_steps.saveSettings();
}

void ProgramRun::finishRun()
{
    if (m_state != State::Running) return;
    m_state = State::Closing;
    m_steps.stopProbing();
    // The pointer is given back before anything that can wait on the user;
    // the axis locks end with the program, whatever keys are still down, and
    // no key of any window takes the pointer again.
    m_pointerAids.giveBack();
    // A colour copied last stays pasteable after the program has gone.
    m_clipboard.keepAfterExit();
    // Last: a failure is reported in a box that waits for an answer.
    m_steps.saveSettings();
    m_state = State::Closed;
}
