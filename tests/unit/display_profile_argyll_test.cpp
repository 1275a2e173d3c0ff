// The profiles' colours against an independent implementation: ArgyllCMS's
// xicclu looks the same device values up in the same profiles (relative
// colorimetric, Lab), and inverts the calibration file a vcgt was made from.
// Skipped where ArgyllCMS is not installed.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

#include "colourprofile/display_profile.h"
#include "support/processes.h"
#include "support/test_profiles.h"

using namespace tintora;
using namespace tintora::test;

namespace {

const std::string kArgyllReference = "/usr/share/color/argyll/ref/";

using Triple = std::array<double, 3>;

// xicclu's answers for input, one triple a line in and out; empty (with a
// failure) when it does not answer them all.
std::vector<Triple> xicclu(const TempDir& dir, const std::vector<std::string>& options, const std::vector<Triple>& input)
{
    const std::string in = dir.file("xicclu-in");
    const std::string out = dir.file("xicclu-out");
    const std::string errors = dir.file("xicclu-errors");
    {
        std::ofstream file(in, std::ios::trunc);
        file.precision(9);
        for (const Triple& t : input) file << t[0] << ' ' << t[1] << ' ' << t[2] << '\n';
    }
    ::unlink(out.c_str());
    std::vector<std::string> args{"-c", "exec xicclu \"$@\" < \"$0\"", in};
    args.insert(args.end(), options.begin(), options.end());
    ChildProcess child("sh", args, environmentWith({}), errors, out);
    const int status = exitCode(child.waitForExit(60s));
    std::vector<Triple> answers;
    std::istringstream lines(readAll(out));
    for (Triple t; lines >> t[0] >> t[1] >> t[2];) answers.push_back(t);
    EXPECT_EQ(status, 0) << readAll(errors);
    EXPECT_EQ(answers.size(), input.size()) << readAll(errors);
    if (answers.size() != input.size()) answers.clear();
    return answers;
}

// Every colour of levels 0, 64, 128, 192 and 255 in each channel, and a few
// between.
std::vector<Rgb> testColours()
{
    std::vector<Rgb> colours;
    const std::uint8_t levels[] = {0, 64, 128, 192, 255};
    for (const std::uint8_t r : levels)
        for (const std::uint8_t g : levels)
            for (const std::uint8_t b : levels) colours.push_back({r, g, b});
    for (const Rgb c : {Rgb{1, 2, 3}, Rgb{200, 100, 30}, Rgb{17, 240, 99}, Rgb{254, 1, 127}, Rgb{33, 66, 99}})
        colours.push_back(c);
    return colours;
}

ProfileBytes fileBytes(const std::string& path)
{
    const std::string text = readAll(path);
    return {text.begin(), text.end()};
}

Lab labOf(const Triple& t) { return {t[0], t[1], t[2]}; }

class DisplayProfileArgyll : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"xicclu", "iccvcgt"})
            if (findInPath(tool).empty()) GTEST_SKIP() << "ArgyllCMS's " << tool << " is not installed";
        if (::access((kArgyllReference + "sRGB.icm").c_str(), R_OK) != 0)
            GTEST_SKIP() << "ArgyllCMS's reference profiles are not installed";
        ASSERT_FALSE(dir.path().empty());
    }

    // sRGB.icm with strange.cal as its vcgt, made by iccvcgt.
    std::string strangeProfile()
    {
        const std::string path = dir.file("strange.icc");
        ChildProcess child("iccvcgt", {"-i", kArgyllReference + "sRGB.icm", kArgyllReference + "strange.cal", path},
                           environmentWith({}), dir.file("iccvcgt-errors"));
        EXPECT_EQ(exitCode(child.waitForExit(60s)), 0) << readAll(dir.file("iccvcgt-errors"));
        return path;
    }

    TempDir dir{"tintora-argyll"};
};

} // namespace

TEST_F(DisplayProfileArgyll, intendedLabAgreesWithXicclu)
{
    std::vector<std::string> profiles;
    for (const char* name : {"sRGB.icm", "Rec2020.icm", "DisplayP3.icm", "ProPhoto.icm", "ClayRGB1998.icm"})
        profiles.push_back(kArgyllReference + name);
    profiles.push_back(strangeProfile());
    TestProfile ours;
    ours.vcgtCurve = [](int channel, double x) { return std::pow(x, 0.9 + 0.1 * channel); };
    profiles.push_back(dir.file("lcms2-made.icc"));
    ASSERT_TRUE(writeProfileFile(profiles.back(), displayProfileBytes(ours)));

    const std::vector<Rgb> colours = testColours();
    std::vector<Triple> input;
    for (const Rgb c : colours) input.push_back({static_cast<double>(c.R), static_cast<double>(c.G), static_cast<double>(c.B)});
    for (const std::string& path : profiles) {
        SCOPED_TRACE(path);
        std::string whyNot;
        const auto profile = DisplayProfile::read(fileBytes(path), whyNot);
        ASSERT_TRUE(profile) << whyNot;
        const std::vector<Triple> argyll = xicclu(dir, {"-v0", "-ff", "-ir", "-pl", "-s255", path}, input);
        ASSERT_FALSE(argyll.empty());
        double worst = 0;
        for (std::size_t i = 0; i < colours.size(); ++i)
            worst = std::max(worst, deltaE2000(profile->intendedLab(colours[i]), labOf(argyll[i])));
        std::cout << "intended Lab against xicclu, " << path.substr(path.rfind('/') + 1) << ": largest dE00 "
                  << worst << " over " << colours.size() << " colours\n";
        EXPECT_LT(worst, 0.5);
    }
}

// The straight ramp loaded where strange.cal is expected: the Argyll chain
// inverts the calibration file (xicclu -fb) and looks the device values up
// in the profile. Red tops out at 0.7 under that calibration, so levels above
// show what no device value gives.
TEST_F(DisplayProfileArgyll, seenLabAgreesWithXiccluThroughTheInverseCalibration)
{
    const std::string path = strangeProfile();
    std::string whyNot;
    const auto profile = DisplayProfile::read(fileBytes(path), whyNot);
    ASSERT_TRUE(profile) << whyNot;
    ASSERT_TRUE(profile->hasCalibration());
    GammaTable straight{};
    for (std::size_t i = 0; i < straight.size(); ++i) straight[i] = static_cast<std::uint16_t>(i % 256 * 257);

    std::vector<Rgb> shown;
    std::vector<Lab> seen;
    for (const Rgb c : testColours()) {
        const auto lab = profile->seenLab(c, straight);
        if (c.R > 0.7 * 255) {
            EXPECT_FALSE(lab) << int{c.R};
        }
        if (!lab) continue;
        shown.push_back(c);
        seen.push_back(*lab);
    }
    ASSERT_GE(shown.size(), 50u);

    std::vector<Triple> entries;
    for (const Rgb c : shown) entries.push_back({c.R / 255.0, c.G / 255.0, c.B / 255.0});
    const std::vector<Triple> device = xicclu(dir, {"-v0", "-fb", kArgyllReference + "strange.cal"}, entries);
    ASSERT_FALSE(device.empty());
    const std::vector<Triple> argyll = xicclu(dir, {"-v0", "-ff", "-ir", "-pl", path}, device);
    ASSERT_FALSE(argyll.empty());
    double worst = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) worst = std::max(worst, deltaE2000(seen[i], labOf(argyll[i])));
    std::cout << "seen Lab against xicclu through strange.cal's inverse: largest dE00 " << worst << " over "
              << shown.size() << " colours\n";
    EXPECT_LT(worst, 0.5);
}
