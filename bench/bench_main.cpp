// The in-process benchmarks: the probe tick, the magnifier, the colour
// dialog's images and the display profile's readouts, on a private Xvfb with a ramp loaded and a coloured window
// under the pointer. Qt draws offscreen, so only the backend's connection (and
// the floor's) talk to the X server. Prints Google Benchmark's report, then
// the summary rows, each figure beside its goal.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>
#include <variant>

#include "bench_support.h"
#include "support/xvfb.h"
#include "xlib_floor.h"

using namespace tintora;
using namespace tintora::bench;
using namespace tintora::test;

namespace {

// Prints as usual and keeps each benchmark's figures for the summary.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            Times& t = times[run.run_name.str()];
            if (t.median && !median) continue;
            t = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), -1, median};
            if (const auto c = run.counters.find(AllocationsCounter); c != run.counters.end())
                t.allocations = c->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    TimesByName times;
};

} // namespace

World& tintora::bench::world()
{
    static World w;
    return w;
}

std::string tintora::bench::rowText(const Row& row)
{
    return "| " + row.figure + " | " + row.measured + " | " + row.goal + " | " + (row.met ? "yes" : "NO") + " |";
}

std::string tintora::bench::format(const char* pattern, double a, double b, double c)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    Xvfb server;
    if (!server.running()) {
        std::cerr << "tintora_bench: " << server.error() << '\n';
        return 1;
    }
    if (!loadIdentityRamp(server)) {
        std::cerr << "tintora_bench: cannot load a gamma ramp into Xvfb\n";
        return 1;
    }
    SolidWindow window(server, {700, 300, 500, 500}, {200, 100, 0});
    // A blue column just right of the pointer's pixel: a block grabbed one
    // pixel further right holds other pixels, and the pointer's pixel keeps
    // the window's colour.
    SolidWindow stripe(server, {window.centre().x + 1, 300, 1, 500}, {0, 0, 255});
    if (!window.shown() || !stripe.shown() || !server.warpPointer(window.centre())) {
        std::cerr << "tintora_bench: cannot put a window under the pointer\n";
        return 1;
    }

    std::optional<Platform> platform;
    {
        const DisplaySession session = server.useAsDisplay();
        auto opened = openPlatform();
        if (auto* error = std::get_if<std::string>(&opened)) {
            std::cerr << "tintora_bench: " << *error << '\n';
            return 1;
        }
        platform.emplace(std::move(std::get<Platform>(opened)));
    }
    XlibFloor floor(server.displayName());
    if (!floor.ready()) {
        std::cerr << "tintora_bench: the floor's connection found no CRTC or no MIT-SHM\n";
        return 1;
    }
    world() = {&*platform, &floor, &server, window.centre()};

    // Qt must not open an X connection of its own.
    const ScopedEnv qpa("QT_QPA_PLATFORM", "offscreen");
    const ScopedEnv scaling("QT_ENABLE_HIGHDPI_SCALING", "0");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    registerProbeBenchmarks();
    registerMagnifierBenchmarks();
    registerColourDialogBenchmarks();
    registerLutBenchmarks();
    registerColourProfileBenchmarks();
    // Last: it publishes a profile and loads its calibration for a while.
    registerProfileTickBenchmarks();

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    for (const auto& rows : {probeRows(reporter.times), lutRows(reporter.times), profileTickRows(reporter.times),
                             magnifierRows(reporter.times), colourDialogRows(reporter.times),
                             colourProfileRows(reporter.times)})
        for (const Row& row : rows) std::printf("%s\n", rowText(row).c_str());
    return 0;
}
