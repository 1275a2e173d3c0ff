// The display profile's cost: the probe tick with a profile published for the
// output under the pointer (its calibration loaded, as dispwin -I leaves a
// calibrated desktop) against the tick without, in the same run.

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "support/processes.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace tintora::bench {

namespace {

// While alive, a profile with a calibration is published on the server and
// its calibration loaded, by ArgyllCMS's dispwin (which keeps its own settings
// under HOME, a folder of its own here). Its end takes the profile away and
// loads the identity ramp again for the benchmarks that follow.
class PublishedCalibration {
public:
    explicit PublishedCalibration(Xvfb& server) : m_server(server)
    {
        const std::string ref = "/usr/share/color/argyll/ref/";
        m_ready = !m_home.path().empty() &&
                  run("iccvcgt", {"-i", ref + "sRGB.icm", ref + "strange.cal", m_home.file("calibrated.icc")}) &&
                  run("dispwin", {"-I", m_home.file("calibrated.icc")});
    }
    ~PublishedCalibration()
    {
        run("dispwin", {"-U"});
        loadIdentityRamp(m_server);
    }
    bool ready() const { return m_ready; }

private:
    bool run(const std::string& tool, const std::vector<std::string>& args)
    {
        ChildProcess child(tool, args,
                           m_server.clientEnvironment({{"HOME", m_home.path()},
                                                       {"XDG_CONFIG_HOME", m_home.file(".config")}}));
        return exitCode(child.waitForExit(30000ms)) == 0;
    }

    Xvfb& m_server;
    TempDir m_home{"tintora-bench-dispwin"};
    bool m_ready = false;
};

// The tick under a resting pointer, the LUT window hidden: the profile is
// read at the first tick and only compared after.
void mainWindowTickProfile(benchmark::State& st, bool published)
{
    std::optional<PublishedCalibration> calibration;
    if (published) {
        calibration.emplace(*world().server);
        if (!calibration->ready()) {
            st.SkipWithError("dispwin could not publish a profile (is ArgyllCMS installed?)");
            return;
        }
    }
    ProgramState state;
    MainWindow form(state, *world().platform, mainWindowSetup());
    form.probeTick();
    const bool read = form.ui().lutCaption->toolTip().contains(QStringLiteral("calibration loaded"));
    if (read != published) {
        st.SkipWithError(published ? "the tick read no profile" : "the tick read a profile nobody published");
        return;
    }
    const std::uint64_t before = allocationCount();
    for (auto _ : st) form.probeTick();
    st.counters[AllocationsCounter] =
        benchmark::Counter(static_cast<double>(allocationCount() - before), benchmark::Counter::kAvgIterations);
    if (form.sample().bitmap != Rgb{200, 100, 0}) st.SkipWithError("the tick did not read the window under the pointer");
}

} // namespace

void registerProfileTickBenchmarks()
{
    benchmark::RegisterBenchmark("mainWindowTickNoProfile", mainWindowTickProfile, false)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("mainWindowTickProfile", mainWindowTickProfile, true)->Unit(benchmark::kMicrosecond);
}

std::vector<Row> profileTickRows(const TimesByName& t)
{
    std::vector<Row> rows;
    if (!t.contains("mainWindowTickNoProfile") || !t.contains("mainWindowTickProfile") ||
        t.at("mainWindowTickNoProfile").real <= 0)
        return rows;
    const Times& without = t.at("mainWindowTickNoProfile");
    const Times& with = t.at("mainWindowTickProfile");
    const double ratio = with.real / without.real;
    rows.push_back({"ProbeTick with a display profile published / without, pointer resting",
                    format("%.2f (%.0f us / %.0f us)", ratio, with.real, without.real), "<= 1.1", ratio <= 1.1});
    if (with.allocations >= 0 && without.allocations >= 0)
        rows.push_back({"ProbeTick allocations per tick with a display profile",
                        format("%.1f (without: %.1f)", with.allocations, without.allocations), "<= without",
                        with.allocations <= without.allocations + 0.05});
    return rows;
}

} // namespace tintora::bench
