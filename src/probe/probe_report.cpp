#include "probe/probe_report.h"

#include <ostream>

#include "core/checked_output.h"
#include "core/colour_text.h"
#include "probe/lut.h"
#include "probe/ramp_summary.h"

namespace tintora {

namespace {

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            static const char digits[] = "0123456789abcdef";
            out += "\\u00";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

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

} // namespace

PointReading readPoint(Screen& screen, Point p)
{
    PointReading reading{p, std::nullopt, std::nullopt};
    const ColourValue pixel = screen.pixel(p);
    if (pixel == InvalidColour) return reading;
    reading.bitmap = rgbFromColourValue(pixel);
    RampReading ramp;
    if (screen.rampAt(p, ramp)) reading.ramp = std::move(ramp);
    return reading;
}

std::string probeLine(const PointReading& r)
{
    std::string line = std::to_string(r.at.x) + " " + std::to_string(r.at.y) + " bitmap ";
    if (!r.bitmap) return line + "none lut none";
    line += hexColour(*r.bitmap) + " lut ";
    if (!r.ramp) return line + "none";
    const RawEntries e = rawEntries(r.ramp->ramp, *r.bitmap);
    return line + hexColour(mapThroughRamp(r.ramp->ramp, *r.bitmap)) + " ramp " + std::to_string(e.R) + " " +
           std::to_string(e.G) + " " + std::to_string(e.B) + " output " + r.ramp->output;
}

std::string probeJson(const PointReading& r)
{
    std::string json = "{\"x\":" + std::to_string(r.at.x) + ",\"y\":" + std::to_string(r.at.y) + ",\"bitmap\":";
    json += r.bitmap ? jsonString(hexColour(*r.bitmap)) : "null";
    if (!r.bitmap || !r.ramp)
        return json + ",\"lut\":null,\"ramp\":null,\"output\":null,\"rampSize\":null,\"identity\":null}";
    const RawEntries e = rawEntries(r.ramp->ramp, *r.bitmap);
    json += ",\"lut\":" + jsonString(hexColour(mapThroughRamp(r.ramp->ramp, *r.bitmap)));
    json += ",\"ramp\":[" + std::to_string(e.R) + "," + std::to_string(e.G) + "," + std::to_string(e.B) + "]";
    json += ",\"output\":" + jsonString(r.ramp->output);
    json += ",\"rampSize\":" + std::to_string(r.ramp->size);
    json += std::string(",\"identity\":") + (isIdentityRamp(r.ramp->ramp) ? "true" : "false") + "}";
    return json;
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

int runProbe(const ProgramOptions& options, Screen& screen, std::ostream& out, std::ostream& err)
{
    // A report that could not be written in full is a failure, said once.
    constexpr std::string_view Report = "the report";
    if (options.lutTable) {
        const std::vector<RampReading> ramps = screen.allRamps();
        if (ramps.empty()) err << "tintora: no output offers a gamma ramp that can be read.\n";
        return writeChecked(out, rampCsv(ramps), Report, err) ? 0 : 1;
    }
    bool warnedNoRamp = false;
    for (const Point p : options.probePoints) {
        const PointReading reading = readPoint(screen, p);
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
