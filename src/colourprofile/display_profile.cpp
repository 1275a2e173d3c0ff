#include "colourprofile/display_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <type_traits>
#include <vector>

namespace tintora {

namespace {

// An ICC profile's header is 128 bytes, followed by its tag count.
constexpr std::size_t kSmallestProfileBytes = 132;
constexpr std::size_t kDeviceClassOffset = 12;
constexpr std::size_t kColourSpaceOffset = 16;
constexpr std::size_t kSignatureOffset = 36;

// Points at which each calibration curve is sampled once, to find where an
// inverse lies before bisecting the curve itself there.
constexpr int kCurveSamples = 4096;
// Halving a 1/4096 interval this often leaves less than 1e-12.
constexpr int kBisections = 30;
// A ramp entry is a rounded 16-bit value: half a unit beyond the curve's
// range is still the curve's end.
constexpr double kHalfRampUnit = 0.5 / 65535.0;

std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

// A signature as its four characters, for messages ('?' for what is not
// printable ASCII), trailing blanks dropped.
std::string signatureText(std::uint32_t signature)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((signature >> shift) & 0xFFu);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The wide text Little CMS gives as UTF-8. It widens the bytes of a v2
// description's ASCII part with their sign, so values that are a byte with
// the sign bit spread over the whole wchar_t stand for that byte (read as
// Latin-1, as such descriptions are mostly written). Control characters
// become blanks; what is no character at all becomes U+FFFD.
std::string utf8FromWide(const std::vector<wchar_t>& wide)
{
    using Unit = std::make_unsigned_t<wchar_t>;
    constexpr Unit kWidenedByte = static_cast<Unit>(static_cast<wchar_t>(static_cast<signed char>(-128)));
    std::string out;
    for (std::size_t i = 0; i < wide.size() && wide[i] != 0; ++i) {
        char32_t c = static_cast<Unit>(wide[i]);
        if (c >= kWidenedByte) {
            c &= 0xFFu;
        } else if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            // A UTF-16 pair (where wchar_t has 16 bits).
            const char32_t low = static_cast<Unit>(wide[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) c = U' ';
        if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) c = 0xFFFD;
        appendUtf8(out, c);
    }
    return out;
}

std::string descriptionOf(cmsHPROFILE profile)
{
    const cmsUInt32Number bytes = cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", nullptr, 0);
    std::string text;
    if (bytes > 0) {
        std::vector<wchar_t> wide(bytes / sizeof(wchar_t) + 1, 0);
        cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", wide.data(), bytes);
        text = utf8FromWide(wide);
    }
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return kNoProfileDescription;
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool finite(const Lab& lab) { return std::isfinite(lab.L) && std::isfinite(lab.a) && std::isfinite(lab.b); }

// The device classes whose RGB profiles describe what a screen shows.
bool isDisplayClass(std::uint32_t deviceClass)
{
    return deviceClass == cmsSigDisplayClass || deviceClass == cmsSigColorSpaceClass ||
           deviceClass == cmsSigInputClass;
}

// One channel's calibration curve, with what finding a device value for an
// output needs: the curve sampled at kCurveSamples + 1 points, whether those
// samples only rise or only fall, and the range they cover.
struct CalibrationCurve {
    cmsToneCurve* curve = nullptr;
    std::vector<float> samples;
    bool rising = true;
    bool falling = true;
    double lowest = 0;
    double highest = 0;

    CalibrationCurve() = default;
    CalibrationCurve(const CalibrationCurve&) = delete;
    CalibrationCurve& operator=(const CalibrationCurve&) = delete;
    ~CalibrationCurve()
    {
        if (curve) cmsFreeToneCurve(curve);
    }

    double at(double x) const { return cmsEvalToneCurveFloat(curve, static_cast<cmsFloat32Number>(x)); }

    // False when the curve gives values that are no numbers.
    bool sample(const cmsToneCurve* read)
    {
        curve = cmsDupToneCurve(read);
        if (!curve) return false;
        samples.resize(kCurveSamples + 1);
        for (int i = 0; i <= kCurveSamples; ++i) {
            samples[static_cast<std::size_t>(i)] = static_cast<float>(at(static_cast<double>(i) / kCurveSamples));
            if (!std::isfinite(samples[static_cast<std::size_t>(i)])) return false;
        }
        for (int i = 0; i < kCurveSamples; ++i) {
            const float here = samples[static_cast<std::size_t>(i)];
            const float next = samples[static_cast<std::size_t>(i) + 1];
            rising = rising && next >= here;
            falling = falling && next <= here;
        }
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        lowest = *low;
        highest = *high;
        return true;
    }

    // Where in [below, above] the curve's value starts to be past
    // (past(below) false, past(above) true), by halving the interval on the
    // curve itself.
    template <typename Past>
    double boundary(double below, double above, Past past) const
    {
        for (int step = 0; step < kBisections; ++step) {
            const double middle = (below + above) / 2;
            (past(static_cast<float>(at(middle))) ? above : below) = middle;
        }
        return (below + above) / 2;
    }

    // The middle of the device values whose output is output, which lie
    // from within the sample interval first - 1 to within the interval
    // last: the first where the curve reaches output, the last before it
    // goes past. Where the curve is flat at output (a table's equal entries,
    // or the 16-bit steps in which Little CMS evaluates tables) every one of
    // them gives output; their middle is the fairest one.
    double middleOfValuesGiving(float output, std::ptrdiff_t first, std::ptrdiff_t last, bool risingHere) const
    {
        const auto x = [](std::ptrdiff_t sample) { return static_cast<double>(sample) / kCurveSamples; };
        const auto reached = [&](float value) { return risingHere ? value >= output : value <= output; };
        const auto passed = [&](float value) { return risingHere ? value > output : value < output; };
        const double from = first == 0 ? 0.0 : boundary(x(first - 1), x(first), reached);
        const double to = last > kCurveSamples ? 1.0 : boundary(x(last - 1), x(last), passed);
        return (from + to) / 2;
    }

    // The device value (0-1) that the curve takes to wanted (0-1), from the
    // stretch that gives it nearest near (0-1) where the curve turns;
    // nothing when no device value gives it (half a ramp unit beyond the
    // curve's range is rounding).
    std::optional<double> deviceValueFor(double wanted, double near) const
    {
        if (wanted < lowest - kHalfRampUnit || wanted > highest + kHalfRampUnit) return std::nullopt;
        // The curve's values are single precision: so is what they are compared with.
        const auto output = static_cast<float>(std::clamp(wanted, lowest, highest));
        if (rising || falling) {
            // The samples equal to output, perhaps none: then output lies
            // between the samples first - 1 and first.
            const auto [first, last] = rising ? std::equal_range(samples.begin(), samples.end(), output)
                                              : std::equal_range(samples.begin(), samples.end(), output,
                                                                 std::greater<float>());
            return middleOfValuesGiving(output, first - samples.begin(), last - samples.begin(), rising);
        }
        // A curve that turns: the interval that holds output nearest near.
        const int start = std::clamp(static_cast<int>(near * kCurveSamples), 0, kCurveSamples - 1);
        for (int distance = 0; distance < kCurveSamples; ++distance) {
            for (const int i : {start + distance, start - distance}) {
                if (i < 0 || i >= kCurveSamples) continue;
                const float a = samples[static_cast<std::size_t>(i)];
                const float b = samples[static_cast<std::size_t>(i) + 1];
                if (a == output) return static_cast<double>(i) / kCurveSamples;
                if (b == output) return static_cast<double>(i + 1) / kCurveSamples;
                if (std::min(a, b) < output && output < std::max(a, b))
                    return middleOfValuesGiving(output, i + 1, i + 1, a < output);
            }
        }
        return std::nullopt;
    }
};

} // namespace

struct DisplayProfile::Parts {
    std::string description;
    bool hasCalibration = false;
    GammaTable expected{};
    std::array<CalibrationCurve, 3> curves;
    cmsHTRANSFORM transform = nullptr;

    ~Parts()
    {
        if (transform) cmsDeleteTransform(transform);
    }

    Lab labOf(double red, double green, double blue) const
    {
        const double device[3] = {red, green, blue};
        cmsCIELab lab{};
        cmsDoTransform(transform, device, &lab, 1);
        return {lab.L, lab.a, lab.b};
    }

    // Whether the transform gives numbers (a damaged curve or matrix may give
    // infinities): for every level of each channel alone and of grey, and a
    // grid of colours between.
    bool givesNumbers() const
    {
        for (int level = 0; level < 256; ++level) {
            const double v = level / 255.0;
            if (!finite(labOf(v, 0, 0)) || !finite(labOf(0, v, 0)) || !finite(labOf(0, 0, v)) ||
                !finite(labOf(v, v, v)))
                return false;
        }
        constexpr int kGrid = 5;
        for (int r = 0; r < kGrid; ++r)
            for (int g = 0; g < kGrid; ++g)
                for (int b = 0; b < kGrid; ++b)
                    if (!finite(labOf(r / (kGrid - 1.0), g / (kGrid - 1.0), b / (kGrid - 1.0)))) return false;
        return true;
    }
};

DisplayProfile::DisplayProfile() : m_parts(std::make_unique<Parts>()) {}
DisplayProfile::~DisplayProfile() = default;

namespace {

// Closes a profile when it goes out of scope.
struct OpenProfile {
    cmsHPROFILE handle = nullptr;
    ~OpenProfile()
    {
        if (handle) cmsCloseProfile(handle);
    }
};

// Why the bytes cannot be a profile worth opening, or empty when they may be.
std::string headerFault(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > kLargestProfileBytes)
        return "The display profile is larger than " + std::to_string(kLargestProfileBytes >> 20) + " MiB.";
    if (bytes.size() < kSmallestProfileBytes) return "The display profile is too short to be a profile.";
    if (bigEndian32(bytes, kSignatureOffset) != 0x61637370u) // "acsp"
        return "The display profile's bytes are not an ICC profile.";
    const std::uint32_t declared = bigEndian32(bytes, 0);
    if (declared > bytes.size())
        return "The display profile is truncated: it declares " + std::to_string(declared) + " bytes, " +
               std::to_string(bytes.size()) + " were read.";
    if (declared < kSmallestProfileBytes) return "The display profile declares a size too small for a profile.";
    return {};
}

} // namespace

std::unique_ptr<DisplayProfile> DisplayProfile::read(std::span<const std::uint8_t> bytes, std::string& whyNot)
{
    whyNot = headerFault(bytes);
    if (!whyNot.empty()) return nullptr;

    const OpenProfile profile{cmsOpenProfileFromMem(bytes.data(), bigEndian32(bytes, 0))};
    if (!profile.handle) {
        whyNot = "The display profile is damaged or of a form Little CMS cannot read.";
        return nullptr;
    }
    // The header's fields as numbers: Little CMS's enumerations hold only the
    // values they name, and a profile may hold any.
    const std::uint32_t space = bigEndian32(bytes, kColourSpaceOffset);
    if (space != cmsSigRgbData) {
        whyNot = "The display profile is not for RGB colours (its colour space is '" + signatureText(space) + "').";
        return nullptr;
    }
    const std::uint32_t deviceClass = bigEndian32(bytes, kDeviceClassOffset);
    if (!isDisplayClass(deviceClass)) {
        whyNot = "The display profile is not a display profile (its class is '" + signatureText(deviceClass) + "').";
        return nullptr;
    }

    std::unique_ptr<DisplayProfile> result(new DisplayProfile);
    Parts& parts = *result->m_parts;
    parts.description = descriptionOf(profile.handle);

    if (cmsIsTag(profile.handle, cmsSigVcgtTag)) {
        const auto* curves = static_cast<const cmsToneCurve* const*>(cmsReadTag(profile.handle, cmsSigVcgtTag));
        for (int c = 0; c < 3; ++c) {
            if (!curves || !curves[c] || !parts.curves[static_cast<std::size_t>(c)].sample(curves[c])) {
                whyNot = "The display profile's calibration (vcgt) cannot be read.";
                return nullptr;
            }
        }
        parts.hasCalibration = true;
    }
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t level = 0; level < 256; ++level) {
            double value = static_cast<double>(level) * 257;
            if (parts.hasCalibration)
                value = std::round(parts.curves[c].at(static_cast<double>(level) / 255.0) * 65535.0);
            parts.expected[c * 256 + level] = static_cast<std::uint16_t>(std::clamp(value, 0.0, 65535.0));
        }
    }

    const OpenProfile lab{cmsCreateLab4Profile(nullptr)};
    parts.transform = lab.handle ? cmsCreateTransform(profile.handle, TYPE_RGB_DBL, lab.handle, TYPE_Lab_DBL,
                                                      INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE)
                                 : nullptr;
    if (!parts.transform) {
        whyNot = "The display profile gives no transform to Lab.";
        return nullptr;
    }
    if (!parts.givesNumbers()) {
        whyNot = "The display profile is damaged: some of its colours are not numbers.";
        return nullptr;
    }
    return result;
}

const std::string& DisplayProfile::description() const { return m_parts->description; }

bool DisplayProfile::hasCalibration() const { return m_parts->hasCalibration; }

const GammaTable& DisplayProfile::expectedRamp() const { return m_parts->expected; }

CalibrationCheck DisplayProfile::check(const GammaTable& loaded) const
{
    CalibrationCheck result;
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        const int difference = std::abs(int{loaded[i]} - int{m_parts->expected[i]});
        if (difference > result.largestDifference) {
            result.largestDifference = difference;
            result.channel = static_cast<int>(i / 256);
            result.level = static_cast<int>(i % 256);
        }
    }
    const bool asExpected = result.largestDifference <= kCalibrationTolerance;
    if (m_parts->hasCalibration)
        result.verdict = asExpected ? CalibrationVerdict::Loaded : CalibrationVerdict::Lost;
    else
        result.verdict = asExpected ? CalibrationVerdict::NoneStraightRamp : CalibrationVerdict::NoneRampNotStraight;
    return result;
}

Lab DisplayProfile::intendedLab(Rgb bitmap) const
{
    return m_parts->labOf(bitmap.R / 255.0, bitmap.G / 255.0, bitmap.B / 255.0);
}

std::optional<Lab> DisplayProfile::seenLab(Rgb bitmap, const GammaTable& loaded) const
{
    const std::uint8_t levels[3] = {bitmap.R, bitmap.G, bitmap.B};
    double device[3];
    for (std::size_t c = 0; c < 3; ++c) {
        const std::size_t at = c * 256 + levels[c];
        const double level = levels[c] / 255.0;
        const double entry = loaded[at] / 65535.0;
        if (!m_parts->hasCalibration) {
            device[c] = entry;
        } else if (std::abs(int{loaded[at]} - int{m_parts->expected[at]}) <= 1) {
            device[c] = level;
        } else {
            const auto value = m_parts->curves[c].deviceValueFor(entry, level);
            if (!value) return std::nullopt;
            device[c] = *value;
        }
    }
    const Lab seen = m_parts->labOf(device[0], device[1], device[2]);
    if (!finite(seen)) return std::nullopt;
    return seen;
}

double deltaE2000(const Lab& one, const Lab& other)
{
    const cmsCIELab a{one.L, one.a, one.b};
    const cmsCIELab b{other.L, other.a, other.b};
    return cmsCIE2000DeltaE(&a, &b, 1, 1, 1);
}

} // namespace tintora
