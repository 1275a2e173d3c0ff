#pragma once

// Display profiles for tests, made with Little CMS 2: an RGB display profile
// with sRGB's primaries and tone curves, with or without a calibration
// (vcgt) in each of the forms the tag takes, and profiles a display cannot
// use (CMYK, grey, a device link, one without colorants).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tintora::test {

using ProfileBytes = std::vector<std::uint8_t>;

// A calibration curve of each channel (0 red, 1 green, 2 blue): output 0-1
// for input 0-1.
using ChannelCurve = std::function<double(int channel, double x)>;

// The formula form of a vcgt: output = min + (max - min) * x ^ gamma.
struct VcgtFormula {
    double gamma = 1;
    double min = 0;
    double max = 1;
};

// ICC profile classes, as in the header.
inline constexpr std::uint32_t kDisplayClass = 0x6D6E7472; // 'mntr'
inline constexpr std::uint32_t kOutputClass = 0x70727472;  // 'prtr'
inline constexpr std::uint32_t kColourSpaceClass = 0x73706163; // 'spac'

struct TestProfile {
    std::wstring description = L"Tintora test display";
    double version = 2.1; // the ICC version written (Argyll reads v2 only)
    std::uint32_t deviceClass = kDisplayClass;
    // The tone curves: the parametric curve of type 4 (gamma, a, b, c, d:
    // (a x + b) ^ gamma from d on, c x below), sRGB's by default; kept as a
    // formula in version 4 profiles, sampled into a table in version 2.
    std::array<double, 5> toneCurve{2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    // At most one of the three vcgt forms:
    // a table lcms2 writes from the curve (it always stores 256 16-bit entries),
    ChannelCurve vcgtCurve;
    // the formula form, written by lcms2,
    std::vector<VcgtFormula> vcgtFormula; // three, or none
    // or a vcgt tag's bytes written as they are (vcgtTableTag, vcgtFormulaTag).
    std::vector<std::uint8_t> rawVcgt;
};

// An RGB profile with sRGB's primaries, white and tone curves.
ProfileBytes displayProfileBytes(const TestProfile& profile = {});

// A vcgt tag's bytes: a table of count entries per channel, each entryBytes
// (1 or 2) wide, entry i the curve at i / (count - 1) rounded to the entry's
// range. channels other than 3 make a tag lcms2 refuses.
std::vector<std::uint8_t> vcgtTableTag(int count, int entryBytes, const ChannelCurve& curve, int channels = 3);
// A vcgt tag's bytes in the formula form (s15Fixed16 numbers).
std::vector<std::uint8_t> vcgtFormulaTag(const std::array<VcgtFormula, 3>& formula);

// Profiles a display cannot use: a CMYK output profile (Lab PCS, a small
// table), a grey display profile, an RGB device link, and an RGB display
// profile without colorants or tone curves.
ProfileBytes cmykProfileBytes();
ProfileBytes greyProfileBytes();
ProfileBytes rgbDeviceLinkBytes();
ProfileBytes rgbProfileWithoutColorantsBytes();

// Writes bytes to path; false when it cannot.
bool writeProfileFile(const std::string& path, const ProfileBytes& bytes);

} // namespace tintora::test
