// One probe tick's sample over the fake screen: what a reading the screen
// cannot give becomes, and what the sample says changed.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "fake/fake_platform.h"
#include "probe/sampler.h"
#include "support/test_profiles.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

const GammaTable Straight = rampOf([](int i) { return i * 257; });
const GammaTable Doubled = rampOf([](int i) { return std::min(65535, i * 514); });

test::ProfileBytes plainProfile()
{
    test::TestProfile wanted;
    wanted.description = L"Plain sRGB";
    return test::displayProfileBytes(wanted);
}

// Pixel (200, 100, 0) under the straight ramp of FAKE-1, no profile.
struct Probe : fake::FakePlatform {
    explicit Probe(const std::string& decimalSeparator = ".") : sampler(decimalSeparator)
    {
        pixels.pixelValue = 0x000064C8;
        ramps.ramp = Straight;
    }
    const Sample& sampleAt(Point p = {300, 300}) { return sampler.sampleAt(platform.screen, p, err); }
    Sampler sampler;
    std::ostringstream err;
};

SampleChanges only(std::function<void(SampleChanges&)> set)
{
    SampleChanges c;
    set(c);
    return c;
}

} // namespace

TEST(Sampler, beforeTheFirstSampleNothingIsRead)
{
    const Sampler sampler;
    const Sample& s = sampler.latest();
    EXPECT_FALSE(s.bitmap);
    EXPECT_FALSE(s.ramp);
    EXPECT_FALSE(s.profile);
    EXPECT_FALSE(s.lut());
    EXPECT_EQ(s.rampStatus, "No gamma ramp");
    EXPECT_EQ(s.profileStatus, "No display profile");
}

// A reading the screen cannot give is missing: never white for a pixel, never
// the ramp read before for a ramp.
TEST(Sampler, whatCannotBeReadIsMissing)
{
    Probe w;
    const Sample& first = w.sampleAt();
    ASSERT_EQ(first.bitmap, (Rgb{200, 100, 0}));
    EXPECT_EQ(first.lut(), (Rgb{201, 100, 0}));
    EXPECT_EQ(first.entries()->R, 51400);
    EXPECT_EQ(first.changed, SampleChanges::everything());

    // The ramp stops answering: no ramp, so no LUT colour and no entries.
    w.ramps.ramp.reset();
    w.pixels.pixelValue = 0x00000080;
    const Sample& noRamp = w.sampleAt();
    EXPECT_EQ(noRamp.bitmap, (Rgb{128, 0, 0}));
    EXPECT_FALSE(noRamp.ramp);
    EXPECT_FALSE(noRamp.lut());
    EXPECT_FALSE(noRamp.entries());
    EXPECT_EQ(noRamp.rampStatus, "No gamma ramp");

    // It answers again with another ramp: that one, not the one before.
    w.ramps.ramp = Doubled;
    w.ramps.rampOutput = "DP-1";
    const Sample& again = w.sampleAt();
    ASSERT_TRUE(again.ramp);
    EXPECT_EQ(again.ramp->ramp, Doubled);
    EXPECT_EQ(again.ramp->output, "DP-1");
    EXPECT_EQ(again.lut(), (Rgb{255, 0, 0}));
    EXPECT_EQ(again.rampStatus, "DP-1, 256 entries, distinct levels R 129 G 129 B 129");

    // The pixel cannot be read: no colour, whatever the ramp.
    w.pixels.pixelFails = true;
    const Sample& noPixel = w.sampleAt();
    EXPECT_FALSE(noPixel.bitmap);
    EXPECT_FALSE(noPixel.lut());
    EXPECT_FALSE(noPixel.entries());
    EXPECT_TRUE(noPixel.ramp) << "the ramp of the output there is still read";
}

// Each change from a resting sample names what it changed, and only that; the
// next sample at rest names nothing.
TEST(Sampler, changesNameWhatDiffers)
{
    const struct {
        const char* name;
        std::function<void(Probe&, Point&)> change;
        SampleChanges changed;
    } cases[] = {
        {"nothing", [](Probe&, Point&) {}, {}},
        {"moved over the same colour", [](Probe&, Point& p) { p.x += 1; }, only([](auto& c) { c.position = true; })},
        {"another colour", [](Probe& w, Point&) { w.pixels.pixelValue = 0x000064C9; },
         only([](auto& c) { c.bitmap = true; })},
        {"the pixel cannot be read", [](Probe& w, Point&) { w.pixels.pixelFails = true; },
         only([](auto& c) { c.bitmap = true; })},
        {"an entry the status does not show", [](Probe& w, Point&) { (*w.ramps.ramp)[100] += 1; },
         only([](auto& c) { c.ramp = true; })},
        {"an entry that merges two levels", [](Probe& w, Point&) { (*w.ramps.ramp)[256 + 10] = 0; },
         only([](auto& c) { c.ramp = c.rampStatus = true; })},
        {"another output", [](Probe& w, Point&) { w.ramps.rampOutput = "DP-1"; },
         only([](auto& c) { c.ramp = c.rampStatus = true; })},
        {"another size", [](Probe& w, Point&) { w.ramps.rampSize = 1024; },
         only([](auto& c) { c.ramp = c.rampStatus = true; })},
        {"the ramp cannot be read", [](Probe& w, Point&) { w.ramps.ramp.reset(); },
         only([](auto& c) { c.ramp = c.rampStatus = true; })},
        {"a profile published", [](Probe& w, Point&) { w.profiles.profile = {plainProfile(), "FAKE-1", "_ICC_PROFILE", 1}; },
         only([](auto& c) { c.profile = c.profileStatus = true; })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Probe w;
        Point p{300, 300};
        w.sampleAt(p);
        w.sampleAt(p);
        c.change(w, p);
        EXPECT_EQ(w.sampleAt(p).changed, c.changed);
        EXPECT_EQ(w.sampleAt(p).changed, SampleChanges{}) << "at rest again";
    }
}

// With a profile, a colour's change reaches its facts and its line; the
// numbers have the separator the sampler was given.
TEST(Sampler, profileStatusFollowsTheColourInTheUsersSeparator)
{
    Probe w(",");
    w.profiles.profile = {plainProfile(), "FAKE-1", "_ICC_PROFILE", 1};
    const std::string first = w.sampleAt().profileStatus;
    EXPECT_EQ(first.rfind("Profile \"Plain sRGB\", no calibration, L* a* b* 54,0 37,4 62,4, seen 54,0 37,4 62,4", 0), 0u)
        << first;
    w.pixels.pixelValue = 0x00000000;
    const Sample& black = w.sampleAt();
    EXPECT_EQ(black.changed, only([](auto& c) { c.bitmap = c.profile = c.profileStatus = true; }));
    EXPECT_NE(black.profileStatus, first);
    EXPECT_EQ(black.profileStatus.find("L* a* b* 54"), std::string::npos);
}
