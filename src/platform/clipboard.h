#pragma once

#include <string>

namespace tintora {

class Clipboard {
public:
    Clipboard() = default;
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
    virtual ~Clipboard() = default;

    // Replaces the clipboard's contents with text (UTF-8). Returns empty on
    // success, otherwise the system's description of what went wrong. Text
    // that was set stays pasteable after the program ends.
    virtual std::string setText(const std::string& text) = 0;
};

} // namespace tintora
