// The magnifier's capture at every rung of the zoom ladder, next to its floor:
// the same block grabbed directly with one XShmGetImage into an image made
// beforehand; where the block is larger than the picture (0.5x), whose every
// pixel the picture is made from, also that grab and one read of each pixel.
// Also counts what each capture allocates.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <string>

#include "bench_support.h"
#include "magnifier/magnifier_window.h"
#include "magnifier/magnifier_geometry.h"
#include "magnifier/zoom_ladder.h"
#include "core/program_state.h"
#include "mainwindow/main_window.h"
#include "xlib_floor.h"
#include "widgets/topmost_band.h"

using namespace tintora;

namespace tintora::bench {

namespace {

constexpr int PictureSize = 201;

// A resting pointer over a still screen, or a pointer that moves one pixel
// to and fro every tick, so every capture brings new pixels.
enum class Pointer { Resting, Moving };

std::string captureName(const ZoomItem& z, Pointer m)
{
    return std::string(m == Pointer::Resting ? "UpdateMagnifier/" : "UpdateMagnifierMoving/") + std::string(z.caption);
}
std::string floorName(const ZoomItem& z, Pointer m)
{
    return std::string(m == Pointer::Resting ? "shmGrabFloor/" : "shmGrabFloorMoving/") + std::string(z.caption);
}
std::string readFloorName(const ZoomItem& z, Pointer m)
{
    return std::string(m == Pointer::Resting ? "shmGrabReadFloor/" : "shmGrabReadFloorMoving/") +
           std::string(z.caption);
}

// Whether the block at zoom is larger than the picture: then every one of its
// pixels goes into the picture, and reading them all is part of the floor.
bool blockLargerThanPicture(double zoom)
{
    const Rect block = sourceBlock({0, 0}, PictureSize, PictureSize, zoom);
    return block.width > PictureSize || block.height > PictureSize;
}

void countAllocations(benchmark::State& st, std::uint64_t before)
{
    st.counters[AllocationsCounter] =
        benchmark::Counter(static_cast<double>(allocationCount() - before), benchmark::Counter::kAvgIterations);
}

void magnifierCapture(benchmark::State& st, double zoom, Pointer mode)
{
    ProgramState state;
    MainWindow form(state, *world().platform, mainWindowSetup());
    MagnifierWindow magnifier(state, *world().platform, form);
    TopmostBand band(*world().platform->windows);
    form.attach({nullptr, &magnifier, nullptr}, band);
    magnifier.show();
    QApplication::processEvents();
    state.options.zoom = zoom;

    const Point points[2] = {world().pointer, {world().pointer.x + (mode == Pointer::Moving ? 1 : 0), world().pointer.y}};
    // The picture's first captures make its buffers.
    magnifier.capture(points[0]);
    magnifier.capture(points[1]);
    QApplication::processEvents();
    std::size_t i = 0;
    const std::uint64_t before = allocationCount();
    for (auto _ : st) magnifier.capture(points[++i & 1]);
    countAllocations(st, before);

    // The picture must show the window's colour away from the crosshair.
    const ScreenImage& picture = magnifier.pictureBitmap();
    if (picture.width != PictureSize || picture.pixels.at(10) != 0x00C86400u)
        st.SkipWithError("the picture does not show the window under the pointer");
}

// What one floor tick does: the grab alone, or the grab and a read of every
// pixel.
enum class Floor { Grab, GrabAndRead };

void shmGrabFloor(benchmark::State& st, double zoom, Pointer mode, Floor floor)
{
    const Rect block = sourceBlock(world().pointer, PictureSize, PictureSize, zoom);
    const int shift = mode == Pointer::Moving ? 1 : 0;
    if (!world().floor->prepareGrab(block.width, block.height)) {
        st.SkipWithError("cannot make the floor's image");
        return;
    }
    XlibFloor& f = *world().floor;
    const auto tick = floor == Floor::Grab ? &XlibFloor::grab : &XlibFloor::grabAndRead;
    (f.*tick)(block.x, block.y, block.width, block.height);
    std::size_t i = 0;
    const std::uint64_t before = allocationCount();
    for (auto _ : st)
        benchmark::DoNotOptimize((f.*tick)(block.x + (++i & 1) * shift, block.y, block.width, block.height));
    countAllocations(st, before);
}

// The picture's own work at a rung, without the server: stretching a block
// that differs from the last one onto the picture and drawing the crosshair.
// What the capture must add to its floor whenever new pixels come.
void pictureWork(benchmark::State& st, double zoom)
{
    const Rect block = sourceBlock({0, 0}, PictureSize, PictureSize, zoom);
    ScreenImage blocks[2];
    for (std::uint32_t k = 0; k < 2; ++k) {
        blocks[k] = {block.width, block.height, std::vector<std::uint32_t>(std::size_t(block.width) * block.height)};
        for (std::size_t i = 0; i < blocks[k].pixels.size(); ++i)
            blocks[k].pixels[i] = static_cast<std::uint32_t>((i + k) * 2654435761u) & 0xFFFFFFu;
    }
    ScreenImage picture{PictureSize, PictureSize, std::vector<std::uint32_t>(PictureSize * PictureSize)};
    std::size_t i = 0;
    for (auto _ : st) {
        stretchInto(blocks[++i & 1], picture);
        drawCrosshair(picture);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}

} // namespace

void registerMagnifierBenchmarks()
{
    for (const Pointer mode : {Pointer::Resting, Pointer::Moving})
        for (const ZoomItem& z : ZoomLadder) {
            benchmark::RegisterBenchmark(captureName(z, mode).c_str(), magnifierCapture, z.zoom, mode)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(floorName(z, mode).c_str(), shmGrabFloor, z.zoom, mode, Floor::Grab)
                ->Unit(benchmark::kMicrosecond);
            if (blockLargerThanPicture(z.zoom))
                benchmark::RegisterBenchmark(readFloorName(z, mode).c_str(), shmGrabFloor, z.zoom, mode,
                                             Floor::GrabAndRead)
                    ->Unit(benchmark::kMicrosecond);
        }
    for (const ZoomItem& z : ZoomLadder)
        benchmark::RegisterBenchmark(("pictureWork/" + std::string(z.caption)).c_str(), pictureWork, z.zoom)
            ->Unit(benchmark::kMicrosecond);
}

std::vector<Row> magnifierRows(const TimesByName& t)
{
    std::vector<Row> rows;
    // Xlib allocates the buffers of each reply (the floor's too); the capture
    // itself should add nothing.
    double mostAdded = -1, floorAllocations = 0;
    for (const Pointer mode : {Pointer::Resting, Pointer::Moving})
        for (const ZoomItem& z : ZoomLadder) {
            const std::string capture = captureName(z, mode), floor = floorName(z, mode);
            if (!t.contains(capture) || !t.contains(floor) || t.at(floor).real <= 0) continue;
            const Times& c = t.at(capture);
            const Times& f = t.at(floor);
            const double ratio = c.real / f.real;
            const std::string at = "UpdateMagnifier at " + std::string(z.caption) +
                                   (mode == Pointer::Resting ? ", pointer resting" : ", new pixels every tick");
            rows.push_back({at + " / floor (the same XShmGetImage)",
                            format("%.2f (%.0f us / %.0f us)", ratio, c.real, f.real), "<= 1.5", ratio <= 1.5});
            // A block larger than the picture is read whole to make it.
            const std::string readFloor = readFloorName(z, mode);
            if (t.contains(readFloor) && t.at(readFloor).real > 0) {
                const double read = t.at(readFloor).real;
                rows.push_back({at + " / floor (the same XShmGetImage and one read of every pixel)",
                                format("%.2f (%.0f us / %.0f us)", c.real / read, c.real, read), "<= 1.3",
                                c.real / read <= 1.3});
            }
            if (c.allocations >= 0 && f.allocations >= 0) {
                mostAdded = std::max(mostAdded, c.allocations - f.allocations);
                floorAllocations = f.allocations;
            }
        }
    if (mostAdded >= 0)
        rows.push_back({"UpdateMagnifier allocations per tick beyond the floor's, most at any zoom",
                        format("%.2f (the floor's, Xlib's reply buffers: %.0f)", mostAdded, floorAllocations), "0",
                        mostAdded < 0.01});
    return rows;
}

} // namespace tintora::bench
