#pragma once

#include <iosfwd>
#include <streambuf>
#include <string_view>

namespace tintora {

// Writes text on out and flushes it. When that fails (a full disk, a reader
// that has gone) it says so on err in one line, naming what was written and
// the reason the failed write left in errno ("tintora: the report could not
// be written: No space left on device"), and returns false.
bool writeChecked(std::ostream& out, std::string_view text, std::string_view what, std::ostream& err);

// The buffer for a standard stream the program was started without, whose
// descriptor only holds the null device's place: every write fails as a
// write to a closed descriptor does (errno EBADF), and so does the flush,
// even of an empty answer, so that writeChecked says the answer could not be
// written instead of losing it unannounced.
class ClosedStreamBuffer : public std::streambuf {
protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char_type* text, std::streamsize count) override;
    int sync() override;
};

} // namespace tintora
