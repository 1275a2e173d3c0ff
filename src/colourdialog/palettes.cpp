#include "colourdialog/palettes.h"

#include <algorithm>
#include <cstdint>

#include "core/number_text.h"

namespace tintora {

ColourValue colourOfHexDigits(std::string_view digits)
{
    std::uint32_t n = 0;
    for (const char c : digits) {
        const int d = digitValue(c, true);
        if (d < 0) return 0;
        n = (n << 4) | static_cast<std::uint32_t>(d); // the oldest digits fall off the top
    }
    // Red first, as an image pixel; the digits above the lowest six dropped.
    return colourValueFromImagePixel(n);
}

ColourValue colourOfString(std::string_view text)
{
    constexpr std::string_view breaks = " \t\r\n";
    const std::size_t begin = text.find_first_not_of(breaks);
    if (begin == std::string_view::npos) return 0;
    const std::size_t end = text.find_first_of(breaks, begin);
    return colourOfHexDigits(text.substr(begin, end == std::string_view::npos ? end : end - begin));
}

Rect PaletteLayout::cellRect(int index) const
{
    const int row = index / columns;
    const int col = index % columns;
    return {CellMargin + (CellMargin + cellWidth) * col, CellMargin + (CellMargin + cellHeight) * row, cellWidth,
            cellHeight};
}

std::optional<int> PaletteLayout::cellAt(Point p) const
{
    for (int i = 0; i < cellCount(); ++i) {
        const Rect r = cellRect(i);
        const Rect widened{r.x - CellMargin, r.y - CellMargin, r.width + 2 * CellMargin, r.height + 2 * CellMargin};
        if (widened.contains(p)) return i;
    }
    return std::nullopt;
}

const ColourStrings& mainPaletteColours()
{
    static const ColourStrings colours{
        "8080FF", "80FFFF", "80FF80", "80FF00", "FFFF80", "FF8000", "C080FF", "FF80FF", //
        "0000FF", "00FFFF", "00FF80", "40FF00", "FFFF00", "C08000", "C08080", "FF00FF", //
        "404080", "4080FF", "00FF00", "808000", "804000", "FF8080", "400080", "8000FF", //
        "000080", "0080FF", "008000", "408000", "FF0000", "A00000", "800080", "FF0080", //
        "000040", "004080", "004000", "004040", "800000", "400000", "400040", "800040", //
        "000000", "008080", "408080", "808080", "808040", "C0C0C0", "400040", "FFFFFF", //
    };
    return colours;
}

ColourStrings initialCustomColours()
{
    return ColourStrings(static_cast<std::size_t>(CustomPaletteLayout.cellCount()), std::string(EmptyCell));
}

void padToCells(ColourStrings& list, int cells)
{
    while (list.size() < static_cast<std::size_t>(std::max(cells, 0))) list.emplace_back(EmptyCell);
}

ColourStrings customColoursAtOpening(const ColourStrings& custom, const ColourStrings& session)
{
    ColourStrings list = custom.empty() ? session : custom;
    padToCells(list, CustomPaletteLayout.cellCount());
    return list;
}

void addColour(ColourStrings& list, std::optional<int> selected, int& nextSlot, int cells, const std::string& text)
{
    const int last = std::min(cells, static_cast<int>(list.size())) - 1;
    if (last < 0) return;
    if (selected && *selected >= 0 && *selected <= last) {
        list[static_cast<std::size_t>(*selected)] = text;
        return;
    }
    nextSlot = std::clamp(nextSlot, 0, last);
    list[static_cast<std::size_t>(nextSlot)] = text;
    if (nextSlot < last) ++nextSlot;
}

} // namespace tintora
