// The LUT window's cost: the probe tick with the window shown against the
// tick with it hidden, in the same run, and one repaint of its curves.

#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>

#include "bench_support.h"
#include "lutview/lut_window.h"
#include "support/paint_counter.h"
#include "widgets/topmost_band.h"

using namespace tintora;

namespace tintora::bench {

namespace {

// The tick under a resting pointer: the shown window compares the reading
// with what it shows and finds nothing to repaint.
void mainWindowTickLut(benchmark::State& st, bool shown)
{
    ProgramState state;
    MainWindow form(state, *world().platform, mainWindowSetup());
    LutWindow lut(state, *world().platform, form);
    TopmostBand band(*world().platform->windows);
    form.attach({nullptr, nullptr, nullptr, &lut}, band);
    if (shown) form.toggleLutCurves();
    form.probeTick();
    if (lut.isVisible() != shown) st.SkipWithError("the LUT window is not in the state asked for");
    const std::uint64_t before = allocationCount();
    for (auto _ : st) form.probeTick();
    st.counters[AllocationsCounter] =
        benchmark::Counter(static_cast<double>(allocationCount() - before), benchmark::Counter::kAvgIterations);
}

// One paint of the curves at the window's first size, of a ramp with three
// different curves, markers mid-way.
void lutCurvesRepaint(benchmark::State& st)
{
    ProgramState state;
    MainWindow form(state, *world().platform, mainWindowSetup());
    LutWindow lut(state, *world().platform, form);
    lut.showCurves(true); // lays the window out at its first size
    Sample sample;
    sample.ramp.emplace();
    const double gamma[3] = {1.0, 0.8, 0.6};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            sample.ramp->ramp[static_cast<std::size_t>(c * 256 + i)] =
                static_cast<std::uint16_t>(std::lround(std::pow(i / 255.0, 1.0 / gamma[c]) * 65535.0));
    sample.bitmap = Rgb{200, 100, 30};
    LutCurves& curves = *lut.ui().curves;
    curves.plot(&sample);
    QImage image(curves.size(), QImage::Format_RGB32);
    const test::PaintCounter paints(&curves);
    for (auto _ : st) curves.render(&image);
    if (paints.count() == 0) st.SkipWithError("the curves were not painted");
    st.counters["width"] = curves.width();
    st.counters["height"] = curves.height();
}

} // namespace

void registerLutBenchmarks()
{
    benchmark::RegisterBenchmark("mainWindowTickLutHidden", mainWindowTickLut, false)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("mainWindowTickLutShown", mainWindowTickLut, true)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("lutCurvesRepaint", lutCurvesRepaint)->Unit(benchmark::kMicrosecond);
}

std::vector<Row> lutRows(const TimesByName& t)
{
    std::vector<Row> rows;
    if (t.contains("mainWindowTickLutHidden") && t.contains("mainWindowTickLutShown") &&
        t.at("mainWindowTickLutHidden").real > 0) {
        const double hidden = t.at("mainWindowTickLutHidden").real;
        const double shown = t.at("mainWindowTickLutShown").real;
        const double ratio = shown / hidden;
        rows.push_back({"ProbeTick with the LUT window shown / hidden, pointer resting",
                        format("%.2f (%.0f us / %.0f us)", ratio, shown, hidden), "<= 1.1", ratio <= 1.1});
    }
    if (t.contains("lutCurvesRepaint")) {
        const double us = t.at("lutCurvesRepaint").real;
        rows.push_back({"LUT curves repaint at the window's first size", format("%.0f us", us), "<= 2000 us",
                        us <= 2000});
    }
    return rows;
}

} // namespace tintora::bench
