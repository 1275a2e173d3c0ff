#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/screen.h"

// The arithmetic of the colour dialog's text fields: what typed text means
// and what the fields show.

namespace tintora {

// The hexadecimal field: six positions, each a letter or a digit once
// filled; an unfilled one shows as HexBlank.
inline constexpr int HexFieldPositions = 6;
inline constexpr char HexBlank = '_';

// Characters as typing delivers them, control keys included.
namespace typed {
inline constexpr char32_t CtrlC = 0x03;
inline constexpr char32_t CtrlV = 0x16;
inline constexpr char32_t Backspace = 0x08;
inline constexpr char32_t Enter = 0x0D;
inline constexpr char32_t Escape = 0x1B;
} // namespace typed

// Whether a character typed into the hexadecimal field reaches it: the
// digits, A-F and a-f, Enter, Esc, Ctrl+C, Ctrl+V and Backspace.
bool hexFieldLetsThrough(char32_t c);

// Whether a character may stand in a position of the hexadecimal field
// (what a paste may bring): an ASCII letter or digit.
bool hexFieldHolds(char32_t c);

// The colour the hexadecimal field's text gives. Unfilled positions (HexBlank
// or space) separate; the first run of characters, upper-cased and without
// one trailing "H", is read as a hexadecimal number red first. Any other
// letter in it, or no characters at all, give black; "FF" alone is blue.
ColourValue hexFieldColour(std::string_view text);

// Whether every one of the six positions is filled.
bool hexFieldComplete(std::string_view text);

// A typed number: optional spaces, an optional sign, digits with an optional
// fraction after "." or ",", optional spaces. Nothing for anything else.
std::optional<double> parseNumber(std::string_view text);

// The value of a numeric field's typed text: the number clamped to min..max;
// text that is not a number counts as 0 (clamped as well).
double typedValue(std::string_view text, double min, double max);

// A field's value clamped to min..max; not-a-number counts as 0.
double clampedValue(double value, double min, double max);

// The whole number a numeric field shows for its value: rounded, halves to
// the even neighbour. The value must lie within the int range.
int shownInteger(double value);

// The decimal field's colour: the typed number truncated toward zero, its
// lowest 24 bits (counted in two's complement for negative numbers) taken as
// a colour value, red in the low byte. Text that is not a number gives 0.
// Numbers of any length are safe.
ColourValue decimalFieldColour(std::string_view text);

// The decimal field's text for a colour: its value without leading zeros
// (top byte ignored): pure red "255", pure blue "16711680".
std::string decimalFieldText(ColourValue colour);

// The hexadecimal field's text for a colour: six upper-case digits, red
// first ("FF8000").
std::string hexFieldText(ColourValue colour);

} // namespace tintora
