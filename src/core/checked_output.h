#pragma once

#include <iosfwd>
#include <string_view>

namespace tintora {

// Writes text on out and flushes it. When that fails (a full disk, a reader
// that has gone) it says so on err in one line, naming what was written and
// the reason the failed write left in errno ("tintora: the report could not
// be written: No space left on device"), and returns false.
bool writeChecked(std::ostream& out, std::string_view text, std::string_view what, std::ostream& err);

} // namespace tintora
