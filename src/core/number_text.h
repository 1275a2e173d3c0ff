#pragma once

#include <cstddef>
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

} // namespace tintora
