#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tintora {

// Text with leading and trailing characters of code 32 or below removed.
std::string_view trimControl(std::string_view s);

// A position value: a signed decimal number, or hexadecimal after "$", "x",
// "X", "0x" or "0X", within the signed 32-bit range; otherwise the digits
// before the first character that does not fit, without the sign, 0 if none.
std::int32_t positionNumber(std::string_view s);

// Which position option an argument is: "-X" for the left edge, any word
// starting with "-Y" for the top, in either case and with blanks around;
// the argument after it is its value.
enum class PositionOption { None, Left, Top };
PositionOption positionOption(std::string_view arg);

// Where the command line puts the main window: nothing means centre it.
struct StartPosition {
    std::int32_t left = 0;
    std::int32_t top = 0;
    friend bool operator==(const StartPosition&, const StartPosition&) = default;
};

// Reads "-X n" and "-Y n" (program path excluded from args). Any argument at
// all, option or not, means the window is placed rather than centred.
std::optional<StartPosition> parseStartPosition(const std::vector<std::string>& args);

} // namespace tintora
