#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/clipboard.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

// The CLIPBOARD selection. Qt owns it and answers the requests for it while
// the program runs. When the program ends still owning text it set, Qt hands
// the text to the clipboard manager, if one owns CLIPBOARD_MANAGER; where none
// does, a keeper process takes the selection over and serves the text until
// another program copies something or the X server goes away.
class X11Clipboard final : public Clipboard {
public:
    explicit X11Clipboard(std::shared_ptr<Connection> connection);
    std::string setText(const std::string& text) override;
    void keepAfterExit() override;

private:
    std::shared_ptr<Connection> m_connection;
    std::optional<std::string> m_text; // what the last successful setText set
    Window m_qtOwner = None;           // the window Qt owns the selection with
    bool m_keepAsked = false;
};

// The keeper is this program's own binary started again with
// KeeperEnvironment=1 in its environment and a socket to the program as file
// descriptor KeeperChannel. The program sends the window it owns the
// selection with (decimal), a newline and the text, then closes its sending
// side; the keeper answers one byte, KeeperTookOver once it owns the
// selection, anything else when it could not take it.
inline constexpr const char* KeeperEnvironment = "TINTORA_CLIPBOARD_KEEPER";
inline constexpr int KeeperChannel = 3;
inline constexpr char KeeperTookOver = 'K';
// Its argv[0], which is what ps shows of it.
inline constexpr const char* KeeperName = "tintora-clipboard-keeper";

// Whether this process was started as the keeper.
bool startedAsClipboardKeeper();
// The keeper's whole life; returns its exit status.
int runClipboardKeeper();

} // namespace tintora::x11
