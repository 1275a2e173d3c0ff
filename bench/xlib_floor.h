#pragma once

// The least a probe tick can cost: the three X requests it needs (pointer,
// pixel, ramp), made directly on a connection of their own. Kept apart from
// the Qt code because Xlib's macros clash with Qt's names.

#include <cstdint>
#include <string>

struct _XDisplay;

class XlibFloor {
public:
    explicit XlibFloor(const std::string& displayName);
    ~XlibFloor();
    XlibFloor(const XlibFloor&) = delete;
    XlibFloor& operator=(const XlibFloor&) = delete;

    // Whether the connection is open and the screen has a CRTC with a ramp.
    bool ready() const { return m_display && m_crtc; }

    // Pointer position, the pixel there (0xRRGGBB) and the CRTC's ramp; the
    // return value mixes them so the work cannot be optimised away.
    std::uint64_t sample();

private:
    _XDisplay* m_display = nullptr;
    unsigned long m_crtc = 0;
};
