#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/geometry.h"

struct pw_buffer;
struct pw_context;
struct pw_core;
struct pw_stream;
struct pw_thread_loop;
struct spa_pod;

namespace tintora::wayland {

// The newest frame of a PipeWire video stream, 32-bit pixels with blue in
// the first byte (BGRx or BGRA), read where they lie.
struct FrameView {
    const std::uint8_t* pixels = nullptr;
    std::size_t strideBytes = 0;
    int width = 0;
    int height = 0;
};

// One screen cast's video stream, received on PipeWire's own thread. Each
// arriving frame is held as it is, in the stream's own buffer, until the
// next one arrives; the buffer before it goes back to the compositor then.
// A reader copies only what it needs (a pixel, a block) out of the held
// frame, under the same lock, so nothing is copied per frame and the whole
// frame never per read. The pointer's position comes with the frames, as
// their cursor metadata.
class PipeWireFrames {
public:
    // Connects to the PipeWire remote behind fd (taken over, closed on
    // failure too) and receives node. Nothing, with the reason in error,
    // when the stream cannot be made.
    static std::unique_ptr<PipeWireFrames> open(int fd, std::uint32_t node, std::string& error);
    ~PipeWireFrames();

    // Waits until the first frame has arrived, at most timeout; false when
    // none did (the stream ended or failed meanwhile, or the time ran out).
    bool waitForFirstFrame(std::chrono::milliseconds timeout);

    // Calls read(const FrameView&) with the newest frame, which stays put
    // while read runs; false, read not called, while there is none.
    template <class Read>
    bool withNewestFrame(Read&& read)
    {
        std::lock_guard lock(m_mutex);
        if (!m_held) return false;
        read(m_frame);
        return true;
    }

    // The pointer's position in the frames' pixels as the newest cursor
    // metadata gives it; nothing before any, or while the pointer is off
    // the stream's area.
    std::optional<Point> pointer();

    // Why the stream stopped, empty while it runs. Once it has, there is no
    // frame and no pointer any more.
    std::string failure();

    PipeWireFrames(const PipeWireFrames&) = delete;
    PipeWireFrames& operator=(const PipeWireFrames&) = delete;

private:
    PipeWireFrames() = default;

    static void onStateChanged(void* self, int old, int state, const char* error);
    static void onParamChanged(void* self, std::uint32_t id, const spa_pod* param);
    static void onProcess(void* self);
    void takeNewestBuffers();
    void readCursor(pw_buffer* buffer);

    pw_thread_loop* m_loop = nullptr;
    pw_context* m_context = nullptr;
    pw_core* m_core = nullptr;
    pw_stream* m_stream = nullptr;
    std::unique_ptr<struct StreamListener> m_listener;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    pw_buffer* m_held = nullptr; // the newest frame's buffer, kept from the compositor
    FrameView m_frame;
    int m_formatWidth = 0;
    int m_formatHeight = 0;
    std::optional<Point> m_pointer;
    std::string m_failure;
};

} // namespace tintora::wayland
