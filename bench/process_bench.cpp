// The whole program as a user runs it, measured from outside: CPU time per
// second with the magnifier hidden and shown at 32x, resident memory early
// and late in the run, and the time from exec to the first probe tick. Each
// run has a private Xvfb with a window of a known colour under the pointer;
// a last run, magnifier hidden, has a private headless GNOME session (the
// Wayland backend) instead.
//
// With --soak-minutes N it instead keeps the program at 32x for N minutes,
// moving the pointer now and then, and compares what the program holds at the
// start and at the end: resident memory, open file descriptors and the X
// resources of its connections.
//
// Results are printed as markdown table rows ("| figure | measured | goal |
// yes/NO |"); every other line is a diagnostic.

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/headless_gnome.h"
#include "support/processes.h"
#include "support/running_program.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;
using std::chrono::duration;

namespace {

// The colour under the pointer, and where: away from the middle of the
// screen, where the program opens its windows.
constexpr Colour UnderPointer{200, 100, 0};
constexpr Rect Backdrop{100, 100, 400, 300};

// Start-up noise (fonts, first paints, the window manager's absence being
// found out) is over well before this.
constexpr auto Settle = std::chrono::seconds(2);
constexpr auto EarlyMemoryAt = std::chrono::seconds(10);
constexpr int Starts = 5;

constexpr const char* MagnifierAt32 = "[MAGNIFIER]\nShowMag=1\nZoom=32\n";

double seconds(Clock::duration d) { return duration<double>(d).count(); }
double mib(long kib) { return static_cast<double>(kib) / 1024.0; }

std::string format(const char* fmt, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, fmt, value);
    return text;
}

void row(const std::string& figure, const std::string& measured, const std::string& goal, bool met)
{
    std::printf("| %s | %s | %s | %s |\n", figure.c_str(), measured.c_str(), goal.c_str(), met ? "yes" : "NO");
    std::fflush(stdout);
}

void note(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// --- what /proc says about a process ---------------------------------------------

// utime + stime of all the process's threads, in clock ticks.
std::optional<long> cpuTicks(pid_t pid)
{
    const std::string stat = readAll("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    // After the name: state is field 3, utime 14 and stime 15.
    std::istringstream rest(stat.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int n = 3; n <= 13; ++n) rest >> field;
    if (!(rest >> utime >> stime)) return std::nullopt;
    return utime + stime;
}

double cpuPercent(long ticks, Clock::duration over)
{
    return 100.0 * static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK)) / seconds(over);
}

// A number of /proc/<pid>/status, e.g. "VmRSS" (in KiB) or "Threads".
std::optional<long> statusNumber(pid_t pid, const std::string& key)
{
    std::istringstream status(readAll("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(key + ":")) return std::atol(line.c_str() + key.size() + 1);
    return std::nullopt;
}

std::optional<long> residentKiB(pid_t pid) { return statusNumber(pid, "VmRSS"); }

int openDescriptors(pid_t pid)
{
    return static_cast<int>(ProgramDirectory::entries("/proc/" + std::to_string(pid) + "/fd").size());
}

// --- the program, its stdout read as it comes -----------------------------------

// The program run from a fresh directory with its readouts traced; stdout is
// a FIFO read here, so the first line is timed when it arrives.
class TracedProgram {
public:
    TracedProgram(Xvfb& server, const std::string& settings)
    {
        if (!m_directory.error().empty()) {
            m_error = m_directory.error();
            return;
        }
        if (!settings.empty() && !m_directory.writeSettings(settings)) {
            m_error = "cannot write the settings file";
            return;
        }
        const std::string fifo = m_directory.root() + "/stdout";
        if (::mkfifo(fifo.c_str(), 0600) != 0) {
            m_error = std::string("mkfifo: ") + std::strerror(errno);
            return;
        }
        // Opened before the program starts, so its open for writing does not block.
        m_fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            m_error = std::string("open fifo: ") + std::strerror(errno);
            return;
        }
        m_started = Clock::now();
        m_program.emplace(server, m_directory, RunningProgram::Launch{{}, {}, fifo, {}});
        if (!m_program->process().pid()) m_error = m_program->process().error();
    }

    ~TracedProgram()
    {
        m_program.reset();
        if (m_fd >= 0) ::close(m_fd);
    }

    TracedProgram(const TracedProgram&) = delete;
    TracedProgram& operator=(const TracedProgram&) = delete;

    bool started() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    pid_t pid() { return m_program ? m_program->process().pid() : 0; }
    bool running() { return m_program && m_program->process().running(); }
    Clock::time_point startedAt() const { return m_started; }
    std::string errors() const { return m_program ? m_program->errors() : std::string(); }

    // Reads whatever arrives within timeout (waiting no longer once something
    // came), so the program never blocks on a full pipe.
    void drain(std::chrono::milliseconds timeout)
    {
        pollfd p{m_fd, POLLIN, 0};
        if (m_fd < 0 || ::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return;
        const auto arrived = Clock::now();
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) break;
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] != '\n') {
                    m_line += buffer[i];
                    continue;
                }
                if (!m_firstLineAt) {
                    m_firstLineAt = arrived;
                    m_firstLine = m_line;
                }
                ++m_lines;
                m_line.clear();
            }
        }
    }

    // Time from just before the fork to the arrival of the first trace line.
    std::optional<Clock::duration> waitForFirstTick(Clock::duration timeout)
    {
        const auto deadline = m_started + timeout;
        while (!m_firstLineAt && Clock::now() < deadline && running()) drain(std::chrono::milliseconds(20));
        if (!m_firstLineAt) return std::nullopt;
        return *m_firstLineAt - m_started;
    }

    const std::string& firstLine() const { return m_firstLine; }
    long lines() const { return m_lines; }

private:
    ProgramDirectory m_directory;
    int m_fd = -1;
    std::string m_error;
    Clock::time_point m_started;
    std::optional<RunningProgram> m_program;
    std::optional<Clock::time_point> m_firstLineAt;
    std::string m_firstLine;
    std::string m_line;
    long m_lines = 0;
};

// A private server with an identity ramp and the backdrop under the pointer.
struct Scene {
    Xvfb server;
    std::unique_ptr<SolidWindow> backdrop;
    std::string error;

    Scene()
    {
        if (!server.running()) {
            error = server.error();
            return;
        }
        if (!loadIdentityRamp(server)) {
            error = "cannot load a gamma ramp into Xvfb";
            return;
        }
        backdrop = std::make_unique<SolidWindow>(server, Backdrop, UnderPointer);
        if (!backdrop->shown() || !server.warpPointer(backdrop->centre()))
            error = "cannot put a window under the pointer";
    }
};

bool readsTheBackdrop(const std::string& firstLine)
{
    return firstLine.starts_with("Bitmap " + std::to_string(UnderPointer.r) + ' ' + std::to_string(UnderPointer.g) +
                                 ' ' + std::to_string(UnderPointer.b) + " |");
}

// --- start-up ---------------------------------------------------------------------

// False when the starts could not be timed.
bool measureStartUp()
{
    const std::string figure = "Start-up to first tick, median of " + std::to_string(Starts);
    const std::string goal = "≤ 150 ms";
    Scene scene;
    if (!scene.error.empty()) {
        note("start-up: " + scene.error);
        row(figure, "not measured", goal, false);
        return false;
    }
    std::vector<double> ms;
    std::string times;
    for (int i = 0; i < Starts; ++i) {
        TracedProgram program(scene.server, {});
        const auto took = program.started() ? program.waitForFirstTick(ProgramStartTimeout) : std::nullopt;
        if (!took) {
            note("start-up: no first tick; " + program.error() + program.errors());
            row(figure, "not measured", goal, false);
            return false;
        }
        if (!readsTheBackdrop(program.firstLine())) note("start-up: unexpected first readout: " + program.firstLine());
        ms.push_back(duration<double, std::milli>(*took).count());
        times += format(" %.0f", ms.back());
    }
    note("start-up, ms per start:" + times);
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    row(figure, format("%.0f ms", median), goal, median <= 150.0);
    return true;
}

// --- CPU time and memory ----------------------------------------------------------

struct Reading {
    Clock::time_point at;
    long programTicks = 0;
    long serverTicks = 0;
};

// One run of the program with the magnifier hidden or shown, sampled on its
// own timeline (origin: just before its fork).
class CpuRun {
public:
    CpuRun(std::string name, const std::string& settings, Clock::duration window)
        : m_name(std::move(name)), m_window(window)
    {
        if (!m_scene.error.empty()) {
            m_error = m_scene.error;
            return;
        }
        m_program = std::make_unique<TracedProgram>(m_scene.server, settings);
        if (!m_program->started()) m_error = m_program->error();
        m_serverPid = m_scene.server.pid();
    }

    bool done() const { return !m_error.empty() || m_end; }

    // Takes the readings that are due; call it often.
    void step()
    {
        if (done()) return;
        m_program->drain(std::chrono::milliseconds(0));
        if (!m_program->running()) {
            m_error = "the program ended: " + m_program->errors();
            return;
        }
        const auto now = Clock::now();
        const auto age = now - m_program->startedAt();
        if (!m_start && age >= Settle) m_start = read();
        if (!m_early && age >= std::min<Clock::duration>(EarlyMemoryAt, Settle + m_window)) {
            m_early = residentKiB(m_program->pid());
            m_earlyAge = age;
        }
        if (m_start && m_early && age >= Settle + m_window) {
            m_late = residentKiB(m_program->pid());
            m_lateAge = age;
            m_end = read();
            m_threads = statusNumber(m_program->pid(), "Threads");
        }
    }

    // False when the run could not be measured.
    bool report(const std::string& cpuGoal, double cpuLimit)
    {
        const std::string memoryGoal = "< 40 MiB";
        if (!m_error.empty() || !m_start || !m_end || !m_early || !m_late) {
            note(m_name + ": " + (m_error.empty() ? "readings missing" : m_error));
            row("CPU, " + m_name, "not measured", cpuGoal, false);
            row("Resident memory, " + m_name, "not measured", memoryGoal + ", not growing", false);
            return false;
        }
        if (!readsTheBackdrop(m_program->firstLine()))
            note(m_name + ": unexpected first readout: " + m_program->firstLine());
        const auto over = m_end->at - m_start->at;
        const double cpu = cpuPercent(m_end->programTicks - m_start->programTicks, over);
        note(m_name + format(": %.1f s measured", seconds(over)) +
             format(", Xvfb meanwhile %.2f %% of a core", cpuPercent(m_end->serverTicks - m_start->serverTicks, over)) +
             ", threads " + std::to_string(m_threads.value_or(0)) + ", trace lines " +
             std::to_string(m_program->lines()));
        row("CPU, " + m_name, format("%.2f %% of a core", cpu), cpuGoal, cpu < cpuLimit);

        const long growth = *m_late - *m_early;
        const std::string early = format("at %.0f s", seconds(m_earlyAge));
        const std::string late = format("at %.0f s", seconds(m_lateAge));
        note(m_name + ": VmRSS " + std::to_string(*m_early) + " KiB " + early + ", " + std::to_string(*m_late) +
             " KiB " + late);
        row("Resident memory " + early + ", " + m_name, format("%.1f MiB", mib(*m_early)), memoryGoal,
            mib(*m_early) < 40.0);
        // A page or two of slack: a lazily touched page is no growth.
        row("Resident memory " + late + ", " + m_name,
            format("%.1f MiB", mib(*m_late)) + format(" (%+.0f KiB since ", static_cast<double>(growth)) +
                format("%.0f s)", seconds(m_earlyAge)),
            memoryGoal + ", not growing", mib(*m_late) < 40.0 && growth <= 8);
        return true;
    }

private:
    Reading read()
    {
        return {Clock::now(), cpuTicks(m_program->pid()).value_or(0),
                m_serverPid ? cpuTicks(m_serverPid).value_or(0) : 0};
    }

    std::string m_name;
    Clock::duration m_window;
    Scene m_scene;
    std::unique_ptr<TracedProgram> m_program;
    pid_t m_serverPid = 0;
    std::string m_error;
    std::optional<Reading> m_start, m_end;
    std::optional<long> m_early, m_late, m_threads;
    Clock::duration m_earlyAge{}, m_lateAge{};
};

// Both runs at once, each on its own server: CPU time is counted per process,
// and the two together keep well under one of the two cores.
bool measureCpuAndMemory(std::chrono::seconds window)
{
    note("CPU and memory: two runs side by side for " + std::to_string(window.count()) + " s after a " +
         std::to_string(Settle.count()) + " s settle");
    CpuRun hidden("magnifier hidden", {}, window);
    CpuRun shown("magnifier at 32×", MagnifierAt32, window);
    while (!hidden.done() || !shown.done()) {
        hidden.step();
        shown.step();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const bool measuredHidden = hidden.report("< 0.5 %", 0.5);
    const bool measuredShown = shown.report("< 2 %", 2.0);
    return measuredHidden && measuredShown;
}

// --- CPU on Wayland ----------------------------------------------------------------

// The program with the magnifier hidden on a headless GNOME session: what the
// Wayland backend costs (the portal's frames and cursor metadata through
// PipeWire), beside the X11 row. Run after the X11 runs, alone.
bool measureWaylandCpu(std::chrono::seconds window)
{
    const std::string figure = "CPU on Wayland (headless GNOME), magnifier hidden";
    const std::string goal = "< 0.5 % (as on X11)";
    HeadlessGnome session;
    TempDir programDir("tintora-program");
    WaylandColourClient client(session, WAYLAND_TEST_CLIENT, "C86400", "C86400");
    std::error_code e;
    std::string error = !session.running()                     ? session.error()
                        : !session.allowProgramScreenCast()    ? session.error()
                        : !client.ready(std::chrono::seconds(30)) ? client.error()
                        : !std::filesystem::copy_file(TINTORA_BINARY, programDir.file("tintora"), e)
                            ? e.message()
                            : std::string();
    TempFile trace, errors;
    std::unique_ptr<ChildProcess> program;
    if (error.empty()) {
        EnvironmentChanges environment = session.clientEnvironment();
        environment["TINTORA_TRACE_READOUTS"] = "1";
        program = std::make_unique<ChildProcess>(programDir.file("tintora"), std::vector<std::string>{},
                                                 environmentWith(environment), errors.path(), trace.path());
        if (!waitUntil(std::chrono::seconds(30), [&] { return trace.contents().find("Bitmap 200 100 0") != std::string::npos; }))
            error = "no readout of the window's colour: " + errors.contents();
    }
    if (error.empty()) {
        std::this_thread::sleep_for(Settle);
        const auto startTicks = cpuTicks(program->pid());
        const auto start = Clock::now();
        std::this_thread::sleep_for(window);
        const auto endTicks = cpuTicks(program->pid());
        const auto over = Clock::now() - start;
        if (program->running() && startTicks && endTicks) {
            const double cpu = cpuPercent(*endTicks - *startTicks, over);
            note(format("Wayland: %.1f s measured", seconds(over)) + ", threads " +
                 std::to_string(statusNumber(program->pid(), "Threads").value_or(0)));
            row(figure, format("%.2f %% of a core", cpu), goal, cpu < 0.5);
            return true;
        }
        error = "the program ended: " + errors.contents();
    }
    note("Wayland: " + error);
    row(figure, "not measured", goal, false);
    return false;
}

// --- soak -------------------------------------------------------------------------

// The X resources of the program's connections, counted by type.
struct XResources {
    int clients = 0;
    std::map<std::string, long> counts;
    unsigned long pixmapBytes = 0;
    long total() const
    {
        long sum = 0;
        for (const auto& [type, count] : counts) sum += count;
        return sum;
    }
};

std::optional<XResources> xResourcesOf(Display* d, pid_t pid)
{
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XResQueryExtension(d, &event, &error) || !XResQueryVersion(d, &major, &minor) ||
        (major == 1 && minor < 2))
        return std::nullopt;
    XResClientIdSpec everyone{None, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(d, 1, &everyone, &count, &ids) != Success) return std::nullopt;
    XResources found;
    for (long i = 0; i < count; ++i) {
        if (XResGetClientPid(&ids[i]) != pid) continue;
        const XID client = ids[i].spec.client;
        ++found.clients;
        int types = 0;
        XResType* list = nullptr;
        // The version 1.0 requests return a Status (non-zero: done), 1.2's Success.
        if (XResQueryClientResources(d, client, &types, &list)) {
            for (int t = 0; t < types; ++t) {
                char* name = XGetAtomName(d, list[t].resource_type);
                found.counts[name ? name : "?"] += list[t].count;
                if (name) XFree(name);
            }
            XFree(list);
        }
        unsigned long bytes = 0;
        if (XResQueryClientPixmapBytes(d, client, &bytes)) found.pixmapBytes += bytes;
    }
    XResClientIdsDestroy(count, ids);
    return found;
}

struct Holdings {
    Clock::time_point at;
    long cpuTicks = 0;
    long residentKiB = 0;
    int descriptors = 0;
    std::optional<XResources> x;
};

Holdings holdingsOf(Xvfb& server, pid_t pid)
{
    return {Clock::now(), cpuTicks(pid).value_or(0), residentKiB(pid).value_or(0), openDescriptors(pid),
            xResourcesOf(server.display(), pid)};
}

std::string describe(const Holdings& h)
{
    std::string text = "VmRSS " + std::to_string(h.residentKiB) + " KiB, " + std::to_string(h.descriptors) +
                       " open descriptors";
    if (!h.x) return text + ", X resources unknown";
    text += ", X: " + std::to_string(h.x->clients) + " connections, " + std::to_string(h.x->total()) +
            " resources (";
    bool first = true;
    for (const auto& [type, count] : h.x->counts) {
        text += (first ? "" : " ") + type + "=" + std::to_string(count);
        first = false;
    }
    return text + format("), pixmaps %.0f KiB", static_cast<double>(h.x->pixmapBytes) / 1024.0);
}

// A grid of tiles of different colours around the pointer's haunts, so the
// magnified picture and the readouts change as it moves.
std::vector<std::unique_ptr<SolidWindow>> tiles(Xvfb& server)
{
    constexpr int Side = 50;
    std::vector<std::unique_ptr<SolidWindow>> made;
    constexpr int Columns = Backdrop.width / Side;
    for (int line = 0; line < Backdrop.height / Side; ++line)
        for (int column = 0; column < Columns; ++column) {
            const int i = line * Columns + column;
            const Colour c{static_cast<std::uint8_t>(37 * i), static_cast<std::uint8_t>(255 - 29 * i),
                           static_cast<std::uint8_t>(91 * i)};
            made.push_back(std::make_unique<SolidWindow>(
                server, Rect{Backdrop.x + column * Side, Backdrop.y + line * Side, Side, Side}, c));
        }
    return made;
}

int soak(int minutes)
{
    note("soak: the magnifier at 32× for " + std::to_string(minutes) + " min, the pointer moved every second");
    Scene scene;
    if (!scene.error.empty()) {
        note("soak: " + scene.error);
        return 1;
    }
    const auto grid = tiles(scene.server);
    TracedProgram program(scene.server, MagnifierAt32);
    if (!program.started() || !program.waitForFirstTick(ProgramStartTimeout)) {
        note("soak: no first tick; " + program.error() + program.errors());
        return 1;
    }
    // The pointer moves from the first tick on, so the start figures already
    // include what the first moves bring in (glyphs of new digits and the like).
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> x(Backdrop.x, Backdrop.x + Backdrop.width - 1);
    std::uniform_int_distribution<int> y(Backdrop.y, Backdrop.y + Backdrop.height - 1);
    long moves = 0;
    auto moveUntil = [&](Clock::time_point until) {
        while (Clock::now() < until) {
            const auto next = std::min(until, Clock::now() + std::chrono::seconds(1));
            while (Clock::now() < next && program.running()) program.drain(std::chrono::milliseconds(50));
            if (!program.running()) {
                note("soak: the program ended: " + program.errors());
                return false;
            }
            moves += scene.server.warpPointer({x(random), y(random)}) ? 1 : 0;
        }
        return true;
    };
    if (!moveUntil(program.startedAt() + EarlyMemoryAt)) return 1;
    const Holdings start = holdingsOf(scene.server, program.pid());
    note("soak start: " + describe(start));
    const long linesBefore = program.lines();
    // Memory is read each minute: the allocator settles over the first
    // minutes, so growth is judged on the second half of the run.
    std::vector<long> residentByMinute{start.residentKiB};
    for (int minute = 1; minute < minutes; ++minute) {
        if (!moveUntil(start.at + std::chrono::minutes(minute))) return 1;
        const Holdings now = holdingsOf(scene.server, program.pid());
        residentByMinute.push_back(now.residentKiB);
        note("soak at " + std::to_string(minute) + " min: " + describe(now));
    }
    if (!moveUntil(start.at + std::chrono::minutes(minutes))) return 1;
    program.drain(std::chrono::milliseconds(100));
    const Holdings last = holdingsOf(scene.server, program.pid());
    note("soak end: " + describe(last));
    note("soak: " + std::to_string(moves) + " pointer moves, " + std::to_string(program.lines() - linesBefore) +
         " readout changes traced, " +
         format("CPU %.2f %% of a core", cpuPercent(last.cpuTicks - start.cpuTicks, last.at - start.at)));

    const std::string soakName = "Soak " + std::to_string(minutes) + " min at 32×: ";
    const long growth = last.residentKiB - start.residentKiB;
    const long lateGrowth = last.residentKiB - residentByMinute[static_cast<std::size_t>(minutes / 2)];
    // Two pages of slack for the allocator.
    row(soakName + "resident memory",
        format("%.1f", mib(start.residentKiB)) + format(" → %.1f MiB", mib(last.residentKiB)) +
            format(" (%+.0f KiB; ", static_cast<double>(growth)) +
            format("%+.0f KiB in the second half)", static_cast<double>(lateGrowth)),
        "not growing", lateGrowth <= 8);
    row(soakName + "open file descriptors",
        std::to_string(start.descriptors) + " → " + std::to_string(last.descriptors), "not growing",
        last.descriptors <= start.descriptors);
    if (start.x && last.x) {
        auto countOf = [](const XResources& r, const std::string& type) {
            return r.counts.contains(type) ? r.counts.at(type) : 0L;
        };
        std::map<std::string, long> types = start.x->counts;
        types.insert(last.x->counts.begin(), last.x->counts.end());
        for (const auto& [type, unused] : types)
            if (countOf(*start.x, type) != countOf(*last.x, type))
                note("soak: X resources of type " + type + ": " + std::to_string(countOf(*start.x, type)) + " → " +
                     std::to_string(countOf(*last.x, type)));
        row(soakName + "X resources held",
            std::to_string(start.x->total()) + " → " + std::to_string(last.x->total()) + " in " +
                std::to_string(last.x->clients) + " connections",
            "not growing", last.x->total() <= start.x->total());
        row(soakName + "X pixmap memory",
            format("%.0f", static_cast<double>(start.x->pixmapBytes) / 1024.0) +
                format(" → %.0f KiB", static_cast<double>(last.x->pixmapBytes) / 1024.0),
            "not growing", last.x->pixmapBytes <= start.x->pixmapBytes);
    } else {
        row(soakName + "X resources held", "not measured (no X-Resource 1.2)", "not growing", false);
    }
    return 0;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: process_bench [--seconds N] | --soak-minutes N\n"
                 "  --seconds N       length of the CPU measuring window (default 60)\n"
                 "  --soak-minutes N  run the program at 32x for N minutes and compare its holdings\n"
                 "Exits 1 when something could not be run; missed goals show as NO in the rows.\n");
    return 2;
}

std::optional<int> positive(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value <= 0 || value > 100000) return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

int main(int argc, char** argv)
{
    int windowSeconds = 60;
    std::optional<int> soakMinutes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = i + 1 < argc ? positive(argv[i + 1]) : std::nullopt;
        if ((arg != "--seconds" && arg != "--soak-minutes") || !value) return usage();
        (arg == "--seconds" ? windowSeconds : soakMinutes.emplace()) = *value;
        ++i;
    }
    if (soakMinutes) return soak(*soakMinutes);

    note("load average before: " + readAll("/proc/loadavg").substr(0, 14));
    const bool startUp = measureStartUp();
    const bool cpuAndMemory = measureCpuAndMemory(std::chrono::seconds(windowSeconds));
    const bool wayland = measureWaylandCpu(std::chrono::seconds(windowSeconds));
    return startUp && cpuAndMemory && wayland ? 0 : 1;
}
