#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/pick_overlay.h"
#include "platform/wlroots/wlroots_connection.h"

struct zwlr_layer_surface_v1;
struct zwlr_virtual_pointer_v1;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace tintora::wlroots {

// The pick mode's overlay: on every output a transparent surface of the
// layer shell's overlay layer, over every window, taking the pointer and
// the keys while shown. Its handlers only note what they hear (the pointer's
// position at once); clicks and keys reach the listener after the dispatch,
// from the event loop, never inside a probe tick's screen copy.
//
// It also moves the pointer (through the virtual pointer, where the
// compositor offers one) and keeps the axis locks' line: a motion off the
// line is put back on it at once.
class Overlay {
public:
    explicit Overlay(std::shared_ptr<Connection> connection);
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    void setListener(PickOverlayListener* listener) { m_listener = listener; }
    bool show(std::string& why);
    void hide();
    bool shown() const { return !m_surfaces.empty(); }

    // Where the pointer is over the overlay; nothing while it is hidden or
    // before the pointer has entered it.
    std::optional<Point> position() const { return m_position; }

    bool canMovePointer() const;
    // Puts the pointer at p exactly (on the pixel's centre).
    void moveTo(Point p);
    // Keeps the pointer inside rect while the overlay is shown.
    void confine(Rect rect);
    void release() { m_confinement.reset(); }

private:
    struct Surface {
        wl_output* wlOutput = nullptr;
        wl_surface* surface = nullptr;
        zwlr_layer_surface_v1* layer = nullptr;
        std::unique_ptr<ShmBuffer> buffer;
    };
    struct Heard {
        enum class Kind { Click, Key, Closed } kind;
        Point at;
        KeyChord key;
        bool pressed = false;
    };

    void deliver();
    Surface* surfaceOf(wl_surface* surface);
    void pointerAt(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    void keepOnLine();
    void bindSeat();

    // The wl_seat, wl_pointer, wl_keyboard and layer surface events.
    static void seatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
    static void pointerEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                             wl_fixed_t y);
    static void pointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*);
    static void pointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y);
    static void pointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                              std::uint32_t state);
    static void keyboardKeymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size);
    static void keyboardKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                            std::uint32_t state);
    static void keyboardModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t,
                                  std::uint32_t, std::uint32_t);
    static void layerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                               std::uint32_t height);
    static void layerClosed(void* data, zwlr_layer_surface_v1* layer);

    std::shared_ptr<Connection> m_connection;
    PickOverlayListener* m_listener = nullptr;
    std::vector<std::unique_ptr<Surface>> m_surfaces;
    wl_pointer* m_pointer = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    zwlr_virtual_pointer_v1* m_virtualPointer = nullptr;
    std::unique_ptr<ShmBuffer> m_cursorBuffer;
    wl_surface* m_cursorSurface = nullptr;
    Point m_cursorHotspot;
    wl_surface* m_pointerSurface = nullptr; // the overlay surface the pointer is over
    std::optional<Point> m_position;
    std::optional<Rect> m_confinement;
    // The keymap the compositor sent, and the modifiers in force.
    xkb_context* m_xkb = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xkb_state* m_keyState = nullptr;
    std::vector<Heard> m_heard;
};

// The overlay as the program's platform offers it.
class WlrootsPickOverlay final : public PickOverlay {
public:
    explicit WlrootsPickOverlay(std::shared_ptr<Overlay> overlay) : m_overlay(std::move(overlay)) {}
    ~WlrootsPickOverlay() override { m_overlay->setListener(nullptr); }
    void setListener(PickOverlayListener* listener) override { m_overlay->setListener(listener); }
    bool show(std::string& why) override { return m_overlay->show(why); }
    void hide() override { m_overlay->hide(); }
    bool shown() override { return m_overlay->shown(); }

private:
    std::shared_ptr<Overlay> m_overlay;
};

} // namespace tintora::wlroots
