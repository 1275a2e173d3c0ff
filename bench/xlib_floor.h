#pragma once

// The least the sampling can cost: the X requests it needs, made directly on
// a connection of their own. Kept apart from the Qt code because Xlib's
// macros clash with Qt's names.

#include <cstdint>
#include <map>
#include <string>
#include <utility>

struct _XDisplay;
struct _XImage;

class XlibFloor {
public:
    explicit XlibFloor(const std::string& displayName);
    ~XlibFloor();
    XlibFloor(const XlibFloor&) = delete;
    XlibFloor& operator=(const XlibFloor&) = delete;

    // Whether the connection is open, the screen has a CRTC with a ramp and
    // MIT-SHM works.
    bool ready() const { return m_display && m_crtc && m_shmAddress; }

    // Pointer position, the pixel there (0xRRGGBB) and the CRTC's ramp; the
    // return value mixes them so the work cannot be optimised away.
    std::uint64_t sample();

    // One XShmGetImage of the block (x, y, width, height) into an image and
    // segment made beforehand (prepareGrab); a pixel of it, for the same
    // reason.
    bool prepareGrab(int width, int height);
    std::uint32_t grab(int x, int y, int width, int height);
    // The same grab, then one read of every pixel of the block (their AND):
    // the least a picture made from all of them can cost.
    std::uint32_t grabAndRead(int x, int y, int width, int height);

private:
    _XDisplay* m_display = nullptr;
    unsigned long m_crtc = 0;
    int m_shmId = -1;
    char* m_shmAddress = nullptr;
    std::size_t m_shmBytes = 0;
    void* m_shmInfo = nullptr; // XShmSegmentInfo
    std::map<std::pair<int, int>, _XImage*> m_images;
};
