#include "probe/probe_report.h"

#include <cmath>
#include <ostream>

#include "core/checked_output.h"
#include "core/colour_text.h"
#include "core/number_text.h"
#include "core/quoted_text.h"
#include "probe/lut.h"
#include "probe/profile_text.h"
#include "probe/ramp_summary.h"

namespace tintora {

namespace {

std::string jsonString(const std::string& text) { return quotedText(text, Quoting::Json); }

// A CSV field, quoted only when it has to be.
std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

std::string labWords(const Lab& lab, char between)
{
    return oneDecimal(lab.L) + between + oneDecimal(lab.a) + between + oneDecimal(lab.b);
}

std::string jsonNumber(double v) { return std::isfinite(v) ? oneDecimal(v) : "null"; }

std::string jsonLab(const Lab& lab)
{
    return "[" + jsonNumber(lab.L) + "," + jsonNumber(lab.a) + "," + jsonNumber(lab.b) + "]";
}

// The verdict as one word of --at and --json.
const char* calibrationWord(CalibrationVerdict verdict)
{
    switch (verdict) {
    case CalibrationVerdict::Loaded: return "loaded";
    case CalibrationVerdict::Lost: return "lost";
    case CalibrationVerdict::NoneStraightRamp: return "none";
    case CalibrationVerdict::NoneRampNotStraight: return "not-straight";
    case CalibrationVerdict::Unknown: break;
    }
    return "unknown";
}

// The verdict in the words of --profile.
const char* calibrationReportWords(CalibrationVerdict verdict)
{
    switch (verdict) {
    case CalibrationVerdict::Loaded: return "loaded";
    case CalibrationVerdict::Lost: return "lost";
    case CalibrationVerdict::NoneStraightRamp: return "none";
    case CalibrationVerdict::NoneRampNotStraight: return "none ramp not straight";
    case CalibrationVerdict::Unknown: break;
    }
    return "unknown";
}

std::string profileWords(const ProfileFacts& f)
{
    std::string words = " profile " + quotedText(f.description) + " calibration " + calibrationWord(f.check.verdict) +
                        " lab " +
                        labWords(f.intended, ' ') + " seen ";
    return words + (f.seen ? labWords(*f.seen, ' ') + " de " + oneDecimal(f.deltaE) : "none de none");
}

std::string profileJson(const std::optional<ProfileFacts>& f)
{
    if (!f) return ",\"profile\":null,\"calibration\":null,\"lab\":null,\"seenLab\":null,\"deltaE\":null";
    const CalibrationVerdict verdict = f->check.verdict;
    std::string json = ",\"profile\":" + jsonString(f->description) + ",\"calibration\":";
    json += verdict == CalibrationVerdict::Unknown ? std::string("null") : jsonString(calibrationWord(verdict));
    json += ",\"lab\":" + jsonLab(f->intended);
    json += ",\"seenLab\":" + (f->seen ? jsonLab(*f->seen) : std::string("null"));
    json += ",\"deltaE\":" + (f->seen ? jsonNumber(f->deltaE) : std::string("null"));
    return json;
}

// What --profile says first of the monitor a profile stands for, where the
// screen tells monitors apart from outputs: 'monitor 1 "right" 960x1080 at
// 960,0 '.
std::string monitorWords(const ProfileMonitor& monitor)
{
    if (monitor.index < 0) return "";
    const Rect& r = monitor.rect;
    return "monitor " + std::to_string(monitor.index) + " " + quotedText(monitor.name) + " " +
           std::to_string(r.width) + "x" + std::to_string(r.height) + " at " + std::to_string(r.x) + "," +
           std::to_string(r.y) + " ";
}

// One output's line of --profile, without its line end.
std::string profileLine(const PublishedProfile& published, const RampReading* ramp)
{
    // "output none": a monitor that no output shows.
    std::string line = monitorWords(published.monitor) + "output " +
                       (published.output.empty() ? std::string("none") : published.output) + " profile ";
    const std::string source = " source " + quotedText(published.origin);
    // Refused by the screen before it read the bytes: published all the same.
    if (!published.refusal.empty())
        return line + "unreadable " + quotedText(published.refusal) + " bytes " +
               std::to_string(published.refusedSize) + source;
    if (published.bytes.empty()) return line + "none";
    const std::string size = " bytes " + std::to_string(published.bytes.size());
    std::string whyNot;
    const std::unique_ptr<DisplayProfile> profile = DisplayProfile::read(published.bytes, whyNot);
    if (!profile) return line + "unreadable " + quotedText(whyNot) + size + source;
    line += quotedText(profile->description()) + size + " vcgt " + (profile->hasCalibration() ? "yes" : "no");
    const CalibrationCheck check = ramp ? profile->check(ramp->ramp) : CalibrationCheck{};
    line += std::string(" calibration ") + calibrationReportWords(check.verdict);
    if (rampDiffersFromExpected(check.verdict))
        line += " difference " + std::to_string(check.largestDifference) + " of 65535 level " + std::to_string(check.level) +
                " channel " + channelName(check.channel);
    return line + source;
}

} // namespace

std::string probeLine(const Sample& r)
{
    std::string line = std::to_string(r.at.x) + " " + std::to_string(r.at.y) + " bitmap ";
    if (!r.bitmap) return line + "none lut none";
    line += hexColour(*r.bitmap) + " lut ";
    if (!r.ramp) {
        line += "none";
    } else {
        const RawEntries e = *r.entries();
        line += hexColour(*r.lut()) + " ramp " + std::to_string(e.R) + " " + std::to_string(e.G) + " " +
                std::to_string(e.B) + " output " + r.ramp->output;
    }
    return r.profile ? line + profileWords(*r.profile) : line;
}

std::string probeJson(const Sample& r)
{
    std::string json = "{\"x\":" + std::to_string(r.at.x) + ",\"y\":" + std::to_string(r.at.y) + ",\"bitmap\":";
    json += r.bitmap ? jsonString(hexColour(*r.bitmap)) : "null";
    if (!r.bitmap || !r.ramp) {
        json += ",\"lut\":null,\"ramp\":null,\"output\":null,\"rampSize\":null,\"identity\":null";
    } else {
        const RawEntries e = *r.entries();
        json += ",\"lut\":" + jsonString(hexColour(*r.lut()));
        json += ",\"ramp\":[" + std::to_string(e.R) + "," + std::to_string(e.G) + "," + std::to_string(e.B) + "]";
        json += ",\"output\":" + jsonString(r.ramp->output);
        json += ",\"rampSize\":" + std::to_string(r.ramp->size);
        json += std::string(",\"identity\":") + (isIdentityRamp(r.ramp->ramp) ? "true" : "false");
    }
    return json + profileJson(r.bitmap ? r.profile : std::nullopt) + "}";
}

std::string rampCsv(const std::vector<RampReading>& ramps)
{
    std::string csv = "output,level,red,green,blue\n";
    for (const RampReading& r : ramps) {
        const std::string name = csvField(r.output);
        for (std::size_t level = 0; level < 256; ++level)
            csv += name + "," + std::to_string(level) + "," + std::to_string(r.ramp[level]) + "," +
                   std::to_string(r.ramp[256 + level]) + "," + std::to_string(r.ramp[512 + level]) + "\n";
    }
    return csv;
}

std::string profileReport(const std::vector<PublishedProfile>& profiles, const std::vector<RampReading>& ramps)
{
    std::string report;
    for (const PublishedProfile& published : profiles) {
        const RampReading* ramp = nullptr;
        for (const RampReading& r : ramps)
            if (!published.output.empty() && r.output == published.output) ramp = &r;
        report += profileLine(published, ramp) + "\n";
    }
    return report;
}

int runProbe(const ProgramOptions& options, Screen& screen, std::ostream& out, std::ostream& err)
{
    // A report that could not be written in full is a failure, said once.
    constexpr std::string_view Report = "the report";
    if (options.lutTable) {
        const std::vector<RampReading> ramps = screen.ramps->allRamps();
        if (ramps.empty()) err << "tintora: no output offers a gamma ramp that can be read.\n";
        return writeChecked(out, rampCsv(ramps), Report, err) ? 0 : 1;
    }
    if (options.profiles) {
        const std::vector<PublishedProfile> profiles = screen.profiles->allProfiles();
        if (profiles.empty()) err << "tintora: no output can be told on this display; no profile is read.\n";
        return writeChecked(out, profileReport(profiles, screen.ramps->allRamps()), Report, err) ? 0 : 1;
    }
    bool warnedNoRamp = false;
    // One sampler for the run, as the windows' tick has: a profile shared by
    // several points is read once, and one that does not read is said once.
    Sampler sampler;
    for (const Point p : options.probePoints) {
        const Sample& reading = sampler.sampleAt(screen, p, err);
        if (!writeChecked(out, (options.json ? probeJson(reading) : probeLine(reading)) + '\n', Report, err)) return 1;
        if (!reading.bitmap) {
            err << "tintora: no monitor shows the point " << p.x << "," << p.y << ".\n";
        } else if (!reading.ramp && !warnedNoRamp) {
            warnedNoRamp = true;
            err << "tintora: no gamma ramp can be read on this display; the LUT colours are left out.\n";
        }
    }
    return 0;
}

} // namespace tintora
