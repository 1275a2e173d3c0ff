#pragma once

// What the benchmarks of one program share: the world they run in (a private
// Xvfb, the real X11 platform, the floor's own connection), the count of
// allocations, and the rows of the summary table that compare each figure
// with its goal.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "mainwindow/main_window.h"

class XlibFloor;

namespace tintora::test {
class Xvfb;
}

namespace tintora::bench {

struct World {
    Platform* platform = nullptr;
    XlibFloor* floor = nullptr;
    test::Xvfb* server = nullptr; // the private server, for tools run against it
    // Centre of the coloured window the pointer rests on.
    Point pointer;
};
World& world();

// What a main window of the benchmarks starts from: a fixed position and no
// settings file (it is never shown, so never reads or writes one).
inline MainWindowSetup mainWindowSetup() { return {{"-x", "0", "-y", "0"}, "/nonexistent/", "tintora", "."}; }

// Memory blocks this process has asked for so far (malloc, calloc, realloc,
// the aligned kinds, and so every operator new), in all threads.
std::uint64_t allocationCount();
// Name of the benchmark counter that holds allocations per iteration.
inline constexpr const char* AllocationsCounter = "allocs";

// Per iteration, in microseconds; the median when repetitions were asked for.
struct Times {
    double real = 0;
    double cpu = 0;
    double allocations = -1; // per iteration; -1 when not counted
    bool median = false;
};
using TimesByName = std::map<std::string, Times>;

// One line of the summary table: | figure | measured | goal | met |
struct Row {
    std::string figure;
    std::string measured;
    std::string goal;
    bool met = false;
};
std::string rowText(const Row& row);
std::string format(const char* pattern, double a, double b = 0, double c = 0);

// Each group registers its benchmarks and, once they have run, reads its
// rows off the times (a group whose benchmarks did not run gives none).
void registerProbeBenchmarks();
std::vector<Row> probeRows(const TimesByName& times);
void registerMagnifierBenchmarks();
std::vector<Row> magnifierRows(const TimesByName& times);
void registerColourDialogBenchmarks();
std::vector<Row> colourDialogRows(const TimesByName& times);
void registerLutBenchmarks();
std::vector<Row> lutRows(const TimesByName& times);
void registerColourProfileBenchmarks();
std::vector<Row> colourProfileRows(const TimesByName& times);
void registerProfileTickBenchmarks();
std::vector<Row> profileTickRows(const TimesByName& times);

} // namespace tintora::bench
