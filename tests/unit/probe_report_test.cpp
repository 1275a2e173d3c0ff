#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>
#include <streambuf>

#include "core/checked_output.h"
#include "fake/fake_platform.h"
#include "probe/probe_report.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

const GammaTable Straight = rampOf([](int i) { return i * 257; });

// What a sampler would hand out at one point.
Sample pointSample(Point at, std::optional<Rgb> bitmap, std::optional<RampReading> ramp,
                   std::optional<ProfileFacts> profile)
{
    Sample s;
    s.at = at;
    s.bitmap = bitmap;
    s.ramp = std::move(ramp);
    s.profile = std::move(profile);
    return s;
}

} // namespace

TEST(ProbeReport, lineAndJsonOfOnePoint)
{
    GammaTable corrected = Straight;
    corrected[200] = 51000;      // red 200
    corrected[256 + 100] = 0;    // green 100
    const struct {
        const char* name;
        Sample reading;
        const char* line;
        const char* json;
    } cases[] = {
        {"straight ramp", pointSample({300, 300}, Rgb{200, 100, 0}, RampReading{Straight, "HDMI-1", 256}, std::nullopt),
         "300 300 bitmap C86400 lut C96400 ramp 51400 25700 0 output HDMI-1",
         R"({"x":300,"y":300,"bitmap":"C86400","lut":"C96400","ramp":[51400,25700,0],"output":"HDMI-1","rampSize":256,"identity":true,"profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"},
        {"corrected ramp of another size", pointSample({-20, 7}, Rgb{200, 100, 0}, RampReading{corrected, "DP-1", 1024}, std::nullopt),
         "-20 7 bitmap C86400 lut C70000 ramp 51000 0 0 output DP-1",
         R"({"x":-20,"y":7,"bitmap":"C86400","lut":"C70000","ramp":[51000,0,0],"output":"DP-1","rampSize":1024,"identity":false,"profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"},
        {"no ramp", pointSample({1, 2}, Rgb{0, 0x0A, 0xFF}, std::nullopt, std::nullopt), "1 2 bitmap 000AFF lut none",
         R"({"x":1,"y":2,"bitmap":"000AFF","lut":null,"ramp":null,"output":null,"rampSize":null,"identity":null,"profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"},
        {"no pixel", pointSample({5000, 0}, std::nullopt, std::nullopt, std::nullopt), "5000 0 bitmap none lut none",
         R"({"x":5000,"y":0,"bitmap":null,"lut":null,"ramp":null,"output":null,"rampSize":null,"identity":null,"profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"},
        {"output name needing escapes", pointSample({0, 0}, Rgb{0, 0, 0}, RampReading{Straight, "a\"b\\c\x01", 256}, std::nullopt),
         "0 0 bitmap 000000 lut 000000 ramp 0 0 0 output a\"b\\c\x01",
         R"({"x":0,"y":0,"bitmap":"000000","lut":"000000","ramp":[0,0,0],"output":"a\"b\\c\u0001","rampSize":256,"identity":true,"profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(probeLine(c.reading), c.line);
        EXPECT_EQ(probeJson(c.reading), c.json);
    }
}

TEST(ProbeReport, profileWordsAndKeysOfOnePoint)
{
    const Lab intended{53.24, 80.1, -67.2};
    const Lab seen{54.01, -0.04, 66.96};
    CalibrationCheck loaded;
    loaded.verdict = CalibrationVerdict::Loaded;
    CalibrationCheck lost;
    lost.verdict = CalibrationVerdict::Lost;
    lost.largestDifference = 19251;
    CalibrationCheck none; // a profile without a vcgt over a straight ramp
    none.verdict = CalibrationVerdict::NoneStraightRamp;
    CalibrationCheck notStraight; // the same over another ramp
    notStraight.verdict = CalibrationVerdict::NoneRampNotStraight;
    notStraight.largestDifference = 5000;

    const std::string start = "300 300 bitmap C86400 lut C96400 ramp 51400 25700 0 output HDMI-1";
    const std::string jsonStart = R"({"x":300,"y":300,"bitmap":"C86400","lut":"C96400","ramp":[51400,25700,0],)"
                                  R"("output":"HDMI-1","rampSize":256,"identity":true,)";
    const struct {
        const char* name;
        ProfileFacts facts; // description, vcgt, check, intended, seen, ΔE00
        const char* words;
        const char* keys;
    } cases[] = {
        {"loaded", {"Office 27", true, loaded, intended, intended, 0},
         R"( profile "Office 27" calibration loaded lab 53.2 80.1 -67.2 seen 53.2 80.1 -67.2 de 0.0)",
         R"("profile":"Office 27","calibration":"loaded","lab":[53.2,80.1,-67.2],"seenLab":[53.2,80.1,-67.2],"deltaE":0.0})"},
        {"lost", {"Office 27", true, lost, intended, seen, 31.26},
         R"( profile "Office 27" calibration lost lab 53.2 80.1 -67.2 seen 54.0 0.0 67.0 de 31.3)",
         R"("profile":"Office 27","calibration":"lost","lab":[53.2,80.1,-67.2],"seenLab":[54.0,0.0,67.0],"deltaE":31.3})"},
        {"seen beyond the calibration's range", {"Office 27", true, lost, intended, {}, 0},
         R"( profile "Office 27" calibration lost lab 53.2 80.1 -67.2 seen none de none)",
         R"("profile":"Office 27","calibration":"lost","lab":[53.2,80.1,-67.2],"seenLab":null,"deltaE":null})"},
        {"no vcgt", {"sRGB", false, none, intended, seen, 0.04},
         R"( profile "sRGB" calibration none lab 53.2 80.1 -67.2 seen 54.0 0.0 67.0 de 0.0)",
         R"("profile":"sRGB","calibration":"none","lab":[53.2,80.1,-67.2],"seenLab":[54.0,0.0,67.0],"deltaE":0.0})"},
        {"no vcgt, ramp not straight", {"sRGB", false, notStraight, intended, seen, 0.04},
         R"( profile "sRGB" calibration not-straight lab 53.2 80.1 -67.2 seen 54.0 0.0 67.0 de 0.0)",
         R"("profile":"sRGB","calibration":"not-straight","lab":[53.2,80.1,-67.2],"seenLab":[54.0,0.0,67.0],"deltaE":0.0})"},
        {"description needing escapes", {"a\"b\\c\x01\n", false, none, intended, {}, 0},
         R"( profile "a\"b\\c\x01\x0a" calibration none lab 53.2 80.1 -67.2 seen none de none)",
         R"("profile":"a\"b\\c\u0001\u000a","calibration":"none","lab":[53.2,80.1,-67.2],"seenLab":null,"deltaE":null})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Sample reading = pointSample({300, 300}, Rgb{200, 100, 0}, RampReading{Straight, "HDMI-1", 256}, c.facts);
        EXPECT_EQ(probeLine(reading), start + c.words);
        EXPECT_EQ(probeJson(reading), jsonStart + c.keys);
    }

    // A profile without a ramp to check it against: the calibration is not
    // known, nor what is seen.
    const ProfileFacts unchecked{"Office 27", true, {}, intended, {}, 0};
    const Sample noRamp = pointSample({1, 2}, Rgb{200, 100, 0}, std::nullopt, unchecked);
    EXPECT_EQ(probeLine(noRamp),
              R"(1 2 bitmap C86400 lut none profile "Office 27" calibration unknown lab 53.2 80.1 -67.2 seen none de none)");
    EXPECT_EQ(probeJson(noRamp),
              R"({"x":1,"y":2,"bitmap":"C86400","lut":null,"ramp":null,"output":null,"rampSize":null,"identity":null,)"
              R"("profile":"Office 27","calibration":null,"lab":[53.2,80.1,-67.2],"seenLab":null,"deltaE":null})");
}

TEST(ProbeReport, csvHasEveryLevelOfEveryOutput)
{
    GammaTable second = Straight;
    second[255] = 60000;
    second[256 + 0] = 17;
    const std::string csv = rampCsv({{Straight, "HDMI-1", 256}, {second, "DP,1", 1024}});
    std::istringstream in(csv);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u + 2 * 256);
    EXPECT_EQ(lines[0], "output,level,red,green,blue");
    EXPECT_EQ(lines[1], "HDMI-1,0,0,0,0");
    EXPECT_EQ(lines[201], "HDMI-1,200,51400,51400,51400");
    EXPECT_EQ(lines[256], "HDMI-1,255,65535,65535,65535");
    EXPECT_EQ(lines[257], "\"DP,1\",0,0,17,0");
    EXPECT_EQ(lines[512], "\"DP,1\",255,60000,65535,65535");
    EXPECT_EQ(csv.back(), '\n');
    EXPECT_EQ(rampCsv({}), "output,level,red,green,blue\n");
}

// The whole run over a fake screen: what goes to each stream.
TEST(ProbeReport, runWritesLinesAndWarnsOnce)
{
    fake::FakePlatform fake;
    fake.pixels.pixelValue = 0x000064C8;
    fake.pixels.overrides[{9, 9}] = InvalidColour;
    ProgramOptions options;
    options.probePoints = {{300, 300}, {9, 9}, {10, 10}};

    struct Case {
        const char* name;
        std::optional<GammaTable> ramp;
        bool json;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {"lines", Straight, false,
         "300 300 bitmap C86400 lut C96400 ramp 51400 25700 0 output FAKE-1\n"
         "9 9 bitmap none lut none\n"
         "10 10 bitmap C86400 lut C96400 ramp 51400 25700 0 output FAKE-1\n",
         "tintora: no monitor shows the point 9,9.\n"},
        {"no ramp: one warning for all points", std::nullopt, false,
         "300 300 bitmap C86400 lut none\n9 9 bitmap none lut none\n10 10 bitmap C86400 lut none\n",
         "tintora: no gamma ramp can be read on this display; the LUT colours are left out.\n"
         "tintora: no monitor shows the point 9,9.\n"},
        {"json", Straight, true,
         R"({"x":300,"y":300,"bitmap":"C86400","lut":"C96400","ramp":[51400,25700,0],"output":"FAKE-1","rampSize":256,"identity":true,"profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"
         "\n"
         R"({"x":9,"y":9,"bitmap":null,"lut":null,"ramp":null,"output":null,"rampSize":null,"identity":null,"profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"
         "\n"
         R"({"x":10,"y":10,"bitmap":"C86400","lut":"C96400","ramp":[51400,25700,0],"output":"FAKE-1","rampSize":256,"identity":true,"profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"
         "\n",
         "tintora: no monitor shows the point 9,9.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.ramps.ramp = c.ramp;
        options.json = c.json;
        std::ostringstream out, err;
        EXPECT_EQ(runProbe(options, fake.platform.screen, out, err), 0);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(), c.err);
    }
    EXPECT_TRUE(fake.pointer.moves.empty());
}

TEST(ProbeReport, lutTableWithoutRampsWarns)
{
    fake::FakePlatform fake;
    ProgramOptions options;
    options.lutTable = true;
    std::ostringstream out, err;
    EXPECT_EQ(runProbe(options, fake.platform.screen, out, err), 0);
    EXPECT_EQ(out.str(), "output,level,red,green,blue\n");
    EXPECT_EQ(err.str(), "tintora: no output offers a gamma ramp that can be read.\n");
}

namespace {

// An output that takes so many bytes, then fails as a pipe whose reader has
// gone does: nothing more taken, EPIPE in errno.
class ClosingPipeBuffer : public std::streambuf {
public:
    explicit ClosingPipeBuffer(std::size_t room) : m_room(room) {}
    std::string taken;

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        const auto fits = std::min(static_cast<std::size_t>(n), m_room - taken.size());
        taken.append(s, fits);
        if (fits < static_cast<std::size_t>(n)) errno = EPIPE;
        return static_cast<std::streamsize>(fits);
    }
    int overflow(int c) override
    {
        if (c == traits_type::eof()) return 0;
        const char ch = traits_type::to_char_type(c);
        return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
    }

private:
    std::size_t m_room;
};

} // namespace

// Output that fails part way: status 1 and one message, whatever was
// written before, and nothing read or warned about after.
TEST(ProbeReport, failedOutputEndsTheRunWithOneMessage)
{
    fake::FakePlatform fake;
    fake.pixels.pixelValue = 0x000064C8;
    fake.pixels.overrides[{9, 9}] = InvalidColour;
    fake.ramps.ramp = Straight;
    const std::string firstLine = "300 300 bitmap C86400 lut C96400 ramp 51400 25700 0 output FAKE-1\n";
    const std::string failed = std::string("tintora: the report could not be written: ") + std::strerror(EPIPE) + "\n";

    const struct {
        const char* name;
        std::vector<Point> points;
        bool lut;
        std::size_t room;
        std::string taken;
    } cases[] = {
        {"no room at all", {{300, 300}, {9, 9}}, false, 0, ""},
        {"the second line fails", {{300, 300}, {9, 9}, {300, 300}}, false, firstLine.size() + 3,
         firstLine + "9 9"},
        {"the table fails", {}, true, 10, "output,lev"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramOptions options;
        options.probePoints = c.points;
        options.lutTable = c.lut;
        ClosingPipeBuffer pipe(c.room);
        std::ostream out(&pipe);
        std::ostringstream err;
        EXPECT_EQ(runProbe(options, fake.platform.screen, out, err), 1);
        EXPECT_EQ(pipe.taken, c.taken);
        // No warning for the point no monitor shows: its line was not written.
        EXPECT_EQ(err.str(), failed);
    }
}

// A standard output the program was started without, its number held by the
// null device: every mode fails with the closed descriptor's reason, having
// read nothing more after the first failed write.
TEST(ProbeReport, closedOutputFailsEveryMode)
{
    fake::FakePlatform fake;
    fake.pixels.pixelValue = 0x000064C8;
    fake.ramps.ramp = Straight;
    const std::string failed = std::string("tintora: the report could not be written: ") + std::strerror(EBADF) + "\n";
    const struct {
        const char* name;
        bool json, lut, profiles;
    } cases[] = {
        {"--at", false, false, false},
        {"--json", true, false, false},
        {"--lut", false, true, false},
        {"--profile", false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramOptions options;
        options.probePoints = {{300, 300}, {301, 301}};
        options.json = c.json;
        options.lutTable = c.lut;
        options.profiles = c.profiles;
        ClosedStreamBuffer closed;
        std::ostream out(&closed);
        std::ostringstream err;
        EXPECT_EQ(runProbe(options, fake.platform.screen, out, err), 1);
        EXPECT_EQ(err.str(), failed);
    }
}
