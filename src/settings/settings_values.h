#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/stored_options.h"

namespace tintora {

// (A file without a zoom that can be used gives kDefaultZoom, of
// core/stored_options.h.) Below the smallest step of the zoom ladder only a hand-edited file can go;
// the magnifier divides by the zoom, so such values are not taken.
constexpr double kSmallestFileZoom = 0.5;

// A Boolean value: a whole number, non-zero being true. Decimal digits with an
// optional sign, or hexadecimal digits after "$", "x", "X", "0x" or "0X"
// (a sign may come before the prefix), blanks around allowed; the number must
// fit 32 bits (up to $FFFFFFFF in hexadecimal). Nothing for any other text,
// the empty text included.
std::optional<bool> readBool(std::string_view text);

// "1" or "0".
std::string writeBool(bool value);

// A number: blanks, an optional sign, digits, optionally the decimal separator
// and digits, optionally "E" or "e" with an optional sign and digits, blanks.
// Only the given separator is accepted. Nothing for any other text and for a
// number too large for a double.
std::optional<double> readZoom(std::string_view text, std::string_view decimalSeparator);

// The general form with up to 15 significant digits: no trailing zeros, no
// separator for a whole number, no thousands separators; an exponent
// ("1E20", "1E-5") only where printf's "%.15G" uses one.
std::string writeZoom(double value, std::string_view decimalSeparator);

// The zoom to use for what the file holds: fallback when it holds nothing
// readable, a value that is not finite, or one below kSmallestFileZoom.
double zoomFromFile(std::optional<double> read, double fallback = kDefaultZoom);

} // namespace tintora
