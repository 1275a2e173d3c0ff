#include "platform/wayland/pipewire_frames.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/param/video/type-info.h>
#include <spa/pod/builder.h>

#include <unistd.h>

namespace tintora::wayland {

struct StreamListener {
    spa_hook hook{};
    pw_stream_events events{};
};

namespace {

// Room for the cursor metadata with a bitmap of up to width x height; only
// the position is read, but a compositor sends the bitmap along.
constexpr int cursorMetaSize(int width, int height)
{
    return static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + width * height * 4;
}

// The library is set up once per process, before the first stream.
void initPipeWire()
{
    static const bool done = [] {
        pw_init(nullptr, nullptr);
        return true;
    }();
    (void)done;
}

} // namespace

std::unique_ptr<PipeWireFrames> PipeWireFrames::open(int fd, std::uint32_t node, std::string& error)
{
    initPipeWire();
    std::unique_ptr<PipeWireFrames> frames(new PipeWireFrames);
    frames->m_loop = pw_thread_loop_new("tintora-screen", nullptr);
    if (!frames->m_loop) {
        ::close(fd);
        error = "PipeWire: no thread loop.";
        return nullptr;
    }
    frames->m_context = pw_context_new(pw_thread_loop_get_loop(frames->m_loop), nullptr, 0);
    if (!frames->m_context || pw_thread_loop_start(frames->m_loop) < 0) {
        ::close(fd);
        error = "PipeWire: no context.";
        return nullptr;
    }

    pw_thread_loop_lock(frames->m_loop);
    frames->m_core = pw_context_connect_fd(frames->m_context, fd, nullptr, 0);
    if (!frames->m_core) {
        pw_thread_loop_unlock(frames->m_loop);
        error = "PipeWire: the screen cast's connection was refused.";
        return nullptr;
    }
    frames->m_stream = pw_stream_new(frames->m_core, "Tintora screen",
                                     pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                       PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!frames->m_stream) {
        pw_thread_loop_unlock(frames->m_loop);
        error = "PipeWire: no stream.";
        return nullptr;
    }
    frames->m_listener = std::make_unique<StreamListener>();
    frames->m_listener->events.version = PW_VERSION_STREAM_EVENTS;
    frames->m_listener->events.state_changed = [](void* self, pw_stream_state old, pw_stream_state state,
                                                  const char* why) { onStateChanged(self, old, state, why); };
    frames->m_listener->events.param_changed = onParamChanged;
    frames->m_listener->events.process = onProcess;
    pw_stream_add_listener(frames->m_stream, &frames->m_listener->hook, &frames->m_listener->events, frames.get());

    // 32-bit pixels with blue first, of any size and rate: what a compositor
    // gives without the GPU's buffers (no modifiers are offered).
    std::uint8_t podBytes[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(podBytes, sizeof podBytes);
    spa_rectangle defaultSize = SPA_RECTANGLE(1920, 1080), minSize = SPA_RECTANGLE(1, 1),
                  maxSize = SPA_RECTANGLE(16384, 16384);
    spa_fraction defaultRate = SPA_FRACTION(30, 1), minRate = SPA_FRACTION(0, 1), maxRate = SPA_FRACTION(240, 1);
    const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(3, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&defaultRate, &minRate, &maxRate)));
    const int connected = pw_stream_connect(frames->m_stream, PW_DIRECTION_INPUT, node,
                                            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                                         PW_STREAM_FLAG_MAP_BUFFERS),
                                            &format, 1);
    pw_thread_loop_unlock(frames->m_loop);
    if (connected < 0) {
        error = "PipeWire: the screen cast's stream cannot be connected.";
        return nullptr;
    }
    return frames;
}

PipeWireFrames::~PipeWireFrames()
{
    if (m_loop) pw_thread_loop_stop(m_loop);
    if (m_stream) {
        spa_hook_remove(&m_listener->hook);
        // The held buffer goes back before the stream is gone.
        if (m_held) pw_stream_queue_buffer(m_stream, m_held);
        pw_stream_destroy(m_stream);
    }
    if (m_core) pw_core_disconnect(m_core);
    if (m_context) pw_context_destroy(m_context);
    if (m_loop) pw_thread_loop_destroy(m_loop);
}

bool PipeWireFrames::waitForFirstFrame(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_held || !m_failure.empty(); }) && m_held;
}

std::optional<Point> PipeWireFrames::pointer()
{
    std::lock_guard lock(m_mutex);
    return m_pointer;
}

std::string PipeWireFrames::failure()
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void PipeWireFrames::onStateChanged(void* self, int, int state, const char* error)
{
    auto* frames = static_cast<PipeWireFrames*>(self);
    if (state != PW_STREAM_STATE_ERROR && state != PW_STREAM_STATE_UNCONNECTED) return;
    std::lock_guard lock(frames->m_mutex);
    frames->m_failure = std::string("the screen cast's stream ended") + (error ? std::string(": ") + error : "") + ".";
    // Its buffers go with it: nothing is read from them any more (the user
    // may have stopped the cast), so reads fail rather than show a picture
    // that no longer changes.
    frames->m_held = nullptr;
    frames->m_pointer.reset();
    frames->m_changed.notify_all();
}

void PipeWireFrames::onParamChanged(void* self, std::uint32_t id, const spa_pod* param)
{
    auto* frames = static_cast<PipeWireFrames*>(self);
    if (!param || id != SPA_PARAM_Format) return;
    spa_video_info_raw info{};
    if (spa_format_video_raw_parse(param, &info) < 0) return;
    {
        std::lock_guard lock(frames->m_mutex);
        frames->m_formatWidth = static_cast<int>(info.size.width);
        frames->m_formatHeight = static_cast<int>(info.size.height);
    }

    // Buffers in memory the program can map (no GPU buffers), with the
    // cursor's metadata.
    std::uint8_t podBytes[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(podBytes, sizeof podBytes);
    const spa_pod* params[3];
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 3, 16), SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
    params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
        SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
        SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(cursorMetaSize(64, 64), cursorMetaSize(1, 1), cursorMetaSize(512, 512))));
    pw_stream_update_params(frames->m_stream, params, 3);
}

void PipeWireFrames::onProcess(void* self) { static_cast<PipeWireFrames*>(self)->takeNewestBuffers(); }

void PipeWireFrames::readCursor(pw_buffer* buffer)
{
    auto* cursor = static_cast<spa_meta_cursor*>(
        spa_buffer_find_meta_data(buffer->buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
    if (!cursor) return;
    std::lock_guard lock(m_mutex);
    // A cursor of id 0 is none on the stream's area.
    if (spa_meta_cursor_is_valid(cursor))
        m_pointer = Point{cursor->position.x, cursor->position.y};
    else
        m_pointer.reset();
}

// Runs on PipeWire's thread: of the buffers waiting, the newest holding a
// picture is kept, the others (and those carrying only the cursor's move)
// go straight back.
void PipeWireFrames::takeNewestBuffers()
{
    pw_buffer* newest = nullptr;
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(m_stream)) {
        readCursor(buffer);
        const spa_data& data = buffer->buffer->datas[0];
        const bool picture = buffer->buffer->n_datas > 0 && data.data && data.chunk && data.chunk->size > 0 &&
                             !(data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED);
        if (!picture) {
            pw_stream_queue_buffer(m_stream, buffer);
            continue;
        }
        if (newest) pw_stream_queue_buffer(m_stream, newest);
        newest = buffer;
    }
    if (!newest) return;

    pw_buffer* previous = nullptr;
    {
        std::lock_guard lock(m_mutex);
        const spa_data& data = newest->buffer->datas[0];
        previous = m_held;
        m_held = newest;
        m_frame.pixels = static_cast<const std::uint8_t*>(data.data) + data.chunk->offset;
        m_frame.strideBytes = data.chunk->stride > 0 ? static_cast<std::size_t>(data.chunk->stride)
                                                     : static_cast<std::size_t>(m_formatWidth) * 4;
        m_frame.width = m_formatWidth;
        // Never past what the buffer holds.
        const std::size_t rows = m_frame.strideBytes ? (data.maxsize - data.chunk->offset) / m_frame.strideBytes : 0;
        m_frame.height = std::min(m_formatHeight, static_cast<int>(rows));
    }
    if (previous) pw_stream_queue_buffer(m_stream, previous);
    m_changed.notify_all();
}

} // namespace tintora::wayland
