// The colour dialog's two images: the hue-saturation field, made when the
// dialog opens, and the brightness scale, made again for every colour picked
// on the field (so many times a second while dragging).

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "colourdialog/picker_images.h"

using namespace tintora;

namespace tintora::bench {

namespace {


void colourFieldImage(benchmark::State& st)
{
    for (auto _ : st) benchmark::DoNotOptimize(makeFieldImage(FieldWidth, FieldHeight));
}

void brightnessScaleRebuild(benchmark::State& st)
{
    // Into one image kept from rebuild to rebuild, as the dialog keeps it.
    ScreenImage scale;
    // Every iteration a different base, as a drag over the field gives.
    ColourValue base = 0x0000FF;
    for (auto _ : st) {
        fillScaleImage(base, ScaleWidth, ScaleHeight, scale);
        base = withoutTopByte(base * 2654435761u + 0x010203u);
        benchmark::DoNotOptimize(scale.pixels.data());
    }
}

} // namespace

void registerColourDialogBenchmarks()
{
    benchmark::RegisterBenchmark("colourFieldImage", colourFieldImage)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("brightnessScaleRebuild", brightnessScaleRebuild)->Unit(benchmark::kMicrosecond);
}

// No floor here: the goals are what keeps the dialog quick to open (well
// inside one frame) and a drag smooth (a small part of one frame).
std::vector<Row> colourDialogRows(const TimesByName& t)
{
    std::vector<Row> rows;
    if (t.contains("colourFieldImage")) {
        const double us = t.at("colourFieldImage").real;
        rows.push_back({"Colour field image, 255 x 255", format("%.0f us", us), "<= 5000 us", us <= 5000});
    }
    if (t.contains("brightnessScaleRebuild")) {
        const double us = t.at("brightnessScaleRebuild").real;
        rows.push_back({"Brightness scale rebuild, 20 x 255", format("%.1f us", us), "<= 1000 us", us <= 1000});
    }
    return rows;
}

} // namespace tintora::bench
