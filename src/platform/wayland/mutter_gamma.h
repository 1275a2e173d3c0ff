#pragma once

#include <QDBusConnection>
#include <QObject>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "platform/gamma_ramps.h"

class QDBusMessage;

namespace tintora::wayland {

// The gamma ramps GNOME's compositor has loaded into the CRTCs, read from
// org.gnome.Mutter.DisplayConfig on the session bus: GetResources for the
// layout (each CRTC's rectangle and the output it drives), GetCrtcGamma for a
// CRTC's ramp. The layout is kept until Mutter announces MonitorsChanged; a
// ramp is kept for rampLifetime (see kDefaultRampLifetime for why).
//
// Monitors without a CRTC (virtual monitors, those of a remote desktop or a
// headless session) have no ramp, and GetResources does not list them: a
// point that no CRTC shows is on one of those, so it has no ramp (another
// CRTC's would be another monitor's). The signal arrives through the Qt
// event loop of the thread that made the object; every call is made on that
// thread.
class MutterGamma final : public QObject, public GammaRamps {
    Q_OBJECT
public:
    // GetCrtcGamma is a blocking round trip to Mutter. Measured on a loaded
    // two-core machine: Mutter 43 headless answers in 0.21 ms (median; 0.47
    // ms at the 99th percentile), a stand-in service with a 1024-entry ramp
    // in 0.33 ms. Cheap enough for every tick, but Mutter answers from the
    // main loop it also paints from, so a busy compositor keeps the
    // program's interface thread waiting on each call; and ramps change
    // seldom (a calibration loaded, Night Light's slow steps), with no
    // signal for it. So a ramp is kept for a second: a change shows within
    // a second, at one round trip a second per CRTC under the pointer.
    static constexpr std::chrono::milliseconds kDefaultRampLifetime{1000};
    // A compositor that does not answer in this time is taken as failing for
    // this read (the ramp kept from before, if any, stays in use).
    static constexpr int kCallTimeoutMs = 250;

    explicit MutterGamma(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                         std::chrono::milliseconds rampLifetime = kDefaultRampLifetime);

    // Fills reading with the ramp of the CRTC whose rectangle (as
    // GetResources gives it, in Mutter's layout) holds p: 256 entries per
    // channel, resampled when Mutter's ramp has another size; the name of
    // the output it drives; the ramp's own size. False, reading untouched,
    // when no CRTC shows p or its ramp cannot be read.
    bool rampAt(Point p, RampReading& reading) override;
    // The ramps of every lit CRTC, in Mutter's order; those that cannot be
    // read are left out.
    std::vector<RampReading> allRamps() override;
    // Whether some CRTC's ramp can be read.
    bool canReadGammaRamp() override;

private slots:
    void monitorsChanged();

private:
    using Clock = std::chrono::steady_clock;

    struct Crtc {
        std::uint32_t id = 0;
        Rect rect;
        std::string output;
        // The latest read: when it was made, whether it gave a ramp.
        bool read = false;
        bool readable = false;
        Clock::time_point readAt;
        RampReading reading;
    };

    QDBusMessage call(const QString& method, const QList<QVariant>& arguments);
    void refreshLayoutIfChanged();
    bool readLayout();
    Crtc* crtcAt(Point p);
    // The CRTC's reading, read again when older than the lifetime; false
    // when its ramp cannot be read.
    bool refreshRamp(Crtc& crtc);
    bool readRamp(Crtc& crtc);

    QDBusConnection m_bus;
    std::chrono::milliseconds m_rampLifetime;
    std::vector<Crtc> m_crtcs;
    std::uint32_t m_serial = 0;
    bool m_layoutStale = true;
};

} // namespace tintora::wayland
