// Cost of the display profile's readouts: what a probe tick adds (the
// intended and the seen colour, their CIEDE2000 difference), with the
// calibration loaded and with the straight ramp in its place (where the
// seen colour goes back through the calibration's inverse), and reading a
// profile, which happens only when the published one changes.

#include <benchmark/benchmark.h>

#include <cmath>

#include "bench_support.h"
#include "colourprofile/display_profile.h"
#include "support/test_profiles.h"

using namespace tintora;

namespace tintora::bench {

namespace {

// An sRGB-like profile with a calibration of a different curve per channel.
test::ProfileBytes calibratedProfile()
{
    test::TestProfile wanted;
    wanted.vcgtCurve = [](int channel, double x) { return 0.01 + 0.97 * std::pow(x, 0.85 + 0.1 * channel); };
    return test::displayProfileBytes(wanted);
}

void colourProfileTick(benchmark::State& st, bool calibrationLoaded)
{
    std::string whyNot;
    const auto profile = DisplayProfile::read(calibratedProfile(), whyNot);
    if (!profile) {
        st.SkipWithError(whyNot.c_str());
        return;
    }
    GammaTable loaded = profile->expectedRamp();
    if (!calibrationLoaded)
        for (std::size_t i = 0; i < loaded.size(); ++i) loaded[i] = static_cast<std::uint16_t>(i % 256 * 250);
    std::uint8_t level = 0;
    int seen = 0;
    const std::uint64_t before = allocationCount();
    for (auto _ : st) {
        level = static_cast<std::uint8_t>(level + 37);
        const Rgb colour{level, static_cast<std::uint8_t>(level * 3), static_cast<std::uint8_t>(255 - level)};
        const Lab intended = profile->intendedLab(colour);
        if (const auto lab = profile->seenLab(colour, loaded)) {
            benchmark::DoNotOptimize(deltaE2000(intended, *lab));
            ++seen;
        }
        benchmark::DoNotOptimize(profile->check(loaded));
    }
    st.counters[AllocationsCounter] =
        benchmark::Counter(static_cast<double>(allocationCount() - before), benchmark::Counter::kAvgIterations);
    if (seen == 0) st.SkipWithError("no colour was seen");
}

void colourProfileRead(benchmark::State& st)
{
    const test::ProfileBytes bytes = calibratedProfile();
    std::string whyNot;
    for (auto _ : st) benchmark::DoNotOptimize(DisplayProfile::read(bytes, whyNot));
    if (!whyNot.empty()) st.SkipWithError(whyNot.c_str());
}

} // namespace

void registerColourProfileBenchmarks()
{
    benchmark::RegisterBenchmark("colourProfileTickLoaded", colourProfileTick, true)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("colourProfileTickLost", colourProfileTick, false)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("colourProfileRead", colourProfileRead)->Unit(benchmark::kMicrosecond);
}

std::vector<Row> colourProfileRows(const TimesByName& t)
{
    std::vector<Row> rows;
    for (const auto& [name, what] : {std::pair{"colourProfileTickLoaded", "calibration loaded"},
                                     std::pair{"colourProfileTickLost", "straight ramp, calibration expected"}}) {
        if (!t.contains(name)) continue;
        const Times& r = t.at(name);
        rows.push_back({std::string("Display profile per tick (intended + seen + dE00 + check), ") + what,
                        format("%.1f us, %.1f allocations", r.real, r.allocations), "<= 50 us, 0 allocations",
                        r.real <= 50 && r.allocations == 0});
    }
    if (t.contains("colourProfileRead")) {
        const double us = t.at("colourProfileRead").real;
        rows.push_back({"Display profile read (calibrated, sRGB-like)", format("%.0f us", us), "<= 10000 us",
                        us <= 10000});
    }
    return rows;
}

} // namespace tintora::bench
