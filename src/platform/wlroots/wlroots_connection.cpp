#include "platform/wlroots/wlroots_connection.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace tintora::wlroots {

namespace {

// How long the registry's and the outputs' first answers may take.
constexpr int FirstAnswersRoundTrips = 2;

// The wl_output events: only the current mode's size is kept, for
// compositors without xdg-output (which then lay every output at 0, 0).
void outputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t)
{
}
void outputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t)
{
    auto* output = static_cast<Output*>(data);
    if (!(flags & WL_OUTPUT_MODE_CURRENT) || output->xdgOutput) return;
    output->rect.width = width;
    output->rect.height = height;
}
void outputDone(void*, wl_output*) {}
void outputScale(void*, wl_output*, std::int32_t) {}
const wl_output_listener OutputListener = {outputGeometry, outputMode, outputDone, outputScale, nullptr, nullptr};

void xdgPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y)
{
    auto* output = static_cast<Output*>(data);
    output->rect.x = x;
    output->rect.y = y;
}
void xdgSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height)
{
    auto* output = static_cast<Output*>(data);
    output->rect.width = width;
    output->rect.height = height;
}
void xdgDone(void*, zxdg_output_v1*) {}
void xdgName(void* data, zxdg_output_v1*, const char* name) { static_cast<Output*>(data)->name = name; }
void xdgDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener XdgOutputListener = {xdgPosition, xdgSize, xdgDone, xdgName, xdgDescription};

} // namespace

// ShmBuffer

std::unique_ptr<ShmBuffer> ShmBuffer::create(wl_shm* shm, std::uint32_t format, int width, int height, int stride)
{
    if (width <= 0 || height <= 0 || stride < width * 4) return nullptr;
    std::unique_ptr<ShmBuffer> b(new ShmBuffer);
    b->m_size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    const int fd = memfd_create("tintora-screen", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    if (ftruncate(fd, static_cast<off_t>(b->m_size)) != 0) {
        close(fd);
        return nullptr;
    }
    b->m_memory = mmap(nullptr, b->m_size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (b->m_memory == MAP_FAILED) {
        b->m_memory = nullptr;
        close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(b->m_size));
    b->m_buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    close(fd);
    b->m_format = format;
    b->m_width = width;
    b->m_height = height;
    b->m_stride = stride;
    return b;
}

ShmBuffer::~ShmBuffer()
{
    if (m_buffer) wl_buffer_destroy(m_buffer);
    if (m_memory) munmap(m_memory, m_size);
}

// Connection

const wl_registry_listener Connection::RegistryListener = {Connection::global, Connection::globalRemove};

std::unique_ptr<Connection> Connection::open(std::string& why)
{
    std::unique_ptr<Connection> c(new Connection);
    c->display = wl_display_connect(nullptr);
    if (!c->display) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        why = std::string("Cannot reach the Wayland display \"") + (name ? name : "") + "\".";
        return nullptr;
    }
    c->m_copyQueue = wl_display_create_queue(c->display);
    c->registry = wl_display_get_registry(c->display);
    wl_registry_add_listener(c->registry, &RegistryListener, c.get());
    // The globals, then the outputs' places.
    for (int i = 0; i < FirstAnswersRoundTrips; ++i) {
        if (wl_display_roundtrip(c->display) < 0) {
            why = "The Wayland compositor closed the connection.";
            return nullptr;
        }
    }
    return c;
}

Connection::~Connection()
{
    *m_alive = false;
    delete m_notifier;
    for (Output& o : outputs) {
        if (o.xdgOutput) zxdg_output_v1_destroy(o.xdgOutput);
        if (o.output) wl_output_destroy(o.output);
    }
    if (screencopy) wl_proxy_wrapper_destroy(screencopy);
    // Its destroy request is newer than the first version: forgotten here only.
    if (layerShell) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell));
    if (virtualPointers) zwlr_virtual_pointer_manager_v1_destroy(virtualPointers);
    if (xdgOutputs) zxdg_output_manager_v1_destroy(xdgOutputs);
    if (seat) wl_seat_destroy(seat);
    if (shm) wl_shm_destroy(shm);
    if (compositor) wl_compositor_destroy(compositor);
    if (registry) wl_registry_destroy(registry);
    if (m_copyQueue) wl_event_queue_destroy(m_copyQueue);
    if (display) wl_display_disconnect(display);
}

void Connection::global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                        std::uint32_t version)
{
    auto* c = static_cast<Connection*>(data);
    auto bind = [&](const wl_interface* what, std::uint32_t highest) {
        return wl_registry_bind(registry, name, what, std::min(version, highest));
    };
    const std::string_view i = interface;
    if (i == wl_compositor_interface.name) {
        c->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (i == wl_shm_interface.name) {
        c->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (i == wl_seat_interface.name && !c->seat) {
        c->seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
    } else if (i == wl_output_interface.name) {
        Output& o = c->outputs.emplace_back();
        o.globalName = name;
        o.name = "output-" + std::to_string(name);
        o.output = static_cast<wl_output*>(bind(&wl_output_interface, 2));
        // Its listener data moves with the vector: set again below, once
        // every output is known.
        if (c->xdgOutputs) c->addXdgOutput(o);
        for (Output& each : c->outputs) {
            wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(each.output), &each);
            if (each.xdgOutput) wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(each.xdgOutput), &each);
        }
        wl_output_add_listener(o.output, &OutputListener, &o);
    } else if (i == zwlr_screencopy_manager_v1_interface.name) {
        c->screencopyVersion = std::min(version, 3u);
        auto* manager = static_cast<zwlr_screencopy_manager_v1*>(bind(&zwlr_screencopy_manager_v1_interface, 3));
        // Its frames, made through the wrapper, come on the copy queue.
        c->screencopy = static_cast<zwlr_screencopy_manager_v1*>(wl_proxy_create_wrapper(manager));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(c->screencopy), c->m_copyQueue);
    } else if (i == zwlr_layer_shell_v1_interface.name) {
        c->layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 1));
    } else if (i == zwlr_virtual_pointer_manager_v1_interface.name) {
        c->virtualPointers =
            static_cast<zwlr_virtual_pointer_manager_v1*>(bind(&zwlr_virtual_pointer_manager_v1_interface, 1));
    } else if (i == zxdg_output_manager_v1_interface.name) {
        c->xdgOutputs = static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 2));
        for (Output& o : c->outputs)
            if (!o.xdgOutput) c->addXdgOutput(o);
    }
}

void Connection::addXdgOutput(Output& output)
{
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputs, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &XdgOutputListener, &output);
}

void Connection::globalRemove(void* data, wl_registry*, std::uint32_t name)
{
    auto* c = static_cast<Connection*>(data);
    auto gone = std::find_if(c->outputs.begin(), c->outputs.end(), [&](const Output& o) { return o.globalName == name; });
    if (gone == c->outputs.end()) return;
    if (gone->xdgOutput) zxdg_output_v1_destroy(gone->xdgOutput);
    wl_output_destroy(gone->output);
    c->outputs.erase(gone);
    for (Output& each : c->outputs) {
        wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(each.output), &each);
        if (each.xdgOutput) wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(each.xdgOutput), &each);
    }
}

std::vector<Rect> Connection::outputRects() const
{
    std::vector<Rect> rects;
    rects.reserve(outputs.size());
    for (const Output& o : outputs) rects.push_back(o.rect);
    return rects;
}

const Output* Connection::outputAt(Point p) const
{
    for (const Output& o : outputs)
        if (o.rect.contains(p)) return &o;
    return nullptr;
}

bool Connection::waitOnCopyQueue(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool ok = true;
    while (!done()) {
        if (wl_display_prepare_read_queue(display, m_copyQueue) != 0) {
            if (wl_display_dispatch_queue_pending(display, m_copyQueue) < 0) {
                ok = false;
                break;
            }
            continue;
        }
        wl_display_flush(display);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd descriptor{wl_display_get_fd(display), POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&descriptor, 1, static_cast<int>(left.count()) + 1) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR) continue;
            ok = false;
            break;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_queue_pending(display, m_copyQueue) < 0) {
            ok = false;
            break;
        }
    }
    // What came meanwhile for the overlay is handled once the tick is over.
    scheduleDefaultDispatch();
    return ok;
}

void Connection::flush() { wl_display_flush(display); }

void Connection::dispatchFromEventLoop(std::function<void()> afterDispatch)
{
    m_afterDispatch = std::move(afterDispatch);
    if (m_notifier) return;
    m_notifier = new QSocketNotifier(wl_display_get_fd(display), QSocketNotifier::Read);
    QObject::connect(m_notifier, &QSocketNotifier::activated, [this] { dispatchDefaultQueue(); });
    wl_display_flush(display);
}

void Connection::scheduleDefaultDispatch()
{
    if (!m_notifier || m_dispatchScheduled) return;
    m_dispatchScheduled = true;
    std::weak_ptr<bool> alive = m_alive;
    QTimer::singleShot(0, m_notifier, [this, alive] {
        if (alive.expired()) return;
        m_dispatchScheduled = false;
        dispatchDefaultQueue();
    });
}

void Connection::dispatchDefaultQueue()
{
    // Read only what is there: the copies may have read it already.
    while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
    pollfd descriptor{wl_display_get_fd(display), POLLIN, 0};
    if (poll(&descriptor, 1, 0) > 0)
        wl_display_read_events(display);
    else
        wl_display_cancel_read(display);
    wl_display_dispatch_pending(display);
    wl_display_flush(display);
    if (m_afterDispatch) m_afterDispatch();
}

} // namespace tintora::wlroots
