#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "colourprofile/display_profile.h"
#include "support/test_profiles.h"

using namespace tintora;
using namespace tintora::test;

namespace {

std::unique_ptr<DisplayProfile> readOrFail(const ProfileBytes& bytes)
{
    std::string whyNot;
    auto profile = DisplayProfile::read(bytes, whyNot);
    EXPECT_TRUE(profile) << whyNot;
    EXPECT_EQ(whyNot, "");
    return profile;
}

std::unique_ptr<DisplayProfile> readWithVcgt(const ChannelCurve& curve)
{
    TestProfile wanted;
    wanted.vcgtCurve = curve;
    return readOrFail(displayProfileBytes(wanted));
}

std::unique_ptr<DisplayProfile> readWithRawVcgt(std::vector<std::uint8_t> tag)
{
    TestProfile wanted;
    wanted.rawVcgt = std::move(tag);
    return readOrFail(displayProfileBytes(wanted));
}

std::size_t at(int channel, int level) { return static_cast<std::size_t>(channel * 256 + level); }

GammaTable straightRamp()
{
    GammaTable ramp{};
    for (int c = 0; c < 3; ++c)
        for (int level = 0; level < 256; ++level) ramp[at(c, level)] = static_cast<std::uint16_t>(level * 257);
    return ramp;
}

void writeBigEndian32(ProfileBytes& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Red at 0.7 of full output, green at 0.9, blue a curve: a calibration whose
// range ends short of the top, as strange.cal's does.
double shortCalibration(int channel, double x)
{
    return channel == 0 ? 0.7 * x : channel == 1 ? 0.9 * x : std::pow(x, 0.8);
}

double halfOutput(int, double x) { return x / 2; }

std::string labText(const Lab& lab)
{
    return "Lab(" + std::to_string(lab.L) + ", " + std::to_string(lab.a) + ", " + std::to_string(lab.b) + ")";
}

const Rgb kSomeColours[] = {{0, 0, 0},     {255, 255, 255}, {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                            {128, 128, 128}, {1, 2, 3},     {200, 100, 30}, {17, 240, 99}, {254, 1, 127}};

} // namespace

TEST(DisplayProfileRead, refusesWhatIsNoUsableRgbDisplayProfile)
{
    const ProfileBytes good = displayProfileBytes();
    ASSERT_GT(good.size(), 132u);

    ProfileBytes tooLarge = good;
    tooLarge.resize(kLargestProfileBytes + 1);
    writeBigEndian32(tooLarge, 0, static_cast<std::uint32_t>(tooLarge.size()));
    ProfileBytes badSignature = good;
    badSignature[36] = 'b';
    const ProfileBytes truncated(good.begin(), good.end() - 1);
    const ProfileBytes headerOnly(good.begin(), good.begin() + 131);
    ProfileBytes declaredTooSmall = good;
    writeBigEndian32(declaredTooSmall, 0, 100);
    // A tag count no profile has: Little CMS refuses the tag table.
    ProfileBytes tooManyTags = good;
    writeBigEndian32(tooManyTags, 128, 0xFFFFFFFFu);
    TestProfile outputClass;
    outputClass.deviceClass = kOutputClass;
    TestProfile oneChannelVcgt;
    oneChannelVcgt.rawVcgt = vcgtTableTag(256, 2, halfOutput, 1);
    // A tone curve of (1000 x) ^ 100 overflows a double from x = 0.0011 on.
    TestProfile infiniteCurve;
    infiniteCurve.version = 4.3;
    infiniteCurve.toneCurve = {100, 1000, 0, 1, 0};
    TestProfile shortVcgt;
    shortVcgt.rawVcgt = vcgtTableTag(256, 2, halfOutput);
    shortVcgt.rawVcgt.resize(300); // fewer entries than it declares

    const struct {
        const char* name;
        ProfileBytes bytes;
        std::string whyNot;
    } cases[] = {
        {"larger than the largest read", tooLarge, "The display profile is larger than 4 MiB."},
        {"shorter than a header and tag count", headerOnly, "The display profile is too short to be a profile."},
        {"no acsp signature", badSignature, "The display profile's bytes are not an ICC profile."},
        {"declared size beyond the bytes", truncated,
         "The display profile is truncated: it declares " + std::to_string(good.size()) + " bytes, " +
             std::to_string(good.size() - 1) + " were read."},
        {"declared size below a header", declaredTooSmall,
         "The display profile declares a size too small for a profile."},
        {"tag table unreadable", tooManyTags, "The display profile is damaged or of a form Little CMS cannot read."},
        {"CMYK", cmykProfileBytes(), "The display profile is not for RGB colours (its colour space is 'CMYK')."},
        {"grey", greyProfileBytes(), "The display profile is not for RGB colours (its colour space is 'GRAY')."},
        {"device link", rgbDeviceLinkBytes(), "The display profile is not a display profile (its class is 'link')."},
        {"output class", displayProfileBytes(outputClass),
         "The display profile is not a display profile (its class is 'prtr')."},
        {"no colorants", rgbProfileWithoutColorantsBytes(), "The display profile gives no transform to Lab."},
        {"colours that are no numbers", displayProfileBytes(infiniteCurve),
         "The display profile is damaged: some of its colours are not numbers."},
        {"vcgt of one channel", displayProfileBytes(oneChannelVcgt),
         "The display profile's calibration (vcgt) cannot be read."},
        {"vcgt table cut short", displayProfileBytes(shortVcgt),
         "The display profile's calibration (vcgt) cannot be read."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string whyNot = "left over";
        EXPECT_FALSE(DisplayProfile::read(c.bytes, whyNot));
        EXPECT_EQ(whyNot, c.whyNot);
    }

    // Trailing bytes beyond the declared size are not the profile's.
    ProfileBytes padded = good;
    padded.resize(good.size() + 1000, 0xEE);
    EXPECT_TRUE(readOrFail(padded));
    TestProfile colourSpaceClass;
    colourSpaceClass.deviceClass = kColourSpaceClass;
    EXPECT_TRUE(readOrFail(displayProfileBytes(colourSpaceClass)));
}

TEST(DisplayProfileRead, descriptionTrimmedInUtf8)
{
    const struct {
        const wchar_t* written;
        double version;
        const char* read;
    } cases[] = {
        {L"Tintora test display", 2.1, "Tintora test display"},
        {L"  \t Dell U2720Q #1 \n ", 4.3, "Dell U2720Q #1"},
        // Version 4 keeps Unicode; version 2's ASCII part holds Latin-1 bytes.
        {L"\x00c9" L"cran \x65e5\x672c", 4.3, "\xc3\x89" "cran \xe6\x97\xa5\xe6\x9c\xac"},
        {L"\x00c9" L"cran", 2.1, "\xc3\x89" "cran"},
        {L"   ", 4.3, kNoProfileDescription},
        {L"", 2.1, kNoProfileDescription},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.read);
        TestProfile wanted;
        wanted.description = c.written;
        wanted.version = c.version;
        const auto profile = readOrFail(displayProfileBytes(wanted));
        ASSERT_TRUE(profile);
        EXPECT_EQ(profile->description(), c.read);
    }
}

// Each form of the vcgt tag comes out as the curve it holds sampled at
// level / 255. Tables of other sizes are interpolated linearly (Little CMS's
// 16-bit interpolation: one unit either way); formulas are evaluated in
// single precision (one unit either way).
TEST(DisplayProfileCalibration, everyVcgtFormSampledAtEachLevel)
{
    const auto curve = [](int channel, double x) { return std::pow(x, 0.6 + 0.3 * channel) * (1 - 0.05 * channel); };
    const auto tableEntry = [&](int count, double top, int channel, int i) {
        return std::round(std::clamp(curve(channel, static_cast<double>(i) / (count - 1)), 0.0, 1.0) * top);
    };
    // The table of count entries, interpolated at level / 255, in ramp units.
    const auto interpolated = [&](int count, int entryBytes, int channel, int level) {
        const double top = entryBytes == 1 ? 255 : 65535;
        const double position = level * (count - 1) / 255.0;
        const int below = std::min(static_cast<int>(position), count - 2);
        const double fraction = position - below;
        const double value = tableEntry(count, top, channel, below) * (1 - fraction) +
                             tableEntry(count, top, channel, below + 1) * fraction;
        return value * 65535 / top;
    };
    const std::array<VcgtFormula, 3> formula{VcgtFormula{2.5, 0.0625, 0.875}, {1.0, 0, 0.5}, {0.75, 0.125, 1}};
    const auto formulaValue = [&](int channel, int level) {
        const VcgtFormula& f = formula[static_cast<std::size_t>(channel)];
        return (f.min + (f.max - f.min) * std::pow(level / 255.0, f.gamma)) * 65535;
    };
    TestProfile lcmsFormula;
    lcmsFormula.vcgtFormula.assign(formula.begin(), formula.end());

    const struct {
        const char* name;
        std::unique_ptr<DisplayProfile> profile;
        std::function<double(int channel, int level)> expected;
        int tolerance;
        bool calibrated = true;
    } cases[] = {
        {"written by lcms2: 256 x 2 bytes", readWithVcgt(curve),
         [&](int c, int level) { return tableEntry(256, 65535, c, level); }, 0},
        {"256 x 2 bytes", readWithRawVcgt(vcgtTableTag(256, 2, curve)),
         [&](int c, int level) { return tableEntry(256, 65535, c, level); }, 0},
        {"256 x 1 byte", readWithRawVcgt(vcgtTableTag(256, 1, curve)),
         [&](int c, int level) { return tableEntry(256, 255, c, level) * 257; }, 0},
        {"16 x 2 bytes", readWithRawVcgt(vcgtTableTag(16, 2, curve)),
         [&](int c, int level) { return interpolated(16, 2, c, level); }, 1},
        {"1024 x 2 bytes", readWithRawVcgt(vcgtTableTag(1024, 2, curve)),
         [&](int c, int level) { return interpolated(1024, 2, c, level); }, 1},
        {"1024 x 1 byte", readWithRawVcgt(vcgtTableTag(1024, 1, curve)),
         [&](int c, int level) { return interpolated(1024, 1, c, level); }, 1},
        {"formula", readWithRawVcgt(vcgtFormulaTag(formula)), formulaValue, 1},
        {"formula written by lcms2", readOrFail(displayProfileBytes(lcmsFormula)), formulaValue, 1},
        {"none: the straight ramp", readOrFail(displayProfileBytes()), [](int, int level) { return level * 257.0; },
         0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.profile);
        EXPECT_EQ(c.profile->hasCalibration(), c.calibrated);
        for (int channel = 0; channel < 3; ++channel)
            for (int level = 0; level < 256; ++level) {
                const double want = c.expected(channel, level);
                const int got = c.profile->expectedRamp()[at(channel, level)];
                ASSERT_LE(std::abs(got - want), c.tolerance + 0.5) << "channel " << channel << " level " << level;
            }
    }
}

TEST(DisplayProfileCalibration, checkFindsTheLargestDifference)
{
    const auto calibrated = readWithVcgt(shortCalibration);
    const auto uncalibrated = readOrFail(displayProfileBytes());
    ASSERT_TRUE(calibrated && uncalibrated);
    const GammaTable expected = calibrated->expectedRamp();
    const auto changed = [&](GammaTable ramp, std::vector<std::array<int, 3>> changes) {
        for (const auto& [channel, level, by] : changes)
            ramp[at(channel, level)] = static_cast<std::uint16_t>(ramp[at(channel, level)] + by);
        return ramp;
    };
    GammaTable gamma{};
    for (int c = 0; c < 3; ++c)
        for (int level = 0; level < 256; ++level)
            gamma[at(c, level)] = static_cast<std::uint16_t>(std::lround(std::pow(level / 255.0, 1 / 1.2) * 65535));
    using Verdict = CalibrationVerdict;

    const struct {
        const char* name;
        const DisplayProfile& profile;
        GammaTable loaded;
        Verdict verdict;
        int largest;
        int level;
        int channel;
    } cases[] = {
        {"the calibration itself", *calibrated, expected, Verdict::Loaded, 0, 0, 0},
        {"one 8-bit step off", *calibrated, changed(expected, {{1, 40, 256}, {2, 3, -200}}), Verdict::Loaded, 256, 40, 1},
        {"a unit more", *calibrated, changed(expected, {{1, 40, -257}}), Verdict::Lost, 257, 40, 1},
        {"equal largest: the first in the ramp's order", *calibrated,
         changed(expected, {{2, 5, 1000}, {1, 200, -1000}, {1, 10, 1000}}), Verdict::Lost, 1000, 10, 1},
        // Red tops out at 0.7: round(0.7 * 65535) = 45875.
        {"the straight ramp", *calibrated, straightRamp(), Verdict::Lost, 65535 - 45875, 255, 0},
        {"no vcgt, straight ramp", *uncalibrated, straightRamp(), Verdict::NoneStraightRamp, 0, 0, 0},
        {"no vcgt, ramp off by 2", *uncalibrated, changed(straightRamp(), {{0, 9, 2}}), Verdict::NoneStraightRamp, 2, 9,
         0},
        {"no vcgt, one 8-bit step off", *uncalibrated, changed(straightRamp(), {{2, 100, -256}}),
         Verdict::NoneStraightRamp, 256, 100, 2},
        {"no vcgt, a unit more", *uncalibrated, changed(straightRamp(), {{2, 100, -257}}),
         Verdict::NoneRampNotStraight, 257, 100, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CalibrationCheck check = c.profile.check(c.loaded);
        EXPECT_EQ(check.verdict, c.verdict);
        EXPECT_EQ(check.largestDifference, c.largest);
        EXPECT_EQ(check.level, c.level);
        EXPECT_EQ(check.channel, c.channel);
    }

    // A gamma ramp against the straight line: the largest difference of
    // x^(1/1.2) from x, found by hand from the entries.
    int largest = 0;
    int where = 0;
    for (int level = 0; level < 256; ++level)
        if (gamma[at(0, level)] - level * 257 > largest) largest = gamma[at(0, level)] - level * 257, where = level;
    const CalibrationCheck check = uncalibrated->check(gamma);
    EXPECT_EQ(check.verdict, Verdict::NoneRampNotStraight);
    EXPECT_EQ(check.largestDifference, largest);
    EXPECT_EQ(check.level, where);
    EXPECT_EQ(check.channel, 0);
}

// With the calibration loaded the screen shows what the Bitmap asks for, in
// every vcgt form, also from a loader that truncates where the profile's
// ramp rounds.
TEST(DisplayProfileColour, seenIsIntendedWhileTheCalibrationIsLoaded)
{
    const auto stepped = [](int channel, double x) { return std::floor(std::pow(x, 1.3 - 0.2 * channel) * 40) / 40; };
    const auto curve = [](int channel, double x) { return 0.02 + 0.95 * std::pow(x, 0.7 + 0.25 * channel); };
    std::unique_ptr<DisplayProfile> profiles[] = {
        readOrFail(displayProfileBytes()),
        readWithVcgt(curve),
        readWithVcgt(stepped),
        readWithRawVcgt(vcgtTableTag(256, 1, curve)),
        readWithRawVcgt(vcgtTableTag(1024, 2, curve)),
        readWithRawVcgt(vcgtFormulaTag({VcgtFormula{2.5, 0.0625, 0.875}, {1.0, 0, 0.5}, {0.75, 0.125, 1}})),
    };
    for (const auto& profile : profiles) {
        ASSERT_TRUE(profile);
        GammaTable truncated = profile->expectedRamp();
        for (std::uint16_t& entry : truncated)
            if (entry > 0) --entry;
        for (const Rgb colour : kSomeColours) {
            const Lab intended = profile->intendedLab(colour);
            const auto seen = profile->seenLab(colour, profile->expectedRamp());
            ASSERT_TRUE(seen);
            EXPECT_LT(deltaE2000(*seen, intended), 0.001) << labText(*seen) << " " << labText(intended);
            if (!profile->hasCalibration()) continue;
            const auto seenTruncated = profile->seenLab(colour, truncated);
            ASSERT_TRUE(seenTruncated);
            EXPECT_LT(deltaE2000(*seenTruncated, intended), 0.001) << labText(*seenTruncated);
        }
    }
}

// The loaded ramp taken back through the calibration: a calibration to half
// the output with the straight ramp loaded shows level L as 2L would show
// calibrated; an inverting one as 255 - L; a curve that rises and falls
// again, from the device value nearest the level. (An 8-bit table that
// halves has flat steps, and its inverse is any point of a step.)
TEST(DisplayProfileColour, seenThroughTheInverseOfTheCalibration)
{
    const auto inverting = [](int, double x) { return 1 - x; };
    // Up to level 127 the table rises to 0.8, then falls to 0.4: entry 190
    // is also reached on the rising side, far from level 200.
    const auto peaked = [](int, double x) { return x <= 127 / 255.0 ? x * 0.8 * 255 / 127 : 0.8 - (x - 127 / 255.0) * 0.4 / (128 / 255.0); };
    const auto halfTable = readWithVcgt(halfOutput);
    const auto invertedOneByte = readWithRawVcgt(vcgtTableTag(256, 1, inverting));
    const auto halfFormula = readWithRawVcgt(vcgtFormulaTag({VcgtFormula{1, 0, 0.5}, {1, 0, 0.5}, {1, 0, 0.5}}));
    const auto inverted = readWithVcgt(inverting);
    const auto rising = readWithVcgt(peaked);
    const auto uncalibrated = readOrFail(displayProfileBytes());
    ASSERT_TRUE(halfTable && invertedOneByte && halfFormula && inverted && rising && uncalibrated);

    GammaTable peakedLoaded = rising->expectedRamp();
    peakedLoaded[at(0, 200)] = rising->expectedRamp()[at(0, 190)];
    GammaTable doubled{};
    for (int c = 0; c < 3; ++c)
        for (int level = 0; level < 256; ++level)
            doubled[at(c, level)] = static_cast<std::uint16_t>(std::min(level * 2, 255) * 257);

    const struct {
        const char* name;
        const DisplayProfile& profile;
        GammaTable loaded;
        Rgb bitmap;
        Rgb shownAs;
    } cases[] = {
        {"half, 16-bit table", *halfTable, straightRamp(), {100, 0, 127}, {200, 0, 254}},
        {"inverted, 8-bit table", *invertedOneByte, straightRamp(), {60, 1, 33}, {195, 254, 222}},
        {"half, formula", *halfFormula, straightRamp(), {127, 127, 10}, {254, 254, 20}},
        {"inverted", *inverted, straightRamp(), {0, 100, 255}, {255, 155, 0}},
        {"rising and falling: the nearer side", *rising, peakedLoaded, {200, 50, 128}, {190, 50, 128}},
        {"no vcgt: the entries are the device values", *uncalibrated, doubled, {20, 100, 200}, {40, 200, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto seen = c.profile.seenLab(c.bitmap, c.loaded);
        ASSERT_TRUE(seen);
        const Lab shown = c.profile.intendedLab(c.shownAs);
        EXPECT_LT(deltaE2000(*seen, shown), 0.001) << labText(*seen) << " " << labText(shown);
        EXPECT_GT(deltaE2000(*seen, c.profile.intendedLab(c.bitmap)), 0.5);
    }
}

// An entry no device value gives under the calibration says nothing: neither
// the top of the straight ramp on a calibration that ends at half, nor black
// on one that starts above it. One unit from the expected entry is still the
// calibration (a loader that truncates or rounds otherwise), two beyond the
// curve's top are not.
TEST(DisplayProfileColour, seenBeyondTheCalibrationIsNothing)
{
    const auto raised = readWithVcgt([](int, double x) { return 0.1 + 0.9 * x; });
    const auto half = readWithRawVcgt(vcgtFormulaTag({VcgtFormula{1, 0, 0.5}, {1, 0, 0.5}, {1, 0, 0.5}}));
    ASSERT_TRUE(raised && half);
    // The formula's top is 32767.5, so the profile expects 32768 at level 255.
    ASSERT_EQ(half->expectedRamp()[at(2, 255)], 32768);
    const auto withBlueTop = [&](int top) {
        GammaTable ramp = half->expectedRamp();
        ramp[at(2, 255)] = static_cast<std::uint16_t>(top);
        return ramp;
    };

    EXPECT_FALSE(half->seenLab({128, 0, 0}, straightRamp()));
    EXPECT_FALSE(half->seenLab({0, 0, 255}, straightRamp()));
    EXPECT_TRUE(half->seenLab({127, 127, 127}, straightRamp()));
    EXPECT_FALSE(raised->seenLab({0, 50, 50}, straightRamp()));
    EXPECT_FALSE(raised->seenLab({50, 50, 0}, straightRamp()));
    EXPECT_TRUE(raised->seenLab({50, 50, 50}, straightRamp()));

    const Lab blue = half->intendedLab({0, 0, 255});
    for (const int top : {32767, 32768, 32769}) {
        const auto seen = half->seenLab({0, 0, 255}, withBlueTop(top));
        ASSERT_TRUE(seen) << top;
        EXPECT_LT(deltaE2000(*seen, blue), 0.01) << top;
    }
    EXPECT_FALSE(half->seenLab({0, 0, 255}, withBlueTop(32770)));
}

// Rows of Sharma, Wu and Dalal's CIEDE2000 test data (2005): the hue
// angle's corner cases (7, 9-15), large differences (17-20) and
// near-neutral and dark pairs (31-34). Either order gives the same.
TEST(DeltaE2000, publishedTestPairs)
{
    const struct {
        int row;
        Lab one;
        Lab other;
        double difference;
    } rows[] = {
        {1, {50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
        {7, {50, 0, 0}, {50, -1, 2}, 2.3669},
        {9, {50, 2.49, -0.001}, {50, -2.49, 0.0009}, 7.1792},
        {11, {50, 2.49, -0.001}, {50, -2.49, 0.0011}, 7.2195},
        {13, {50, -0.001, 2.49}, {50, 0.0009, -2.49}, 4.8045},
        {15, {50, -0.001, 2.49}, {50, 0.0011, -2.49}, 4.7461},
        {17, {50, 2.5, 0}, {73, 25, -18}, 27.1492},
        {19, {50, 2.5, 0}, {56, -27, -3}, 31.9030},
        {22, {50, 2.5, 0}, {50, 3.2972, 0}, 1.0000},
        {25, {60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
        {29, {22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
        {31, {90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
        {33, {6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
        {34, {2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        EXPECT_NEAR(deltaE2000(r.one, r.other), r.difference, 0.00005);
        EXPECT_NEAR(deltaE2000(r.other, r.one), r.difference, 0.00005);
    }
    EXPECT_EQ(deltaE2000({37, -12, 80}, {37, -12, 80}), 0);
}
