#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/geometry.h"

namespace tintora::wayland {

// A session of the desktop portal's ScreenCast (org.freedesktop.portal.
// ScreenCast on the session bus): one monitor, the pointer as metadata of
// each frame, and the user's consent kept by the portal under a restore
// token that the program keeps in a file of its own, so that later starts
// ask nothing. The portal answers each request by a signal, so the
// application object must exist and its event loop is run while waiting.
class ScreenCastPortal : public QObject {
    Q_OBJECT
public:
    // Why this session's portal cannot cast the screen with the pointer's
    // position, or nothing. Asks only the portal's properties.
    static std::optional<std::string> unavailableReason();

    // Creates the session and starts it: the portal restores the consent the
    // token in tokenFile stands for, or asks the user (a dialog, waited for
    // without a deadline). Nothing, with the reason in error, when the portal
    // refuses or the user declines.
    static std::unique_ptr<ScreenCastPortal> start(const std::string& tokenFile, std::string& error);
    ~ScreenCastPortal() override;

    // The PipeWire node of the monitor's stream, and where the monitor lies
    // on the desktop.
    std::uint32_t node() const { return m_node; }
    Rect area() const { return m_area; }

    // A connection to PipeWire that reaches the stream (the caller owns the
    // descriptor), or -1 with the reason in error.
    int openPipeWireRemote(std::string& error);

private slots:
    void onResponse(uint response, const QVariantMap& results);

private:
    ScreenCastPortal() = default;
    // Calls a method whose answer is a Request's Response signal and waits
    // for it (without a deadline when there is none). Nothing, with the
    // reason in error, when the call fails, the time runs out or the answer
    // is not a success.
    std::optional<QVariantMap> request(const QString& method, QList<QVariant> arguments, QVariantMap options,
                                       std::optional<std::chrono::milliseconds> deadline, std::string& error);

    QString m_session;
    std::uint32_t m_node = 0;
    Rect m_area;
    int m_requests = 0;
    std::optional<std::pair<uint, QVariantMap>> m_answer;
};

} // namespace tintora::wayland
