#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

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
    // Returns whether facts changed. A published profile that does not read
    // counts as none; it is said once on err, when it is first met, not at
    // every tick: "tintora: the display profile of HDMI-1 (_ICC_PROFILE) is
    // left out. " and why.
    bool follow(DisplayProfiles& profiles, Point p, const std::optional<Rgb>& bitmap, const std::optional<RampReading>& ramp,
                bool sampleChanged, std::optional<ProfileFacts>& facts, std::ostream& err);

private:
    void readPublished(std::ostream& err);
    bool workOutFacts(ProfileFacts& facts, Rgb bitmap, const std::optional<RampReading>& ramp) const;

    PublishedProfile m_published; // the bytes as last handed over by the screen
    std::unique_ptr<DisplayProfile> m_profile;
    bool m_read = false;          // m_profile stands for m_published's serial and output
    std::uint64_t m_readSerial = 0;
    std::string m_readOutput;
};

} // namespace tintora
