// The wlroots pick mode's sampling against its floor, on a private headless
// sway: one tick's reads through the backend (the pointer's position over the
// overlay, the pixel's screen copy, the ramp that cannot be read) and the
// magnifier's block, each beside a bare screen copy of the same region made
// straight with libwayland. Prints the medians and the summary rows. A copy
// waits for the compositor's next frame: on a still screen most of a
// refresh, the same for the floor.
//   wlroots_bench [ITERATIONS]

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "platform/screen_image.h"
#include "platform/session_backends.h"
#include "platform/wlroots/wlroots_connection.h"
#include "probe/sampler.h"
#include "support/headless_sway.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

using namespace tintora;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// The magnifier's largest block at its default zoom.
constexpr int Block = 41;

double medianMicroseconds(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

template <typename F>
double timeEach(int iterations, F run)
{
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(iterations));
    for (int i = 0; i < iterations; ++i) {
        const auto start = Clock::now();
        run();
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return medianMicroseconds(std::move(samples));
}

// The floor: capture_output_region into one shared-memory buffer, waiting
// with the plainest blocking dispatch.
struct BareCopy {
    wlroots::Connection& c;
    wl_event_queue* queue = nullptr;
    std::unique_ptr<wlroots::ShmBuffer> buffer;
    bool offered = false, done = false;
    std::uint32_t format = 0, width = 0, height = 0, stride = 0;

    ~BareCopy() { wl_event_queue_destroy(queue); }

    static void onBuffer(void* d, zwlr_screencopy_frame_v1*, std::uint32_t f, std::uint32_t w, std::uint32_t h,
                         std::uint32_t s)
    {
        auto* b = static_cast<BareCopy*>(d);
        b->format = f, b->width = w, b->height = h, b->stride = s, b->offered = true;
    }
    static void onFlags(void*, zwlr_screencopy_frame_v1*, std::uint32_t) {}
    static void onReady(void* d, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t)
    {
        static_cast<BareCopy*>(d)->done = true;
    }
    static void onFailed(void* d, zwlr_screencopy_frame_v1*) { static_cast<BareCopy*>(d)->done = true; }
    static void onDamage(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void onDmabuf(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void onBufferDone(void*, zwlr_screencopy_frame_v1*) {}

    void copy(Rect r)
    {
        static const zwlr_screencopy_frame_v1_listener listener = {onBuffer, onFlags,  onReady,     onFailed,
                                                                   onDamage, onDmabuf, onBufferDone};
        auto* manager = static_cast<zwlr_screencopy_manager_v1*>(wl_proxy_create_wrapper(c.screencopy));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(manager), queue);
        offered = done = false;
        zwlr_screencopy_frame_v1* frame =
            zwlr_screencopy_manager_v1_capture_output_region(manager, 0, c.outputs.front().output, r.x, r.y, r.width, r.height);
        wl_proxy_wrapper_destroy(manager);
        zwlr_screencopy_frame_v1_add_listener(frame, &listener, this);
        while (!offered && wl_display_dispatch_queue(c.display, queue) >= 0) {
        }
        if (!buffer || !buffer->fits(format, static_cast<int>(width), static_cast<int>(height), static_cast<int>(stride)))
            buffer = wlroots::ShmBuffer::create(c.shm, format, static_cast<int>(width), static_cast<int>(height),
                                                static_cast<int>(stride));
        zwlr_screencopy_frame_v1_copy(frame, buffer->buffer());
        while (!done && wl_display_dispatch_queue(c.display, queue) >= 0) {
        }
        zwlr_screencopy_frame_v1_destroy(frame);
    }
};

void row(const std::string& figure, double measured, double floor)
{
    // One copy's wait and no more: the backend's own waiting, the buffers'
    // reuse and the sampling add next to nothing (a tick that copied twice
    // would take two frames).
    const bool met = measured <= 1.1 * floor + 50;
    std::cout << "| " << figure << " | " << measured << " µs (bare copy " << floor << " µs) | within 10 % + 50 µs of "
              << "the bare copy | " << (met ? "yes" : "NO") << " |\n";
}

} // namespace

int main(int argc, char** argv)
{
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;
    QCoreApplication app(argc, argv);
    test::HeadlessSway sway;
    if (!sway.running()) {
        std::cerr << "wlroots_bench: no headless sway here: " << sway.error() << '\n';
        return 1;
    }
    // This process reaches the session's socket by its path.
    const test::EnvironmentChanges session = sway.clientEnvironment();
    const std::string socket = *session.at("XDG_RUNTIME_DIR") + "/" + *session.at("WAYLAND_DISPLAY");
    ::setenv("WAYLAND_DISPLAY", socket.c_str(), 1);

    auto opened = wlroots::Entry.openPlatform();
    if (auto* why = std::get_if<std::string>(&opened)) {
        std::cerr << "wlroots_bench: " << *why << '\n';
        return 1;
    }
    Platform& platform = std::get<Platform>(opened);
    std::string why;
    if (!platform.pickOverlay->show(why)) {
        std::cerr << "wlroots_bench: " << why << '\n';
        return 1;
    }
    const Point at{700, 400};
    const bool over = test::waitUntil(20000ms, [&] {
        QCoreApplication::processEvents();
        if (platform.pointer->position() == at) return true;
        sway.movePointer(at);
        QCoreApplication::processEvents();
        return platform.pointer->position() == at;
    });
    if (!over) {
        std::cerr << "wlroots_bench: the pointer never came over the overlay\n";
        return 1;
    }

    Sampler sampler;
    ScreenImage image;
    const Rect block{at.x - Block / 2, at.y - Block / 2, Block, Block};
    const double tick = timeEach(iterations, [&] { sampler.samplePointer(platform.screen, *platform.pointer, std::cerr); });
    const double magnifier = timeEach(iterations, [&] { platform.screen.pixels->grab(block, image); });
    // With the magnifier shown a tick grabs its block, then samples the
    // pixel inside it.
    const double tickWithMagnifier = timeEach(iterations, [&] {
        platform.screen.pixels->grab(block, image);
        sampler.samplePointer(platform.screen, *platform.pointer, std::cerr);
    });

    std::string error;
    auto connection = wlroots::Connection::open(error);
    if (!connection || !connection->screencopy || connection->outputs.empty()) {
        std::cerr << "wlroots_bench: no screen copy for the floor: " << error << '\n';
        return 1;
    }
    BareCopy bare{*connection, wl_display_create_queue(connection->display), nullptr};
    const double pixelFloor = timeEach(iterations, [&] { bare.copy({at.x, at.y, 1, 1}); });
    const double blockFloor = timeEach(iterations, [&] { bare.copy(block); });

    std::cout << "median of " << iterations << " runs each\n";
    row("wlroots pick-mode tick's sampling (position, 1 px copy, no ramp)", tick, pixelFloor);
    row("wlroots magnifier block (41 x 41 copy)", magnifier, blockFloor);
    row("wlroots pick-mode tick with the magnifier (block, then the pixel in it)", tickWithMagnifier, blockFloor);
    platform.pickOverlay->hide();
    return 0;
}
