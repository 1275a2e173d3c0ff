#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/program_options.h"
#include "core/rgb.h"
#include "platform/screen.h"

namespace tintora {

// What the scriptable probe read at one point.
struct PointReading {
    Point at;
    std::optional<Rgb> bitmap;       // nothing: no monitor shows the point
    std::optional<RampReading> ramp; // nothing: no ramp could be read there
};

// Reads the pixel at p and the ramp of the output that shows it.
PointReading readPoint(Screen& screen, Point p);

// "300 300 bitmap C86400 lut C96400 ramp 51400 25700 0 output HDMI-1";
// "... bitmap C86400 lut none" without a ramp, "... bitmap none lut none"
// where no monitor shows the point. No line end.
std::string probeLine(const PointReading& reading);

// The same as one JSON object: x, y, bitmap, lut, ramp (the three entries),
// output, rampSize (the output's own size) and identity; null for what could
// not be read. No line end.
std::string probeJson(const PointReading& reading);

// Every ramp as CSV: the header "output,level,red,green,blue", then 256 rows
// per output, levels 0 to 255. Lines end in LF.
std::string rampCsv(const std::vector<RampReading>& ramps);

// Runs the probe the options ask for (probing() must be true): the --at
// lines or the --lut table on out, warnings on err. Returns the exit status:
// 1, with one message on err, when out fails.
int runProbe(const ProgramOptions& options, Screen& screen, std::ostream& out, std::ostream& err);

} // namespace tintora
