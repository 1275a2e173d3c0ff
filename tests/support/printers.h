#pragma once

// Readable gtest failure messages for the program's small value types.

#include <optional>
#include <ostream>

#include "core/geometry.h"
#include "core/program_state.h"
#include "support/xvfb.h"

namespace tintora {

inline void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

inline void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.x << ", " << r.y << " " << r.width << "x" << r.height << ")";
}

inline void PrintTo(const Rgb& c, std::ostream* os)
{
    *os << "rgb(" << int{c.R} << ", " << int{c.G} << ", " << int{c.B} << ")";
}

namespace test {

inline void PrintTo(const Colour& c, std::ostream* os)
{
    *os << "rgb(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}

} // namespace test

} // namespace tintora
