// A display profile read from any bytes (a property or a file anybody may
// have written): it reads, or says in one sentence why not. What reads
// expects a ramp, finds that ramp loaded, and shows the intended colour
// when its calibration is loaded; what it says of other ramps (the straight
// one, one the input moves) stays within its ranges and gives numbers.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "colourprofile/display_profile.h"
#include "fuzz_check.h"

using namespace tintora;

namespace {

bool finite(const Lab& lab) { return std::isfinite(lab.L) && std::isfinite(lab.a) && std::isfinite(lab.b); }

// Well-formed UTF-8 with no control characters.
bool printableUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size() || (length == 1 && (byte < 0x20 || byte == 0x7F))) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string whyNot;
    const auto profile = DisplayProfile::read(std::span<const std::uint8_t>(data, size), whyNot);
    if (!profile) {
        FUZZ_CHECK(!whyNot.empty() && whyNot.back() == '.' && whyNot.find('\n') == std::string::npos);
        return 0;
    }
    FUZZ_CHECK(whyNot.empty());
    FUZZ_CHECK(!profile->description().empty() && printableUtf8(profile->description()));
    FUZZ_CHECK(profile->description().front() != ' ' && profile->description().back() != ' ');

    const GammaTable& expected = profile->expectedRamp();
    const CalibrationCheck loaded = profile->check(expected);
    FUZZ_CHECK(loaded.largestDifference == 0);
    FUZZ_CHECK(loaded.verdict ==
               (profile->hasCalibration() ? CalibrationVerdict::Loaded : CalibrationVerdict::NoneStraightRamp));

    GammaTable straight{};
    for (std::size_t i = 0; i < straight.size(); ++i) straight[i] = static_cast<std::uint16_t>(i % 256 * 257);
    const CalibrationCheck other = profile->check(straight);
    FUZZ_CHECK(other.largestDifference >= 0 && other.largestDifference <= 65535);
    FUZZ_CHECK(other.level >= 0 && other.level <= 255 && other.channel >= 0 && other.channel <= 2);
    if (other.largestDifference > 0)
        FUZZ_CHECK(std::abs(int{straight[static_cast<std::size_t>(other.channel * 256 + other.level)]} -
                            int{expected[static_cast<std::size_t>(other.channel * 256 + other.level)]}) ==
                   other.largestDifference);

    // A ramp steered by the input: the expected one moved by up to 512
    // units either way, entry by entry, and beyond the ends.
    GammaTable moved = expected;
    for (std::size_t i = 0; i < moved.size(); ++i)
        moved[i] = static_cast<std::uint16_t>(std::clamp(int{expected[i]} + (int{data[i % size]} - 128) * 4, 0, 65535));

    // A few colours steered by the input's last bytes.
    const std::uint8_t* tail = data + size - 3;
    for (const Rgb colour : {Rgb{tail[0], tail[1], tail[2]}, Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{200, 100, 30}}) {
        const Lab intended = profile->intendedLab(colour);
        const auto seen = profile->seenLab(colour, expected);
        FUZZ_CHECK(finite(intended));
        FUZZ_CHECK(seen && deltaE2000(*seen, intended) < 0.01);
        // Without a vcgt the straight ramp is the one expected.
        if (!profile->hasCalibration()) FUZZ_CHECK(profile->seenLab(colour, straight) == seen);
        else if (const auto seenStraight = profile->seenLab(colour, straight)) FUZZ_CHECK(finite(*seenStraight));
        if (const auto seenMoved = profile->seenLab(colour, moved)) FUZZ_CHECK(finite(*seenMoved));
    }
    return 0;
}
