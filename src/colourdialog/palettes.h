#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"
#include "platform/screen.h"

namespace tintora {

// A list of colour strings: six hexadecimal digits "RRGGBB", red first.
using ColourStrings = std::vector<std::string>;

// The string of an empty cell, and of every custom colour at start.
inline constexpr std::string_view EmptyCell = "FFFFFF";

// The colour of hexadecimal digits read as one number, red first (red in bits
// 16-23, blue in bits 0-7); bits above the lowest 24 are dropped. Black when
// there are no digits or any character is not a hexadecimal digit.
ColourValue colourOfHexDigits(std::string_view digits);

// The colour of a palette string: its first word (up to a space or a line
// break) read as a hexadecimal number, red first, keeping the lowest 24 bits.
// A word with anything but hexadecimal digits, or no word, is black.
ColourValue colourOfString(std::string_view text);

// Cells of a palette: columns x rows cells of cellWidth x cellHeight,
// CellMargin apart and from the control's edges, laid out row by row.
struct PaletteLayout {
    static constexpr int CellMargin = 6;
    int columns = 0;
    int rows = 0;
    int cellWidth = 0;
    int cellHeight = 0;

    constexpr int cellCount() const { return columns * rows; }
    // Rectangle of cell index (row = index / columns), in control pixels.
    Rect cellRect(int index) const;
    // The first cell, in list order, whose rectangle widened by the margin on
    // every side holds p; nothing beside all cells.
    std::optional<int> cellAt(Point p) const;
};

// The main palette: 8 x 6 cells of 24 x 17; the custom one: 6 x 3 of 34 x 28.
inline constexpr PaletteLayout MainPaletteLayout{8, 6, 24, 17};
inline constexpr PaletteLayout CustomPaletteLayout{6, 3, 34, 28};

// The 48 colours of the main palette, row by row.
const ColourStrings& mainPaletteColours();

// The custom colours kept for the run, at start: 18 empty cells.
ColourStrings initialCustomColours();

// Appends an empty cell for each cell the list is short of.
void padToCells(ColourStrings& list, int cells);

// What the custom palette shows when the dialog opens: the caller's list
// when it has one, the colours kept for the run otherwise; padded to the
// palette's cells.
ColourStrings customColoursAtOpening(const ColourStrings& custom, const ColourStrings& session);

// The add button. Writes text into the selected cell when there is one,
// otherwise into nextSlot, which then moves on by one unless it is at the
// last cell (further additions overwrite that cell). list must hold at least
// cells entries.
void addColour(ColourStrings& list, std::optional<int> selected, int& nextSlot, int cells, const std::string& text);

} // namespace tintora
