#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/colour_types.h"
#include "core/geometry.h"
#include "platform/interface.h"

namespace tintora {

// A monitor as DisplayProfiles::allProfiles() names it, where the system's
// monitors are more than its outputs (X11: a RandR monitor may be part of an
// output).
struct ProfileMonitor {
    int index = -1; // its place in the system's list of monitors, primary first; -1: not told
    std::string name;
    Rect rect;
};

// The display profile the system publishes for one output, as bytes, unread.
struct PublishedProfile {
    std::vector<std::uint8_t> bytes; // the profile file's bytes; empty when none is published or it is refused
    std::string output;              // the output it applies to (as in RampReading::output)
    std::string origin;              // where it was found: the property's or the file's name
    // The same serial always comes with the same bytes and origin; a reading
    // of other bytes, another monitor's included, has another.
    std::uint64_t serial = 0;
    ProfileMonitor monitor{}; // told by allProfiles() only
    // Why a published profile was refused before its bytes were read, one
    // English sentence ("The display profile is larger than 4 MiB."); empty
    // when the bytes are what was published.
    std::string refusal;
    std::uint64_t refusedSize = 0; // the refused profile's size as published, in bytes
};

// The display profiles the system publishes for its outputs.
class DisplayProfiles : public Interface {
public:
    // Whether this system publishes display profiles where the program can
    // read them (an output without one still reads as "none").
    virtual bool canReadProfiles() = 0;

    // Fills profile with the display profile published for the monitor and
    // output that show p (the first output otherwise). The backend reads the system's
    // profile again only after the system says it changed, never per call:
    // when profile already holds that output's profile at its current serial,
    // nothing is copied, so a reading kept from tick to tick costs nothing.
    // A profile larger than kLargestProfileBytes is not read: bytes empty,
    // refusal saying so (so is an empty one, where the system tells it apart
    // from none).
    // False, profile untouched, when no output can be told.
    virtual bool profileAt(Point p, PublishedProfile& profile) = 0;

    // The profiles of every output that shows something, in the system's
    // order (bytes empty where none is published); where the system has
    // monitors apart from outputs, of every monitor in its order instead,
    // with each output that shows part of it, each as profileAt gives it for
    // the points there.
    virtual std::vector<PublishedProfile> allProfiles() = 0;
};

} // namespace tintora
