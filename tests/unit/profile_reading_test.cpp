// The display profile under the pointer over the fake screen, with profiles
// made by Little CMS: when the sampler reads it, what the scriptable probe
// and the status line say of it.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "fake/fake_platform.h"
#include "probe/probe_report.h"
#include "probe/profile_reading.h"
#include "probe/sampler.h"
#include "support/test_profiles.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

const GammaTable Straight = rampOf([](int i) { return i * 257; });

// Red at 0.7 of full output, green at 0.9, blue a curve: a calibration whose
// range ends short of the top, as ArgyllCMS's strange.cal does.
test::ProfileBytes calibratedProfile(const std::wstring& description = L"Office 27")
{
    test::TestProfile wanted;
    wanted.description = description;
    wanted.vcgtCurve = [](int channel, double x) {
        return channel == 0 ? 0.7 * x : channel == 1 ? 0.9 * x : std::pow(x, 0.8);
    };
    return test::displayProfileBytes(wanted);
}

test::ProfileBytes plainProfile()
{
    test::TestProfile wanted;
    wanted.description = L"Plain sRGB";
    return test::displayProfileBytes(wanted);
}

GammaTable expectedRampOf(const test::ProfileBytes& bytes)
{
    std::string whyNot;
    const auto profile = DisplayProfile::read(bytes, whyNot);
    EXPECT_TRUE(profile) << whyNot;
    return profile ? profile->expectedRamp() : GammaTable{};
}

const test::ProfileBytes NotAProfile = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'r', 'o', 'f', 'i', 'l', 'e'};

} // namespace

// The profile is read again only when the screen says the published one
// changed (its serial or its output), never per tick; one that does not read
// is said once.
TEST(ProfileReading, readsThePublishedProfileOnlyWhenItChanges)
{
    fake::FakePlatform fake;
    fake.pixels.pixelValue = 0x000064C8;
    const test::ProfileBytes office = calibratedProfile();
    fake.ramps.ramp = expectedRampOf(office);
    std::ostringstream err;
    Sampler sampler;
    const auto facts = [&]() -> const ProfileFacts* {
        const Sample& sample = sampler.sampleAt(fake.platform.screen, {300, 300}, err);
        return sample.profile ? &*sample.profile : nullptr;
    };

    EXPECT_EQ(facts(), nullptr) << "nothing published";
    fake.profiles.profile = {office, "FAKE-1", "_ICC_PROFILE", 1};
    ASSERT_NE(facts(), nullptr);
    EXPECT_TRUE(sampler.latest().changed.profile);
    EXPECT_EQ(sampler.latest().profile->description, "Office 27");
    EXPECT_TRUE(sampler.latest().profile->hasCalibration);
    EXPECT_EQ(sampler.latest().profile->check.verdict, CalibrationVerdict::Loaded);
    ASSERT_TRUE(sampler.latest().profile->seen);
    EXPECT_EQ(sampler.latest().profile->deltaE, 0.0);

    // Other bytes under the same serial: not read (a backend changes the
    // serial whenever what is published may have changed).
    fake.profiles.profile.bytes = calibratedProfile(L"Another");
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(facts()->description, "Office 27");
        EXPECT_FALSE(sampler.latest().changed.profile);
    }
    fake.profiles.profile.serial = 2;
    EXPECT_EQ(facts()->description, "Another");
    EXPECT_TRUE(sampler.latest().changed.profile);
    fake.profiles.profile.output = "FAKE-2"; // the same serial on another output
    fake.profiles.profile.bytes = plainProfile();
    EXPECT_EQ(facts()->description, "Plain sRGB");
    EXPECT_FALSE(sampler.latest().profile->hasCalibration);

    // Against the calibrated profile's ramp, then the straight one it
    // expects: the ramp changes the facts at once.
    EXPECT_EQ(sampler.latest().profile->check.verdict, CalibrationVerdict::NoneRampNotStraight);
    EXPECT_GT(sampler.latest().profile->check.largestDifference, kCalibrationTolerance);
    fake.ramps.ramp = Straight;
    EXPECT_EQ(facts()->check.largestDifference, 0);
    EXPECT_EQ(sampler.latest().profile->check.verdict, CalibrationVerdict::NoneStraightRamp);
    // Without a ramp there is nothing to check; without a pixel nothing to
    // say of a colour.
    fake.ramps.ramp.reset();
    EXPECT_EQ(facts()->check.verdict, CalibrationVerdict::Unknown);
    EXPECT_FALSE(sampler.latest().profile->seen);
    fake.pixels.pixelFails = true;
    EXPECT_EQ(facts(), nullptr);
    EXPECT_TRUE(sampler.latest().changed.profile);
    fake.pixels.pixelFails = false;
    fake.ramps.ramp = Straight;
    ASSERT_NE(facts(), nullptr);
    EXPECT_EQ(sampler.latest().profile->check.verdict, CalibrationVerdict::NoneStraightRamp);
    EXPECT_EQ(err.str(), "");

    // Unreadable: no profile, one line however many ticks, and not again
    // when the same bytes are published anew.
    fake.profiles.profile = {NotAProfile, "FAKE-1", "_ICC_PROFILE", 3};
    for (int tick = 0; tick < 5; ++tick) EXPECT_EQ(facts(), nullptr);
    const std::string line =
        "tintora: the display profile of FAKE-1 (_ICC_PROFILE) is left out. "
        "The display profile is too short to be a profile.\n";
    EXPECT_EQ(err.str(), line);
    EXPECT_EQ(sampler.latest().profileStatus, "Display profile not used: the display profile is too short to be a profile");
    fake.profiles.profile.serial = 4;
    facts();
    EXPECT_EQ(err.str(), line);

    // Taken away: no profile, nothing said.
    fake.profiles.profile = {{}, "FAKE-1", "", 5};
    EXPECT_EQ(facts(), nullptr);
    EXPECT_EQ(err.str(), line);
    EXPECT_EQ(sampler.latest().profileStatus, "No display profile");
}

// What the screen refused before reading it (too large, an empty property)
// is no profile, and the status line says why rather than that there is
// none.
TEST(ProfileReading, aRefusedProfileSaysWhy)
{
    fake::FakePlatform fake;
    fake.pixels.pixelValue = 0x000064C8;
    fake.ramps.ramp = Straight;
    std::ostringstream err;
    Sampler sampler;
    const auto tick = [&] { return sampler.sampleAt(fake.platform.screen, {300, 300}, err); };
    EXPECT_EQ(tick().profileStatus, "No display profile");

    PublishedProfile tooLarge{{}, "FAKE-1", "output property _ICC_PROFILE", 2};
    tooLarge.refusal = "The display profile is larger than 4 MiB.";
    tooLarge.refusedSize = 5'000'000;
    fake.profiles.profile = tooLarge;
    const Sample& refused = tick();
    EXPECT_FALSE(refused.profile);
    EXPECT_TRUE(refused.changed.profileStatus);
    EXPECT_EQ(refused.profileStatus, "Display profile not used: the display profile is larger than 4 MiB");
    EXPECT_EQ(err.str(), "tintora: the display profile of FAKE-1 (output property _ICC_PROFILE) is left out. "
                         "The display profile is larger than 4 MiB.\n");
    EXPECT_FALSE(tick().changed.profileStatus) << "a resting pointer changes nothing";

    // --profile says it is published but unreadable, with its size.
    EXPECT_EQ(profileReport(fake.profiles.allProfiles(), fake.ramps.allRamps()),
              "output FAKE-1 profile unreadable \"The display profile is larger than 4 MiB.\" bytes 5000000 "
              "source \"output property _ICC_PROFILE\"\n");

    // A readable one after it, then none.
    fake.profiles.profile = {plainProfile(), "FAKE-1", "_ICC_PROFILE", 3};
    EXPECT_EQ(tick().profileStatus.rfind("Profile \"Plain sRGB\"", 0), 0u);
    fake.profiles.profile = {{}, "FAKE-1", "", 4};
    EXPECT_EQ(tick().profileStatus, "No display profile");
    // The pixel unread: nothing applies, refused or not.
    fake.profiles.profile = tooLarge;
    fake.pixels.pixelFails = true;
    EXPECT_EQ(tick().profileStatus, "No display profile");
}

// Two unreadable profiles published by turns: each problem said once, and
// past the cap one line says further ones are left out.
TEST(ProfileReading, warningsAreSaidOnceAndBounded)
{
    fake::FakePlatform fake;
    fake.pixels.pixelValue = 0x000064C8;
    std::ostringstream err;
    Sampler sampler;
    std::uint64_t serial = 1;
    const auto publish = [&](std::vector<std::uint8_t> bytes, const std::string& output) {
        fake.profiles.profile = {std::move(bytes), output, "root property _ICC_PROFILE", ++serial};
        sampler.sampleAt(fake.platform.screen, {300, 300}, err);
    };
    const std::string leftOut = "tintora: the display profile of FAKE-1 (root property _ICC_PROFILE) is left out. ";
    const std::vector<std::uint8_t> noSignature(200, 0);
    for (int change = 0; change < 222; ++change) publish(change % 2 ? NotAProfile : noSignature, "FAKE-1");
    EXPECT_EQ(err.str(), leftOut + "The display profile's bytes are not an ICC profile.\n" + leftOut +
                             "The display profile is too short to be a profile.\n");
    const std::size_t before = 2;

    // Each output's problem is its own, up to the cap.
    const std::size_t most = ProfileReading::kMostProfileWarnings;
    for (std::size_t output = 0; output < most + 5; ++output) publish(NotAProfile, "OUT-" + std::to_string(output));
    std::istringstream lines(err.str());
    std::vector<std::string> said;
    for (std::string line; std::getline(lines, line);) said.push_back(line);
    ASSERT_EQ(said.size(), most + 1);
    EXPECT_EQ(said[most - 1], "tintora: the display profile of OUT-" + std::to_string(most - before - 1) +
                                  " (root property _ICC_PROFILE) is left out. The display profile is too short to be "
                                  "a profile.");
    EXPECT_EQ(said[most], "tintora: further warnings about display profiles are left out.");
    publish(NotAProfile, "FAKE-1");
    publish(NotAProfile, "OUT-99");
    EXPECT_EQ(err.str().size(), lines.str().size()) << "nothing after the line that further ones are left out";
}

// One verdict for each pairing of profile and ramp, and every text that says
// it: the status line (window and tooltip), --at's word, --json's value and
// --profile's words, all from the same sample.
TEST(ProfileReading, eachVerdictInEveryText)
{
    const test::ProfileBytes office = calibratedProfile();
    const test::ProfileBytes plain = plainProfile();
    const GammaTable expected = expectedRampOf(office);
    GammaTable shifted = expected;
    shifted[200] = 30000; // red 200 drawn darker than the calibration gives
    GammaTable bent = Straight;
    bent[256 + 100] = 20000; // green 100 drawn darker than the straight ramp

    const struct {
        const char* name;
        test::ProfileBytes bytes;
        std::optional<GammaTable> ramp;
        CalibrationVerdict verdict;
        const char* status;  // the status line's calibration words
        const char* word;    // after " calibration " in --at
        const char* json;    // the JSON "calibration" value
        const char* profile; // --profile's words after " calibration "
    } cases[] = {
        {"loaded", office, expected, CalibrationVerdict::Loaded, ", calibration loaded, ", "loaded", R"("loaded")",
         "loaded source"},
        {"lost", office, shifted, CalibrationVerdict::Lost,
         ", calibration lost: largest difference 5980 of 65535 at level 200 (red), ", "lost", R"("lost")",
         "lost difference 5980 of 65535 level 200 channel red source"},
        {"no calibration, straight ramp", plain, Straight, CalibrationVerdict::NoneStraightRamp,
         ", no calibration, ", "none", R"("none")", "none source"},
        {"no calibration, ramp not straight", plain, bent, CalibrationVerdict::NoneRampNotStraight,
         ", no calibration, ramp not straight: largest difference 5700 of 65535 at level 100 (green), ", "not-straight",
         R"("not-straight")", "none ramp not straight difference 5700 of 65535 level 100 channel green source"},
        {"calibration not checked", office, std::nullopt, CalibrationVerdict::Unknown,
         ", calibration not checked (no gamma ramp), ", "unknown", "null", "unknown source"},
        {"no calibration, not checked", plain, std::nullopt, CalibrationVerdict::Unknown, ", no calibration, ",
         "unknown", "null", "unknown source"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakePlatform fake;
        fake.pixels.pixelValue = 0x000064C8;
        fake.ramps.ramp = c.ramp;
        fake.profiles.profile = {c.bytes, "FAKE-1", "_ICC_PROFILE", 1};
        std::ostringstream err;
        Sampler sampler;
        const Sample& sample = sampler.sampleAt(fake.platform.screen, {300, 300}, err);
        ASSERT_TRUE(sample.profile);
        EXPECT_EQ(sample.profile->check.verdict, c.verdict);

        const auto contains = [](const std::string& text, const std::string& part) {
            EXPECT_NE(text.find(part), std::string::npos) << text << "\n  lacks " << part;
        };
        contains(sample.profileStatus, c.status);
        contains(probeLine(sample), std::string(" calibration ") + c.word + " lab ");
        contains(probeJson(sample), std::string(R"("calibration":)") + c.json + ",");
        contains(profileReport(fake.profiles.allProfiles(), fake.ramps.allRamps()),
                 std::string(" calibration ") + c.profile + " \"_ICC_PROFILE\"\n");
        EXPECT_EQ(err.str(), "");
    }
}

// --at and --json over each kind of profile the screen may publish.
TEST(ProfileReading, probeLinesForEachProfile)
{
    const test::ProfileBytes office = calibratedProfile();
    const GammaTable expected = expectedRampOf(office);
    GammaTable shifted = expected;
    shifted[200] = 30000; // red 200 drawn darker than the calibration gives

    struct Case {
        const char* name;
        test::ProfileBytes bytes;
        GammaTable ramp;
        const char* words; // after the line of a point without a profile
        const char* keys;  // the JSON object's profile keys
        const char* err;
    };
    const Case cases[] = {
        {"none published", {}, Straight, "", "", ""},
        // sRGB's C86400 is Lab 54.0 37.4 62.4 (ArgyllCMS's xicclu agrees).
        {"calibration loaded", office, expected,
         R"( profile "Office 27" calibration loaded lab 54.0 37.4 62.4 seen 54.0 37.4 62.4 de 0.0)",
         R"("profile":"Office 27","calibration":"loaded","lab":[54.0,37.4,62.4],"seenLab":[54.0,37.4,62.4],"deltaE":0.0)",
         ""},
        {"calibration lost", office, shifted,
         R"( profile "Office 27" calibration lost lab 54.0 37.4 62.4 seen 49.1 23.4 56.7 de 8.3)",
         R"("profile":"Office 27","calibration":"lost","lab":[54.0,37.4,62.4],"seenLab":[49.1,23.4,56.7],"deltaE":8.3)",
         ""},
        {"lost, the ramp beyond the calibration", office, Straight,
         R"( profile "Office 27" calibration lost lab 54.0 37.4 62.4 seen none de none)",
         R"("profile":"Office 27","calibration":"lost","lab":[54.0,37.4,62.4],"seenLab":null,"deltaE":null)", ""},
        {"no calibration", plainProfile(), Straight,
         R"( profile "Plain sRGB" calibration none lab 54.0 37.4 62.4 seen 54.0 37.4 62.4 de 0.0)",
         R"("profile":"Plain sRGB","calibration":"none","lab":[54.0,37.4,62.4],"seenLab":[54.0,37.4,62.4],"deltaE":0.0)",
         ""},
        {"unreadable", NotAProfile, Straight, "", "",
         "tintora: the display profile of FAKE-1 (_ICC_PROFILE) is left out. "
         "The display profile is too short to be a profile.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakePlatform fake;
        fake.pixels.pixelValue = 0x000064C8;
        fake.ramps.ramp = c.ramp;
        fake.profiles.profile = {c.bytes, "FAKE-1", "_ICC_PROFILE", 1};
        ProgramOptions options;
        options.probePoints = {{300, 300}, {310, 310}};
        std::ostringstream out, err;
        ASSERT_EQ(runProbe(options, fake.platform.screen, out, err), 0);
        Sample bare;
        bare.at = {300, 300};
        bare.bitmap = Rgb{200, 100, 0};
        bare.ramp = RampReading{c.ramp, "FAKE-1", 256};
        std::string line = probeLine(bare) + c.words;
        std::string second = line;
        second.replace(0, 7, "310 310");
        EXPECT_EQ(out.str(), line + "\n" + second + "\n");
        EXPECT_EQ(err.str(), c.err) << "said once for both points";

        options.json = true;
        std::ostringstream jsonOut, jsonErr;
        ASSERT_EQ(runProbe(options, fake.platform.screen, jsonOut, jsonErr), 0);
        std::string json = probeJson(bare);
        if (*c.keys) json = json.substr(0, json.find(",\"profile\":")) + "," + c.keys + "}";
        EXPECT_EQ(jsonOut.str().substr(0, jsonOut.str().find('\n')), json);
    }
}

// --profile: each output's profile, checked against that output's ramp.
TEST(ProfileReading, profileReportForEachOutput)
{
    const test::ProfileBytes office = calibratedProfile();
    test::TestProfile quoted;
    quoted.description = L"Desk \"B\" \\ 2";
    const test::ProfileBytes plain = test::displayProfileBytes(quoted);
    const GammaTable expected = expectedRampOf(office);
    GammaTable shifted = expected;
    shifted[200] = 30000;

    fake::FakePlatform fake;
    fake.ramps.ramp = expected;
    fake.profiles.profile = {office, "FAKE-1", "_ICC_PROFILE", 1};
    fake.ramps.otherOutputs = {{shifted, "DP-1", 256}, {expected, "DP-2", 256}, {Straight, "HDMI-1", 1024}};
    fake.profiles.otherProfiles = {
        {office, "DP-1", "_ICC_PROFILE", 1},   {plain, "DP-2", "_ICC_PROFILE", 1},
        {plain, "HDMI-1", "_ICC_PROFILE", 1},  {office, "HDMI-2", "_ICC_DEVICE_PROFILE", 1},
        {{}, "HDMI-3", "", 1},                 {NotAProfile, "HDMI-4", "_ICC_PROFILE_1", 1},
    };
    const std::string officeSize = std::to_string(office.size());
    const std::string plainSize = std::to_string(plain.size());
    const std::string report =
        "output FAKE-1 profile \"Office 27\" bytes " + officeSize +
        " vcgt yes calibration loaded source \"_ICC_PROFILE\"\n"
        "output DP-1 profile \"Office 27\" bytes " + officeSize +
        " vcgt yes calibration lost difference 5980 of 65535 level 200 channel red source \"_ICC_PROFILE\"\n"
        // The calibrated profile's red tops out at 0.7 of 65535.
        "output DP-2 profile \"Desk \\\"B\\\" \\\\ 2\" bytes " + plainSize +
        " vcgt no calibration none ramp not straight difference 19660 of 65535 level 255 channel red source \"_ICC_PROFILE\"\n"
        "output HDMI-1 profile \"Desk \\\"B\\\" \\\\ 2\" bytes " + plainSize +
        " vcgt no calibration none source \"_ICC_PROFILE\"\n"
        "output HDMI-2 profile \"Office 27\" bytes " + officeSize +
        " vcgt yes calibration unknown source \"_ICC_DEVICE_PROFILE\"\n"
        "output HDMI-3 profile none\n"
        "output HDMI-4 profile unreadable \"The display profile is too short to be a profile.\" bytes 13 "
        "source \"_ICC_PROFILE_1\"\n";
    EXPECT_EQ(profileReport(fake.profiles.allProfiles(), fake.ramps.allRamps()), report);

    ProgramOptions options;
    options.profiles = true;
    std::ostringstream out, err;
    EXPECT_EQ(runProbe(options, fake.platform.screen, out, err), 0);
    EXPECT_EQ(out.str(), report);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(profileReport({}, {}), "");
}

// --profile where the screen lists monitors: each line led by the monitor's
// number, name and place; a monitor no output shows has "output none" and no
// ramp to check, not that of an output without a name.
TEST(ProfileReading, profileReportLeadsWithTheMonitor)
{
    const test::ProfileBytes office = calibratedProfile();
    const test::ProfileBytes plain = plainProfile();
    const std::string officeSize = std::to_string(office.size());
    const std::string plainSize = std::to_string(plain.size());
    const std::vector<PublishedProfile> profiles = {
        {office, "screen", "output property _ICC_PROFILE", 2, {0, "left", {0, 0, 960, 1080}}},
        {plain, "screen", "root property _ICC_PROFILE_1", 3, {1, "right", {960, 0, 960, 1080}}},
        {{}, "", "", 1, {2, "far \"away\"", {-1920, -200, 1920, 1080}}},
    };
    const std::vector<RampReading> ramps = {{expectedRampOf(office), "screen", 256}, {Straight, "", 256}};
    EXPECT_EQ(profileReport(profiles, ramps),
              "monitor 0 \"left\" 960x1080 at 0,0 output screen profile \"Office 27\" bytes " + officeSize +
                  " vcgt yes calibration loaded source \"output property _ICC_PROFILE\"\n"
                  "monitor 1 \"right\" 960x1080 at 960,0 output screen profile \"Plain sRGB\" bytes " + plainSize +
                  " vcgt no calibration none ramp not straight difference 19660 of 65535 level 255 channel red source "
                  "\"root property _ICC_PROFILE_1\"\n"
                  "monitor 2 \"far \\\"away\\\"\" 1920x1080 at -1920,-200 output none profile none\n");
}
