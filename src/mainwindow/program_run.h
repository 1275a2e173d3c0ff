#pragma once

#include <functional>
#include <string>

#include "platform/clipboard.h"
#include "pointer/pointer_aids.h"

// Where the run is, and the close sequence that ends it, once: probing
// stops, the pointer is given back, the copied colour kept, the settings
// saved last (a failure may wait on a box). Also where errors go: to a box,
// or to the standard error once nobody may be there to answer one (a signal
// ended the program, or the display has gone).
class ProgramRun {
public:
    // Probing, in the close sequence (the pointer given back, the settings
    // being saved, perhaps behind a box that waits for an answer), or over.
    enum class State { Running, Closing, Closed };

    // What the sequence asks of the window.
    struct WindowSteps {
        std::function<void()> stopProbing;                      // the timer, the pick mode
        std::function<void()> saveSettings;                     // may show an error
        std::function<void()> closeWindow;                      // a close request to the window
        std::function<void(const std::string&)> showErrorBox;   // a box that waits for an answer
    };

    ProgramRun(tintora::PointerAids& pointerAids, tintora::Clipboard& clipboard, WindowSteps steps);

    State state() const { return m_state; }
    bool running() const { return m_state == State::Running; }

    // The close sequence, run once; later calls do nothing.
    void finishRun();
    // Closes as a close request does, but reports problems on the standard
    // error instead of a box (signals).
    void closeQuietly();
    // The display has gone: only the settings can still be kept.
    void saveAfterDisplayLoss();
    // An error in a box, or on the standard error when nobody may answer one.
    void showError(const std::string& message);

private:
    tintora::PointerAids& m_pointerAids;
    tintora::Clipboard& m_clipboard;
    WindowSteps m_steps;
    State m_state = State::Running;
    // Errors go to the standard error, not to a box: nobody may be there to
    // answer one (a signal ended the program, or the display has gone).
    bool m_errorsToStandardError = false;
};
