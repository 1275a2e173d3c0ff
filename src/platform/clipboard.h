#pragma once

#include <string>

#include "platform/interface.h"

namespace tintora {

class Clipboard : public Interface {
public:
    // Replaces the clipboard's contents with text (UTF-8). Returns empty on
    // success, otherwise the system's description of what went wrong. Text
    // that was set stays pasteable after the program ends (see keepAfterExit).
    virtual std::string setText(const std::string& text) = 0;

    // Makes text this program set outlive it; call once when the program
    // ends. Does nothing when another program has taken the clipboard since.
    virtual void keepAfterExit() = 0;
};

} // namespace tintora
