// Cost of one probe tick against the X server, next to its floor: the same
// three requests made directly with Xlib. Runs on a private Xvfb with a ramp
// loaded and a coloured window under the pointer; Qt draws offscreen, so only
// the backend's connection (and the floor's) talk to the X server.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <unistd.h>
#include <variant>

#include "platform/platform.h"
#include "probe/probe_tick.h"
#include "shell/tintora_form.h"
#include "support/xvfb.h"
#include "xlib_floor.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr Colour UnderPointer{200, 100, 0};
constexpr Rgb Expected{200, 100, 0};

// Set up in main before the benchmarks run.
Platform* g_platform = nullptr;
XlibFloor* g_floor = nullptr;

bool sampledTheWindow(const ProgramState& state, benchmark::State& st)
{
    if (state.BitmapColor == Expected && state.LutColor == Rgb{201, 100, 0}) return true;
    st.SkipWithError("the tick did not read the window under the pointer");
    return false;
}

// One run of the main window's probe timer, pointer at rest: the readouts
// keep their texts, so no label is rewritten.
void mainWindowTick(benchmark::State& st)
{
    ProgramState state;
    TTintoraForm form(state, *g_platform, MainWindowSetup{{"-x", "0", "-y", "0"}, "/tmp/", "."});
    for (auto _ : st) form.Timer1Timer();
    sampledTheWindow(state, st);
}

// The same, with the format switched every tick so all eight labels get new
// texts: the most a tick has to redo.
void mainWindowTickNewTexts(benchmark::State& st)
{
    ProgramState state;
    TTintoraForm form(state, *g_platform, MainWindowSetup{{"-x", "0", "-y", "0"}, "/tmp/", "."});
    for (auto _ : st) {
        state.HexMode = !state.HexMode;
        form.Timer1Timer();
    }
    sampledTheWindow(state, st);
}

void samplePointerOnly(benchmark::State& st)
{
    ProgramState state;
    for (auto _ : st) benchmark::DoNotOptimize(samplePointer(state, *g_platform->screen, *g_platform->pointer));
    sampledTheWindow(state, st);
}

void xlibFloor(benchmark::State& st)
{
    for (auto _ : st) benchmark::DoNotOptimize(g_floor->sample());
}

// Prints as usual and keeps each benchmark's times per iteration (the median
// when repetitions are asked for) for the ratios at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real = 0;
        double cpu = 0;
        bool median = false;
    };

    RecordingReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            Times& t = times[run.run_name.function_name];
            if (t.median && !median) continue;
            t = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, Times> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    Xvfb server;
    if (!server.running()) {
        std::cerr << "probe_bench: " << server.error() << '\n';
        return 1;
    }
    RampTable ramp{};
    for (int i = 0; i < 256; ++i) ramp[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 257);
    if (!server.setGammaRamp(ramp, ramp, ramp)) {
        std::cerr << "probe_bench: cannot load a gamma ramp into Xvfb\n";
        return 1;
    }
    SolidWindow window(server, {800, 400, 200, 200}, UnderPointer);
    if (!window.shown() || !server.warpPointer(window.centre())) {
        std::cerr << "probe_bench: cannot put a window under the pointer\n";
        return 1;
    }

    std::optional<Platform> platform;
    {
        const ScopedEnv display = server.useAsDisplay();
        const ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
        const ScopedEnv session("XDG_SESSION_TYPE", std::nullopt);
        auto opened = openPlatform();
        if (auto* error = std::get_if<std::string>(&opened)) {
            std::cerr << "probe_bench: " << *error << '\n';
            return 1;
        }
        platform.emplace(std::move(std::get<Platform>(opened)));
    }
    XlibFloor floor(server.displayName());
    if (!floor.ready()) {
        std::cerr << "probe_bench: the floor's connection found no CRTC\n";
        return 1;
    }
    g_platform = &*platform;
    g_floor = &floor;

    // Qt must not open an X connection of its own.
    const ScopedEnv qpa("QT_QPA_PLATFORM", "offscreen");
    const ScopedEnv scaling("QT_ENABLE_HIGHDPI_SCALING", "0");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    benchmark::RegisterBenchmark("mainWindowTick", mainWindowTick)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("mainWindowTickNewTexts", mainWindowTickNewTexts)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("samplePointer", samplePointerOnly)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("xlibFloor", xlibFloor)->Unit(benchmark::kMicrosecond);

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& t = reporter.times;
    if (t.contains("xlibFloor") && t.at("xlibFloor").real > 0 && t.at("xlibFloor").cpu > 0) {
        const auto& f = t.at("xlibFloor");
        std::printf("\nper call, against the floor (the three X requests alone):\n");
        std::printf("  %-24s %10s %8s %10s %8s\n", "", "real us", "ratio", "cpu us", "ratio");
        for (const char* name : {"xlibFloor", "samplePointer", "mainWindowTick", "mainWindowTickNewTexts"}) {
            if (!t.contains(name)) continue;
            const auto& r = t.at(name);
            std::printf("  %-24s %10.1f %8.2f %10.1f %8.2f\n", name, r.real, r.real / f.real, r.cpu, r.cpu / f.cpu);
        }
    }
    return 0;
}
