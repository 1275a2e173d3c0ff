#pragma once

// The wlroots backend's own Wayland connection to the compositor, beside the
// toolkit's (whose Wayland internals are not public): the globals it binds,
// the outputs and their places in the layout, shared-memory buffers, and the
// two ways its events are read. The screen copies wait on a queue of their
// own, so a probe tick runs no other event's handler; everything else is
// dispatched from the toolkit's event loop.

#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/geometry.h"

struct zwlr_screencopy_manager_v1;
struct zwlr_layer_shell_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

class QSocketNotifier;

namespace tintora::wlroots {

// One output, as the compositor lays it out.
struct Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    std::uint32_t globalName = 0; // the registry's name for it
    std::string name;             // the connector ("HEADLESS-1", "DP-1")
    Rect rect;                    // its place in the layout, in pixels
};

// A buffer of shared memory the compositor copies into.
class ShmBuffer {
public:
    // width x height pixels of format, rows stride bytes apart; nullptr when
    // the memory cannot be had.
    static std::unique_ptr<ShmBuffer> create(wl_shm* shm, std::uint32_t format, int width, int height, int stride);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* buffer() const { return m_buffer; }
    const std::uint8_t* bytes() const { return static_cast<const std::uint8_t*>(m_memory); }
    std::uint8_t* bytes() { return static_cast<std::uint8_t*>(m_memory); }
    bool fits(std::uint32_t format, int width, int height, int stride) const
    {
        return format == m_format && width == m_width && height == m_height && stride == m_stride;
    }

private:
    ShmBuffer() = default;
    wl_buffer* m_buffer = nullptr;
    void* m_memory = nullptr;
    std::size_t m_size = 0;
    std::uint32_t m_format = 0;
    int m_width = 0, m_height = 0, m_stride = 0;
};

class Connection {
public:
    // Connects to $WAYLAND_DISPLAY and binds what the backend uses; nullptr,
    // with why said, when the compositor cannot be reached.
    static std::unique_ptr<Connection> open(std::string& why);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Whether the compositor lets clients copy the screen and lay a surface
    // over it: the two the backend cannot do without.
    bool offersScreenCopyAndOverlay() const { return screencopy && layerShell; }

    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    zwlr_screencopy_manager_v1* screencopy = nullptr; // its frames come on the copy queue
    std::uint32_t screencopyVersion = 0;
    zwlr_layer_shell_v1* layerShell = nullptr;
    zwlr_virtual_pointer_manager_v1* virtualPointers = nullptr;
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    std::vector<Output> outputs;

    // The outputs' rectangles, in the registry's order.
    std::vector<Rect> outputRects() const;
    // The output that shows p, or nullptr.
    const Output* outputAt(Point p) const;

    // Reads and dispatches the copy queue's events until done() holds or
    // timeout passes; false on the timeout or a broken connection. Events
    // for the default queue read meanwhile are dispatched later, from the
    // event loop.
    bool waitOnCopyQueue(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    wl_event_queue* copyQueue() const { return m_copyQueue; }

    // From now on the default queue's events are dispatched from the
    // toolkit's event loop, and afterDispatch runs after each such dispatch
    // (where the overlay hands on what it heard).
    void dispatchFromEventLoop(std::function<void()> afterDispatch);
    // Sends what is written so far.
    void flush();

private:
    Connection() = default;
    void dispatchDefaultQueue();
    void scheduleDefaultDispatch();

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void globalRemove(void* data, wl_registry* registry, std::uint32_t name);
    static const wl_registry_listener RegistryListener;
    void addXdgOutput(Output& output);

    wl_event_queue* m_copyQueue = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void()> m_afterDispatch;
    bool m_dispatchScheduled = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace tintora::wlroots
