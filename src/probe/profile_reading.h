#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "colourprofile/display_profile.h"
#include "core/rgb.h"
#include "platform/display_profiles.h"

namespace tintora {

// What the display profile of an output says about one colour under the ramp
// loaded there.
struct ProfileFacts {
    std::string description;
    bool hasCalibration = false; // the profile carries a vcgt
    CalibrationCheck check;      // its verdict Unknown where no ramp could be read to check
    Lab intended;                // the Bitmap colour through the profile
    std::optional<Lab> seen;     // nothing: no ramp, or beyond the calibration's range
    double deltaE = 0;           // CIEDE2000 of intended and seen, when seen is known
    // Every field alike (the colours to the last bit).
    friend bool operator==(const ProfileFacts&, const ProfileFacts&) = default;
};

// The display profile under the pointer from tick to tick, the part of the
// Sampler (probe/sampler.h) that reads profiles. The published bytes are kept
// and handed back to DisplayProfiles::profileAt, so an unchanged profile
// costs no copy; the profile is read again only when the published one's serial or
// output changes, and the facts worked out again only when the profile, the
// colour or the ramp changes: a tick under a resting pointer allocates
// nothing.
class ProfileReading {
public:
    ProfileReading();
    ~ProfileReading();

    // Follows the profile of the output that shows p for the tick's Bitmap
    // colour and ramp (nothing where they could not be read) into facts:
    // nothing where no profile applies or no colour was read. sampleChanged
    // says whether the colour or the ramp differ from the previous follow's.
    // Returns whether facts or refusal() changed. A published profile that
    // the screen refused or that does not read gives no facts, and refusal()
    // says why; it is said on err when it is first met, not at every tick:
    // "tintora: the display profile of HDMI-1 (output property _ICC_PROFILE)
    // is left out. " and why. Each distinct line once, and at most
    // kMostProfileWarnings of them: then one line says that further ones are
    // left out, and nothing more is said.
    bool follow(DisplayProfiles& profiles, Point p, const std::optional<Rgb>& bitmap, const std::optional<RampReading>& ramp,
                bool sampleChanged, std::optional<ProfileFacts>& facts, std::ostream& err);

    // Why the profile published where the last follow looked is not used
    // (one English sentence); empty where one is used or none is published.
    std::string_view refusal() const { return m_refused ? std::string_view(m_readRefusal) : std::string_view(); }

    static constexpr std::size_t kMostProfileWarnings = 8;

private:
    void readPublished(std::ostream& err);
    void warn(std::string line, std::ostream& err);
    bool workOutFacts(ProfileFacts& facts, Rgb bitmap, const std::optional<RampReading>& ramp) const;

    PublishedProfile m_published; // the bytes as last handed over by the screen
    std::unique_ptr<DisplayProfile> m_profile;
    bool m_read = false;          // m_profile stands for m_published's serial and output
    std::uint64_t m_readSerial = 0;
    std::string m_readOutput;
    std::string m_readRefusal; // why m_published is not used, when it is not
    bool m_refused = false;    // m_readRefusal applies where the last follow looked
    std::set<std::string> m_warned; // the lines said on err
    bool m_warningsCut = false;     // the line that further ones are left out said
};

} // namespace tintora
