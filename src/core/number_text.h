#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tintora {

// The start of a whole number as the program's texts write it: an optional
// "+" or "-", then "$", "x", "X", "0x" or "0X" for hexadecimal digits.
struct NumberPrefix {
    bool negative = false;
    bool hex = false;
    std::size_t digitsAt = 0; // index of the first digit
};

NumberPrefix numberPrefix(std::string_view text);

// Value of a digit in the given base, or -1 when c is none.
int digitValue(char c, bool hex);

// v with one decimal, the half tenth going to the even neighbour: "53.2",
// "-4.0", "0.0" (never "-0.0"), the separator given.
std::string oneDecimal(double v, const std::string& decimalSeparator = ".");

} // namespace tintora
