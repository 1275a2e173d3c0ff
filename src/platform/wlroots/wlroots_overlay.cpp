#include "platform/wlroots/wlroots_overlay.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

#include "platform/wlroots/overlay_keys.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace tintora::wlroots {

namespace {

constexpr std::uint32_t PrimaryButton = 0x110; // BTN_LEFT

// The crosshair over the overlay: white arms edged in black, and a free
// centre. A compositor that draws the pointer into the picture (a software
// cursor) puts it in the screen copies too, so the pixel under the hot spot
// and those around it must stay the screen's own.
constexpr int CrosshairSize = 23;
constexpr int CrosshairGap = 3; // pixels left free on each side of the hot spot

std::unique_ptr<ShmBuffer> drawCrosshair(wl_shm* shm)
{
    auto buffer = ShmBuffer::create(shm, WL_SHM_FORMAT_ARGB8888, CrosshairSize, CrosshairSize, CrosshairSize * 4);
    if (!buffer) return nullptr;
    auto* pixels = reinterpret_cast<std::uint32_t*>(buffer->bytes());
    constexpr int c = CrosshairSize / 2;
    for (int y = 0; y < CrosshairSize; ++y) {
        for (int x = 0; x < CrosshairSize; ++x) {
            const int dx = std::abs(x - c), dy = std::abs(y - c);
            std::uint32_t colour = 0; // transparent
            if (std::max(dx, dy) > CrosshairGap) {
                if (dx == 0 || dy == 0)
                    colour = 0xFFFFFFFFu; // the arms
                else if (dx == 1 || dy == 1)
                    colour = 0xFF000000u; // their edges
            }
            pixels[y * CrosshairSize + x] = colour;
        }
    }
    return buffer;
}

void ignoreSeatName(void*, wl_seat*, const char*) {}
void ignoreAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void ignoreFrame(void*, wl_pointer*) {}
void ignoreAxisSource(void*, wl_pointer*, std::uint32_t) {}
void ignoreAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void ignoreAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void ignoreKeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void ignoreKeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void ignoreRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

std::uint32_t milliseconds()
{
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

} // namespace

Overlay::Overlay(std::shared_ptr<Connection> connection) : m_connection(std::move(connection))
{
    bindSeat();
    m_connection->dispatchFromEventLoop([this] { deliver(); });
}

Overlay::~Overlay()
{
    hide();
    if (m_virtualPointer) zwlr_virtual_pointer_v1_destroy(m_virtualPointer);
    if (m_cursorSurface) wl_surface_destroy(m_cursorSurface);
    if (m_pointer) wl_pointer_destroy(m_pointer);
    if (m_keyboard) wl_keyboard_destroy(m_keyboard);
    if (m_keyState) xkb_state_unref(m_keyState);
    if (m_keymap) xkb_keymap_unref(m_keymap);
    if (m_xkb) xkb_context_unref(m_xkb);
    m_connection->dispatchFromEventLoop({});
    m_connection->flush();
}

void Overlay::bindSeat()
{
    Connection& c = *m_connection;
    if (!c.seat) return;
    static const wl_seat_listener SeatListener = {seatCapabilities, ignoreSeatName};
    wl_seat_add_listener(c.seat, &SeatListener, this);
    if (c.virtualPointers)
        m_virtualPointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(c.virtualPointers, c.seat);
    // The pointer's picture over the overlay: drawn here, as no theme's
    // cursor leaves its hot spot free.
    if (c.shm && c.compositor) {
        m_cursorBuffer = drawCrosshair(c.shm);
        if (m_cursorBuffer) {
            m_cursorSurface = wl_compositor_create_surface(c.compositor);
            wl_surface_attach(m_cursorSurface, m_cursorBuffer->buffer(), 0, 0);
            wl_surface_damage(m_cursorSurface, 0, 0, CrosshairSize, CrosshairSize);
            wl_surface_commit(m_cursorSurface);
            m_cursorHotspot = {CrosshairSize / 2, CrosshairSize / 2};
        }
    }
    // The seat's capabilities, and with them the pointer and the keyboard.
    wl_display_roundtrip(c.display);
}

void Overlay::seatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities)
{
    auto* o = static_cast<Overlay*>(data);
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !o->m_pointer) {
        static const wl_pointer_listener PointerListener = {pointerEnter,     pointerLeave,   pointerMotion,
                                                            pointerButton,    ignoreAxis,     ignoreFrame,
                                                            ignoreAxisSource, ignoreAxisStop, ignoreAxisDiscrete,
                                                            nullptr};
        o->m_pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(o->m_pointer, &PointerListener, o);
    }
    // A seat may lose its keyboard (the last one unplugged, a virtual one
    // gone) and get one again: a new object then.
    if (!(capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && o->m_keyboard) {
        wl_keyboard_destroy(o->m_keyboard);
        o->m_keyboard = nullptr;
    }
    if (!(capabilities & WL_SEAT_CAPABILITY_POINTER) && o->m_pointer) {
        wl_pointer_destroy(o->m_pointer);
        o->m_pointer = nullptr;
        o->m_pointerSurface = nullptr;
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !o->m_keyboard) {
        static const wl_keyboard_listener KeyboardListener = {keyboardKeymap, ignoreKeyboardEnter, ignoreKeyboardLeave,
                                                              keyboardKey,  keyboardModifiers,   ignoreRepeat};
        o->m_keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(o->m_keyboard, &KeyboardListener, o);
    }
}

bool Overlay::show(std::string& why)
{
    if (shown()) return true;
    Connection& c = *m_connection;
    if (!c.layerShell || !c.compositor || !c.shm) {
        why = "The compositor offers no layer shell to lay the pick mode's overlay over the screen.";
        return false;
    }
    if (c.outputs.empty()) {
        why = "The compositor shows no output to pick from.";
        return false;
    }
    static const zwlr_layer_surface_v1_listener LayerListener = {layerConfigure, layerClosed};
    for (const Output& output : c.outputs) {
        auto s = std::make_unique<Surface>();
        s->wlOutput = output.output;
        s->surface = wl_compositor_create_surface(c.compositor);
        s->layer = zwlr_layer_shell_v1_get_layer_surface(c.layerShell, s->surface, output.output,
                                                         ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "tintora-pick");
        zwlr_layer_surface_v1_add_listener(s->layer, &LayerListener, this);
        zwlr_layer_surface_v1_set_anchor(s->layer,
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                             ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // Over panels too, and pushed aside by none.
        zwlr_layer_surface_v1_set_exclusive_zone(s->layer, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(s->layer, 1);
        wl_surface_commit(s->surface);
        m_surfaces.push_back(std::move(s));
    }
    c.flush();
    return true;
}

void Overlay::hide()
{
    for (auto& s : m_surfaces) {
        zwlr_layer_surface_v1_destroy(s->layer);
        wl_surface_destroy(s->surface);
    }
    m_surfaces.clear();
    m_pointerSurface = nullptr;
    m_position.reset();
    m_confinement.reset();
    m_connection->flush();
}

Overlay::Surface* Overlay::surfaceOf(wl_surface* surface)
{
    for (auto& s : m_surfaces)
        if (s->surface == surface) return s.get();
    return nullptr;
}

void Overlay::layerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                             std::uint32_t height)
{
    auto* o = static_cast<Overlay*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    for (auto& s : o->m_surfaces) {
        if (s->layer != layer) continue;
        // Fully transparent: the compositor shows the windows below as they are.
        s->buffer = ShmBuffer::create(o->m_connection->shm, WL_SHM_FORMAT_ARGB8888, static_cast<int>(width),
                                      static_cast<int>(height), static_cast<int>(width) * 4);
        if (s->buffer) wl_surface_attach(s->surface, s->buffer->buffer(), 0, 0);
        wl_surface_commit(s->surface);
    }
    o->m_connection->flush();
}

void Overlay::layerClosed(void* data, zwlr_layer_surface_v1*)
{
    auto* o = static_cast<Overlay*>(data);
    o->m_heard.push_back({Heard::Kind::Closed, {}, {}, false});
}

void Overlay::pointerAt(wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    const Surface* s = surfaceOf(surface);
    if (!s) return;
    for (const Output& output : m_connection->outputs) {
        if (output.output != s->wlOutput) continue;
        m_position = Point{output.rect.x + static_cast<int>(std::floor(wl_fixed_to_double(x))),
                           output.rect.y + static_cast<int>(std::floor(wl_fixed_to_double(y)))};
    }
    keepOnLine();
}

void Overlay::pointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                           wl_fixed_t y)
{
    auto* o = static_cast<Overlay*>(data);
    if (!o->surfaceOf(surface)) return;
    o->m_pointerSurface = surface;
    if (o->m_cursorSurface)
        wl_pointer_set_cursor(pointer, serial, o->m_cursorSurface, o->m_cursorHotspot.x, o->m_cursorHotspot.y);
    o->pointerAt(surface, x, y);
}

void Overlay::pointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface* surface)
{
    auto* o = static_cast<Overlay*>(data);
    // The last position stays: the pointer is on another output's surface
    // at the next enter.
    if (o->m_pointerSurface == surface) o->m_pointerSurface = nullptr;
}

void Overlay::pointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    auto* o = static_cast<Overlay*>(data);
    if (o->m_pointerSurface) o->pointerAt(o->m_pointerSurface, x, y);
}

void Overlay::pointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                            std::uint32_t state)
{
    auto* o = static_cast<Overlay*>(data);
    if (!o->m_pointerSurface || button != PrimaryButton || state != WL_POINTER_BUTTON_STATE_PRESSED || !o->m_position)
        return;
    o->m_heard.push_back({Heard::Kind::Click, *o->m_position, {}, true});
}

namespace {

HeldModifiers heldIn(xkb_state* state)
{
    if (!state) return {};
    auto held = [state](const char* name) {
        return xkb_state_mod_name_is_active(state, name, XKB_STATE_MODS_DEPRESSED) > 0;
    };
    return {held(XKB_MOD_NAME_SHIFT), held(XKB_MOD_NAME_CTRL), held(XKB_MOD_NAME_ALT)};
}

} // namespace

void Overlay::keyboardKeymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size)
{
    auto* o = static_cast<Overlay*>(data);
    xkb_keymap* keymap = nullptr;
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            if (!o->m_xkb) o->m_xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
            // The text ends with its terminating zero, within size.
            if (o->m_xkb)
                keymap = xkb_keymap_new_from_buffer(o->m_xkb, static_cast<const char*>(text),
                                                    strnlen(static_cast<const char*>(text), size),
                                                    XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(text, size);
        }
    }
    close(fd);
    if (!keymap) return;
    if (o->m_keyState) xkb_state_unref(o->m_keyState);
    if (o->m_keymap) xkb_keymap_unref(o->m_keymap);
    o->m_keymap = keymap;
    o->m_keyState = xkb_state_new(keymap);
}

void Overlay::keyboardKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                          std::uint32_t state)
{
    auto* o = static_cast<Overlay*>(data);
    if (!o->shown() || !o->m_keyState) return;
    // XKB numbers the keys 8 above evdev.
    const int code = keyOfSymbol(xkb_state_key_get_one_sym(o->m_keyState, key + 8), key);
    if (code == keys::Unknown) return;
    const HeldModifiers held = heldIn(o->m_keyState);
    o->m_heard.push_back(
        {Heard::Kind::Key, {}, {code, held.shift, held.ctrl, held.alt, false}, state == WL_KEYBOARD_KEY_STATE_PRESSED});
}

void Overlay::keyboardModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                                std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
{
    auto* o = static_cast<Overlay*>(data);
    if (!o->m_keyState) return;
    const HeldModifiers before = heldIn(o->m_keyState);
    xkb_state_update_mask(o->m_keyState, depressed, latched, locked, 0, 0, group);
    const ModifierChanges changes = modifierChanges(before, heldIn(o->m_keyState));
    if (!o->shown()) return;
    for (int i = 0; i < changes.count; ++i)
        o->m_heard.push_back({Heard::Kind::Key, {}, changes.changes[i].key, changes.changes[i].pressed});
}

void Overlay::deliver()
{
    // Taken first: a listener may hide the overlay, or show it again.
    std::vector<Heard> heard;
    heard.swap(m_heard);
    for (const Heard& h : heard) {
        if (!m_listener) return;
        switch (h.kind) {
        case Heard::Kind::Click:
            if (shown()) m_listener->pickClicked(h.at);
            break;
        case Heard::Kind::Key:
            if (shown()) m_listener->pickKey(h.key, h.pressed);
            break;
        case Heard::Kind::Closed:
            if (shown()) {
                hide();
                m_listener->pickOverlayClosed();
            }
            break;
        }
    }
}

bool Overlay::canMovePointer() const { return m_virtualPointer != nullptr; }

void Overlay::moveTo(Point p)
{
    if (!m_virtualPointer) return;
    const std::vector<Rect> rects = m_connection->outputRects();
    if (rects.empty()) return;
    Rect desktop = rects.front();
    for (const Rect& r : rects) {
        const int right = std::max(desktop.right(), r.right()), bottom = std::max(desktop.bottom(), r.bottom());
        desktop.x = std::min(desktop.x, r.x);
        desktop.y = std::min(desktop.y, r.y);
        desktop.width = right - desktop.x;
        desktop.height = bottom - desktop.y;
    }
    if (!desktop.contains(p)) return;
    // Absolute motion is a fraction of the layout: at twice the resolution
    // the pointer lands on the pixel's centre, so no rounding takes it to
    // the neighbour.
    const auto x = static_cast<std::uint32_t>(2 * (p.x - desktop.x) + 1);
    const auto y = static_cast<std::uint32_t>(2 * (p.y - desktop.y) + 1);
    zwlr_virtual_pointer_v1_motion_absolute(m_virtualPointer, milliseconds(), x, y,
                                            static_cast<std::uint32_t>(2 * desktop.width),
                                            static_cast<std::uint32_t>(2 * desktop.height));
    zwlr_virtual_pointer_v1_frame(m_virtualPointer);
    // Known at once: the next read sees the pixel asked for.
    if (shown()) m_position = p;
    m_connection->flush();
}

void Overlay::confine(Rect rect)
{
    m_confinement = rect;
    keepOnLine();
}

void Overlay::keepOnLine()
{
    if (!m_confinement || !m_position || m_confinement->isEmpty() || m_confinement->contains(*m_position)) return;
    const Point back{std::clamp(m_position->x, m_confinement->x, m_confinement->right() - 1),
                     std::clamp(m_position->y, m_confinement->y, m_confinement->bottom() - 1)};
    moveTo(back);
}

} // namespace tintora::wlroots
