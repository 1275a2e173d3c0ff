#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/colour_types.h"
#include "core/geometry.h"
#include "platform/interface.h"

namespace tintora {

// The display profile the system publishes for one output, as bytes, unread.
struct PublishedProfile {
    std::vector<std::uint8_t> bytes; // the profile file's bytes; empty when none is published
    std::string output;              // the output it applies to (as in RampReading::output)
    std::string origin;              // where it was found: the property's or the file's name
    std::uint64_t serial = 0;        // changes whenever what is published may have changed
};

// The display profiles the system publishes for its outputs.
class DisplayProfiles : public Interface {
public:
    // Whether this system publishes display profiles where the program can
    // read them (an output without one still reads as "none").
    virtual bool canReadProfiles() = 0;

    // Fills profile with the display profile published for the output that
    // shows p (the first output otherwise). The backend reads the system's
    // profile again only after the system says it changed, never per call:
    // when profile already holds that output's profile at its current serial,
    // nothing is copied, so a reading kept from tick to tick costs nothing.
    // A profile larger than kLargestProfileBytes is not read (bytes empty).
    // False, profile untouched, when no output can be told.
    virtual bool profileAt(Point p, PublishedProfile& profile) = 0;

    // The profiles of every output that shows something, in the system's
    // order (bytes empty where none is published).
    virtual std::vector<PublishedProfile> allProfiles() = 0;
};

} // namespace tintora
