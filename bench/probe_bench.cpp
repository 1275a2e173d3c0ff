// Cost of one probe tick against the X server, next to its floor: the same
// three requests made directly with Xlib.

#include <benchmark/benchmark.h>

#include <sstream>

#include "bench_support.h"
#include "probe/sampler.h"
#include "mainwindow/main_window.h"
#include "xlib_floor.h"

using namespace tintora;

namespace tintora::bench {

namespace {

constexpr Rgb Expected{200, 100, 0};

bool sampledTheWindow(const Sample& sample, benchmark::State& st)
{
    if (sample.bitmap == Expected && sample.lut() == Rgb{201, 100, 0}) return true;
    st.SkipWithError("the tick did not read the window under the pointer");
    return false;
}

void countAllocations(benchmark::State& st, std::uint64_t before)
{
    st.counters[AllocationsCounter] =
        benchmark::Counter(static_cast<double>(allocationCount() - before), benchmark::Counter::kAvgIterations);
}

// One run of the main window's probe timer, pointer at rest: the readouts
// keep their texts, so no label is rewritten.
void mainWindowTick(benchmark::State& st)
{
    ProgramState state;
    MainWindow form(state, *world().platform, mainWindowSetup());
    form.probeTick();
    const std::uint64_t before = allocationCount();
    for (auto _ : st) form.probeTick();
    countAllocations(st, before);
    sampledTheWindow(form.sample(), st);
}

// The same, with the format switched every tick so all eight labels get new
// texts: the most a tick has to redo.
void mainWindowTickNewTexts(benchmark::State& st)
{
    ProgramState state;
    MainWindow form(state, *world().platform, mainWindowSetup());
    for (auto _ : st) {
        state.options.hexadecimal = !state.options.hexadecimal;
        form.probeTick();
    }
    sampledTheWindow(form.sample(), st);
}

void samplePointerOnly(benchmark::State& st)
{
    Sampler sampler;
    std::ostringstream err;
    for (auto _ : st)
        benchmark::DoNotOptimize(sampler.samplePointer(world().platform->screen, *world().platform->pointer, err));
    sampledTheWindow(sampler.latest(), st);
}

void xlibFloor(benchmark::State& st)
{
    const std::uint64_t before = allocationCount();
    for (auto _ : st) benchmark::DoNotOptimize(world().floor->sample());
    countAllocations(st, before);
}

} // namespace

void registerProbeBenchmarks()
{
    benchmark::RegisterBenchmark("mainWindowTick", mainWindowTick)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("mainWindowTickNewTexts", mainWindowTickNewTexts)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("samplePointer", samplePointerOnly)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("xlibFloor", xlibFloor)->Unit(benchmark::kMicrosecond);
}

std::vector<Row> probeRows(const TimesByName& t)
{
    std::vector<Row> rows;
    if (!t.contains("xlibFloor") || t.at("xlibFloor").real <= 0) return rows;
    const Times& floor = t.at("xlibFloor");
    for (const char* name : {"mainWindowTick", "mainWindowTickNewTexts"}) {
        if (!t.contains(name)) continue;
        const Times& r = t.at(name);
        const double ratio = r.real / floor.real;
        rows.push_back({std::string("ProbeTick") + (std::string(name) == "mainWindowTick" ? "" : ", all labels new") +
                            " / floor (pointer, pixel and ramp requests)",
                        format("%.2f (%.0f us / %.0f us)", ratio, r.real, floor.real), "<= 1.3", ratio <= 1.3});
    }
    // Xlib allocates the reply of each request; the tick should add nothing.
    if (t.contains("mainWindowTick") && t.at("mainWindowTick").allocations >= 0 && floor.allocations >= 0) {
        const double a = t.at("mainWindowTick").allocations;
        rows.push_back({"ProbeTick allocations per tick, readouts unchanged",
                        format("%.1f (floor: %.1f, Xlib's replies)", a, floor.allocations), "<= floor",
                        a <= floor.allocations + 0.05});
    }
    return rows;
}

} // namespace tintora::bench
