#include "probe/readout_text.h"

#include "core/colour_text.h"
#include "probe/lut.h"

namespace tintora {

std::string fractionText(std::uint8_t level, const std::string& decimalSeparator)
{
    // x = level / 255. Below 0.1 (levels 0-25) two significant digits means
    // three decimals; from 0.1 on it means two, the third decimal being 0.
    // Integer arithmetic: thousandths = round_half_up(level * 1000 / 255).
    const unsigned v = level;
    unsigned thousandths;
    if (v * 10u < 255u) {
        thousandths = (v * 1000u * 2u + 255u) / (255u * 2u);
    } else {
        const unsigned hundredths = (v * 100u * 2u + 255u) / (255u * 2u);
        thousandths = hundredths * 10u;
    }
    const unsigned whole = thousandths / 1000u;
    const unsigned frac = thousandths % 1000u;
    std::string fracText = std::to_string(frac);
    fracText.insert(0, 3 - fracText.size(), '0');
    return std::to_string(whole) + decimalSeparator + fracText;
}

ReadoutTexts readoutTexts(const Sample& sample, ReadoutFormat format, const std::string& decimalSeparator)
{
    ReadoutTexts t;
    const std::optional<Rgb> lut = sample.lut();
    const std::optional<RawEntries> raw = sample.entries();
    for (int c = 0; c < 3; ++c) {
        t.bitmap[c] = kMissingLevelText;
        t.lut[c] = kMissingLevelText;
    }
    t.hash = lut ? "#" + hexColour(*lut) : kMissingHashText;
    if (!sample.bitmap) return t;

    const Rgb& bmp = *sample.bitmap;
    const std::uint8_t bmpLevels[3] = {bmp.R, bmp.G, bmp.B};
    for (int c = 0; c < 3; ++c) {
        switch (format) {
        case ReadoutFormat::Plain: t.bitmap[c] = decimalText(bmpLevels[c]); break;
        case ReadoutFormat::Hexadecimal: t.bitmap[c] = hex2(bmpLevels[c]); break;
        case ReadoutFormat::Fraction: t.bitmap[c] = fractionText(bmpLevels[c], decimalSeparator); break;
        }
    }
    if (!lut) return t;

    const std::uint8_t lutLevels[3] = {lut->R, lut->G, lut->B};
    const std::uint16_t entries[3] = {raw->R, raw->G, raw->B};
    for (int c = 0; c < 3; ++c) {
        switch (format) {
        case ReadoutFormat::Plain: t.lut[c] = decimalText(lutLevels[c]) + " (" + decimalText(entries[c]) + ")"; break;
        case ReadoutFormat::Hexadecimal: t.lut[c] = hex2(lutLevels[c]) + " (" + hex4(entries[c]) + ")"; break;
        case ReadoutFormat::Fraction:
            t.lut[c] = fractionText(lutLevels[c], decimalSeparator) + " (" + decimalText(entries[c]) + ")";
            break;
        }
    }
    return t;
}

} // namespace tintora
