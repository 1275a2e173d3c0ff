#pragma once

// Display profiles published on a test's X server the way colour tools do:
// as properties of the root window or of a RandR output, set and removed
// through the server object's own connection. Xlib stays out of this header.

#include <cstdint>
#include <string>
#include <vector>

#include "support/xvfb.h"

namespace tintora::test {

// A property that may hold a display profile.
struct ProfileProperty {
    std::string name;   // "_ICC_PROFILE", "_ICC_DEVICE_PROFILE_1", ...
    std::string output; // the RandR output's name; empty: the root window's
};

// Sets the property to bytes (of type CARDINAL, as colour tools set it) in
// the given format (8, or 32 for what a reader must refuse; bytes then a
// multiple of 4, each 4 bytes one value in the machine's order); whether the
// server took it.
bool publishProfileProperty(Xvfb& server, const ProfileProperty& property, const std::vector<std::uint8_t>& bytes,
                            int format = 8);
// Deletes the property; whether the server took the request.
bool removeProfileProperty(Xvfb& server, const ProfileProperty& property);

// A file's bytes; empty when it cannot be read.
std::vector<std::uint8_t> fileBytes(const std::string& path);

} // namespace tintora::test
