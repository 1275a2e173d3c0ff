#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/program_options.h"
#include "core/rgb.h"
#include "platform/screen.h"
#include "probe/sampler.h"

namespace tintora {

// --at and --json print what a Sampler (probe/sampler.h) reads at each point,
// as the windows' probe tick does.

// "300 300 bitmap C86400 lut AB4400 ramp 43690 17286 0 output screen";
// "... bitmap C86400 lut none" without a ramp, "... bitmap none lut none"
// where no monitor shows the point. Where a display profile applies, then
// ' profile "sRGB" calibration loaded lab 54.0 37.4 62.4 seen 54.0 37.4
// 62.4 de 0.0': calibration loaded, lost, none (the profile has no vcgt and
// the ramp is straight), not-straight (no vcgt, and a ramp that is not
// straight) or unknown (no ramp); "seen none de none" where the seen colour
// cannot be told (no ramp, or the ramp beyond the calibration's range). No
// line end.
std::string probeLine(const Sample& sample);

// The same as one JSON object: x, y, bitmap, lut, ramp (the three entries),
// output, rampSize (the output's own size), identity, profile (its
// description), calibration ("loaded", "lost", "none", "not-straight"), lab,
// seenLab (three numbers each) and deltaE; null for what could not be read or
// told. No line end.
std::string probeJson(const Sample& sample);

// What --profile prints: one line per output, in the order given, each
// checked against the ramp of the output of the same name where there is one:
//   output HDMI-1 profile "Office 27" bytes 3144 vcgt yes calibration loaded source "output property _ICC_PROFILE"
//   output HDMI-1 profile "Office 27" bytes 3144 vcgt yes calibration lost difference 19251 of 65535 level 255
//     channel red source "output property _ICC_PROFILE"
//   output DP-1 profile none
//   output DP-2 profile unreadable "The display profile's bytes are not an ICC profile." bytes 200
//     source "root property _ICC_PROFILE"
// calibration is loaded, lost, none (no vcgt; the straight ramp is checked as
// the one expected, "none ramp not straight difference ..." where it is not)
// or unknown (no ramp). A profile the screen refused unread (too large, an
// empty property) is unreadable too, with why and its published size. Where
// the screen lists profiles by monitor (X11), one line per monitor and
// output that shows it, each led by the monitor's number, name and place:
//   monitor 1 "right" 960x1080 at 960,0 output screen profile none
// ("output none" for a monitor that no output shows). Lines end in LF.
std::string profileReport(const std::vector<PublishedProfile>& profiles, const std::vector<RampReading>& ramps);

// Every ramp as CSV: the header "output,level,red,green,blue", then 256 rows
// per output, levels 0 to 255. Lines end in LF.
std::string rampCsv(const std::vector<RampReading>& ramps);

// Runs the probe the options ask for (probing() must be true): the --at
// lines, the --lut table or the --profile lines on out, warnings on err. Returns the exit status:
// 1, with one message on err, when out fails.
int runProbe(const ProgramOptions& options, Screen& screen, std::ostream& out, std::ostream& err);

} // namespace tintora
