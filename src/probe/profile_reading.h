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
    bool hasCalibration = false;           // the profile carries a vcgt
    std::optional<CalibrationCheck> check; // nothing: no ramp could be read to check
    Lab intended;                          // the Bitmap colour through the profile
    std::optional<Lab> seen;               // nothing: no ramp, or beyond the calibration's range
    double deltaE = 0;                     // CIEDE2000 of intended and seen, when seen is known
    // Every field alike (the colours to the last bit).
    friend bool operator==(const ProfileFacts&, const ProfileFacts&) = default;
};

// The display profile under the pointer from tick to tick. The published
// bytes are kept and handed back to DisplayProfiles::profileAt, so an unchanged profile
// costs no copy; the profile is read again only when the published one's
// serial or output changes, and the facts worked out again only when the
// profile, the colour or the ramp changes: a tick under a resting pointer
// allocates nothing.
class ProfileReading {
public:
    ProfileReading();
    ~ProfileReading();

    // Follows the profile of the output that shows p for the Bitmap colour
    // and the ramp read there this tick (its size 0 when none could be read).
    // A published profile that does not read counts as none; it is said once
    // on err, when it is first met, not at every tick: "tintora: the display
    // profile of HDMI-1 (_ICC_PROFILE) is left out. " and why.
    void follow(DisplayProfiles& profiles, Point p, const RampReading& ramp, Rgb bitmap, std::ostream& err);

    // The facts of the latest follow; nothing where no profile applies.
    const ProfileFacts* facts() const { return m_applies ? &m_facts : nullptr; }

private:
    void readPublished(std::ostream& err);
    void workOutFacts(const RampReading& ramp, Rgb bitmap);

    PublishedProfile m_published; // the bytes as last handed over by the screen
    std::unique_ptr<DisplayProfile> m_profile;
    bool m_read = false;          // m_profile stands for m_published's serial and output
    std::uint64_t m_readSerial = 0;
    std::string m_readOutput;

    // What the facts were worked out from.
    bool m_factsKnown = false;
    Rgb m_factsColour;
    bool m_factsHadRamp = false;
    GammaTable m_factsRamp{};

    ProfileFacts m_facts;
    bool m_applies = false;
};

} // namespace tintora
