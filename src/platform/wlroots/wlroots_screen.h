#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "platform/display_profiles.h"
#include "platform/gamma_ramps.h"
#include "platform/monitors.h"
#include "platform/pixels.h"
#include "platform/wlroots/wlroots_connection.h"

namespace tintora::wlroots {

// The pixels through wlroots' screen copy: each read copies just its pixel
// or block of an output into shared memory (the compositor answers in well
// under a millisecond, with no prompt; the pointer is left out of the
// copy).
class WlrootsPixels final : public Pixels {
public:
    explicit WlrootsPixels(std::shared_ptr<Connection> connection);

    bool canReadPixels() override;
    ColourValue pixel(Point p) override;
    bool grab(Rect rect, ScreenImage& image) override;

private:
    // Copies rect (inside output) into a buffer of the cache; nullptr when
    // the compositor copied nothing.
    struct Copy {
        const ShmBuffer* buffer = nullptr;
        std::uint32_t format = 0;
        int width = 0, height = 0, stride = 0;
        bool yInverted = false;
    };
    bool copyRegion(const Output& output, Rect rect, Copy& copy);
    const ShmBuffer* bufferFor(std::uint32_t format, int width, int height, int stride);

    std::shared_ptr<Connection> m_connection;
    // Buffers of the sizes asked lately (the pixel, the magnifier's block),
    // reused from tick to tick.
    std::vector<std::unique_ptr<ShmBuffer>> m_buffers;
    std::vector<std::uint32_t> m_row; // one row turned into the image's layout
    // The latest block grabbed, for the pixel read in the same tick: each
    // copy waits for the compositor's next frame (up to one refresh), so the
    // magnifier's block serves the sample inside it.
    ScreenImage m_lastBlock;
    Rect m_lastBlockRect;
    std::chrono::steady_clock::time_point m_lastBlockTime;
};

// wlroots lets a client set a ramp but read none.
class WlrootsGammaRamps final : public GammaRamps {
public:
    bool canReadGammaRamp() override { return false; }
    bool rampAt(Point, RampReading&) override { return false; }
    std::vector<RampReading> allRamps() override { return {}; }
};

// No display profile is published to a client of a wlroots compositor.
class WlrootsDisplayProfiles final : public DisplayProfiles {
public:
    bool canReadProfiles() override { return false; }
    bool profileAt(Point, PublishedProfile&) override { return false; }
    std::vector<PublishedProfile> allProfiles() override { return {}; }
};

// The monitors are the compositor's outputs. It keeps panels' exclusive zones
// to itself, so a monitor is its own work area.
class WlrootsMonitors final : public Monitors {
public:
    explicit WlrootsMonitors(std::shared_ptr<Connection> connection);

    Rect virtualDesktop() override;
    std::vector<Rect> monitors() override;
    bool knowsWorkAreas() override { return false; }
    Rect primaryWorkArea() override;
    Rect workAreaAt(Point p) override;

private:
    std::shared_ptr<Connection> m_connection;
};

} // namespace tintora::wlroots
