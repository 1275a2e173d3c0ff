#pragma once

// A display of its own in front of a private Xvfb that hides one of the
// server's extensions: every connection is passed through byte for byte but
// for the server's answer to QueryExtension for that name, which says the
// extension is absent. For servers that cannot be started without it
// (Xvfb's X Input extension cannot be disabled).

#include <atomic>
#include <string>
#include <thread>

#include "support/xvfb.h"

namespace tintora::test {

class HiddenExtensionDisplay {
public:
    HiddenExtensionDisplay(const Xvfb& server, std::string extension);
    ~HiddenExtensionDisplay();
    HiddenExtensionDisplay(const HiddenExtensionDisplay&) = delete;
    HiddenExtensionDisplay& operator=(const HiddenExtensionDisplay&) = delete;

    // Whether it listens; error() says why not.
    bool listening() const { return m_listener >= 0; }
    const std::string& error() const { return m_error; }
    // ":n", for DISPLAY.
    const std::string& displayName() const { return m_name; }

private:
    void run();

    std::string m_serverSocket;
    std::string m_extension;
    std::string m_name;
    std::string m_socketPath;
    std::string m_lockPath;
    std::string m_error;
    int m_listener = -1;
    int m_stop[2] = {-1, -1};
    std::thread m_thread;
};

} // namespace tintora::test
