#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "core/geometry.h"
#include "core/rgb.h"
#include "platform/pointer.h"
#include "platform/screen.h"
#include "probe/lut.h"
#include "probe/profile_reading.h"

namespace tintora {

// What differs in a sample from the one before it (every part, for the first).
struct SampleChanges {
    bool position = false;      // where it was taken
    bool bitmap = false;        // the pixel, or whether one could be read
    bool ramp = false;          // the ramp (entries, output, size), or whether one could be read
    bool profile = false;       // the display profile's facts, or whether any apply
    bool rampStatus = false;    // the ramp's status text
    bool profileStatus = false; // the display profile's status text

    static constexpr SampleChanges everything() { return {true, true, true, true, true, true}; }
    // Whether the readouts (the Bitmap and LUT levels, the entries) may differ.
    constexpr bool readouts() const { return bitmap || ramp; }
    friend bool operator==(const SampleChanges&, const SampleChanges&) = default;
};

// One probe tick's reading at one point, and what the program makes of it.
// A part that could not be read is missing, never an older reading or a made-up
// value: the views show it as missing, and nothing is copied of it.
struct Sample {
    Point at;                            // where it was taken
    std::optional<Rgb> bitmap;           // the pixel; nothing: it could not be read (no monitor shows it)
    std::optional<RampReading> ramp;     // the ramp of the output there; nothing: none could be read
    std::optional<ProfileFacts> profile; // nothing: no display profile applies, or no pixel was read
    std::string rampStatus;              // the ramp's status line (rampStatusText)
    std::string profileStatus;           // the display profile's (profileStatusText)
    SampleChanges changed;               // since the sample before

    // The Bitmap colour through the ramp; nothing without both.
    std::optional<Rgb> lut() const
    {
        if (!bitmap || !ramp) return std::nullopt;
        return mapThroughRamp(ramp->ramp, *bitmap);
    }
    // The entries the Bitmap levels read in the ramp; nothing without both.
    std::optional<RawEntries> entries() const
    {
        if (!bitmap || !ramp) return std::nullopt;
        return rawEntries(ramp->ramp, *bitmap);
    }
};

// Takes one sample per probe tick, for the windows and for the scriptable
// probe alike, and keeps the latest: the one value every view of it reads.
// The ramp is compared with the previous one where it was read and taken over
// only when it differs; the display profile is followed (ProfileReading) and
// the status texts made again only when what they say changed. A tick under a
// resting pointer copies no ramp and allocates nothing.
class Sampler {
public:
    // decimalSeparator: the user's, for the numbers of the profile's status.
    explicit Sampler(std::string decimalSeparator = ".");

    // Samples at p, a position already read this tick. What is said of a
    // display profile that does not read goes to err, once.
    const Sample& sampleAt(Screen& screen, Point p, std::ostream& err);
    // The same at the pointer's position ((0, 0) when it cannot be read).
    const Sample& samplePointer(Screen& screen, Pointer& pointer, std::ostream& err);

    // The latest sample: before the first, one at (0, 0) that read nothing,
    // with the status texts of nothing.
    const Sample& latest() const { return m_sample; }

private:
    bool followRamp(Screen& screen, Point p);

    std::string m_separator;
    Sample m_sample;
    RampReading m_read; // where the screen writes the ramp, compared with the sample's
    ProfileReading m_profile;
    bool m_sampled = false;
};

} // namespace tintora
