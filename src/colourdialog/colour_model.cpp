#include "colourdialog/colour_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/colour_text.h"
#include "core/rgb.h"
#include "core/rounding.h"

namespace tintora {

namespace {

constexpr ColourValue White = 0x00FFFFFFu;

int redOf(ColourValue c) { return static_cast<int>(c & 0xFFu); }
int greenOf(ColourValue c) { return static_cast<int>((c >> 8) & 0xFFu); }
int blueOf(ColourValue c) { return static_cast<int>((c >> 16) & 0xFFu); }

ColourValue colourOf(int r, int g, int b)
{
    return static_cast<ColourValue>(r) | (static_cast<ColourValue>(g) << 8) | (static_cast<ColourValue>(b) << 16);
}

// A colour value as an image pixel, 0x00RRGGBB.
std::uint32_t pixelOf(ColourValue c)
{
    return (static_cast<std::uint32_t>(redOf(c)) << 16) | (static_cast<std::uint32_t>(greenOf(c)) << 8) |
           static_cast<std::uint32_t>(blueOf(c));
}

// An image pixel, 0x00RRGGBB, as a colour value.
ColourValue colourOfPixel(std::uint32_t p)
{
    return colourOf(static_cast<int>((p >> 16) & 0xFFu), static_cast<int>((p >> 8) & 0xFFu),
                    static_cast<int>(p & 0xFFu));
}

double clamp255(double v) { return v < 0.0 ? 0.0 : (v > 255.0 ? 255.0 : v); }

// v rounded and kept within 0..255; NaN gives 0.
int level(double v)
{
    const double r = roundHalfEven(v);
    if (!(r >= 0.0)) return 0;
    return r > 255.0 ? 255 : static_cast<int>(r);
}

// Rows of the scale through base, written to out (one colour value a row).
template <typename Out>
void forEachScaleRow(ColourValue base, int height, Out out)
{
    const double ch[3] = {static_cast<double>(redOf(base)), static_cast<double>(greenOf(base)),
                          static_cast<double>(blueOf(base))};
    const int m = (redOf(base) + greenOf(base) + blueOf(base)) / 3;
    // C++ integer division truncates toward zero, as the offset wants.
    const int k = static_cast<int>(roundHalfEven(m * 255.0 / height)) + (height - 255) / 2;
    const int n = height - k;
    double run[3] = {255.0, 255.0, 255.0};
    double toBase[3];
    double toBlack[3];
    for (int c = 0; c < 3; ++c) {
        toBase[c] = n == 0 ? 0.0 : (255.0 - ch[c]) / n;
        toBlack[c] = k == 0 ? 0.0 : ch[c] / k;
    }
    for (int y = 0; y < height; ++y) {
        int v[3];
        for (int c = 0; c < 3; ++c) {
            if (y < n) {
                run[c] -= toBase[c];
            } else {
                run[c] -= toBlack[c];
                if (run[c] < 0.0) run[c] = 0.0;
            }
            v[c] = level(run[c]);
        }
        if (!out(y, colourOf(v[0], v[1], v[2]))) return;
    }
}

int snapLevel(int v) { return v < 4 ? 0 : (v > 251 ? 255 : v); }

} // namespace

Hsb rgbToHsb(ColourValue c)
{
    const int r = redOf(c);
    const int g = greenOf(c);
    const int b = blueOf(c);
    const int mx = std::max({r, g, b});
    const int mn = std::min({r, g, b});
    const int d = mx - mn;
    Hsb out;
    out.saturation = mx == 0 ? 0.0 : static_cast<double>(d) / mx;
    out.brightness = mx / 255.0;
    if (d == 0) return out;
    // base + 60 x diff / d, in whole numbers over d: exact, so truncating the
    // quotient of a positive numerator is exact too.
    int numerator;
    if (r == mx)
        numerator = 60 * (g - b);
    else if (g == mx)
        numerator = 120 * d + 60 * (b - r);
    else
        numerator = 240 * d + 60 * (r - g);
    if (numerator < 0) numerator += 360 * d;
    out.hue = numerator / d;
    return out;
}

ColourValue hsbToRgb(double hue, double saturation, double brightness)
{
    if (saturation == 0.0) {
        const int grey = level(brightness * 255.0);
        return colourOf(grey, grey, grey);
    }
    const double h = hue == 360.0 ? 0.0 : hue / 60.0;
    const double i = std::trunc(h);
    const double f = h - i;
    const double v = brightness * 255.0;
    const double p = clamp255(v * (1.0 - saturation));
    const double q = clamp255(v * (1.0 - saturation * f));
    const double t = clamp255(v * (1.0 - saturation * (1.0 - f)));
    // Sectors 0-4 by name; every other integer part (5, 6 and up, negative,
    // NaN) takes the last sector.
    const int sector = (i >= 0.0 && i <= 4.0) ? static_cast<int>(i) : 5;
    double rgb[3];
    switch (sector) {
    case 0: rgb[0] = v; rgb[1] = t; rgb[2] = p; break;
    case 1: rgb[0] = q; rgb[1] = v; rgb[2] = p; break;
    case 2: rgb[0] = p; rgb[1] = v; rgb[2] = t; break;
    case 3: rgb[0] = p; rgb[1] = q; rgb[2] = v; break;
    case 4: rgb[0] = t; rgb[1] = p; rgb[2] = v; break;
    default: rgb[0] = v; rgb[1] = p; rgb[2] = q; break;
    }
    return colourOf(level(rgb[0]), level(rgb[1]), level(rgb[2]));
}

std::string hexText(ColourValue c) { return hexColour(rgbFromColourValue(c)); }

ScreenImage makeFieldImage(int width, int height)
{
    ScreenImage img;
    if (width <= 0 || height <= 0) return img;
    img.width = width;
    img.height = height;
    img.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const double saturation = 1.0 - static_cast<double>(y) / height;
        const double brightness = 1.0 - static_cast<double>(y) / (3.0 * height);
        for (int x = 0; x < width; ++x)
            img.pixels[static_cast<std::size_t>(y) * width + x] =
                pixelOf(hsbToRgb(360.0 * x / width, saturation, brightness));
    }
    return img;
}

std::vector<ColourValue> scaleRows(ColourValue base, int height)
{
    std::vector<ColourValue> rows;
    if (height <= 0) return rows;
    rows.reserve(static_cast<std::size_t>(height));
    forEachScaleRow(base, height, [&](int, ColourValue c) {
        rows.push_back(c);
        return true;
    });
    return rows;
}

namespace {

// Fills image (width x height, reallocated only when the size changes) with
// the scale through base.
void fillScale(ColourValue base, int width, int height, ScreenImage& image)
{
    if (width <= 0 || height <= 0) {
        image = {};
        return;
    }
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    forEachScaleRow(base, height, [&](int y, ColourValue c) {
        const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width;
        std::fill(row, row + width, pixelOf(c));
        return true;
    });
}

} // namespace

ScreenImage makeScaleImage(ColourValue base, int width, int height)
{
    ScreenImage img;
    fillScale(base, width, height, img);
    return img;
}

ColourValue scaleColourAt(ColourValue base, int height, int row)
{
    if (row < 0 || height <= 0) return White;
    const bool pastEnd = row >= height;
    const int last = pastEnd ? height - 1 : row;
    ColourValue c = 0;
    forEachScaleRow(base, height, [&](int y, ColourValue row) {
        c = row;
        return y < last;
    });
    if (pastEnd) return c;
    return colourOf(snapLevel(redOf(c)), snapLevel(greenOf(c)), snapLevel(blueOf(c)));
}

int scaleRowOf(const ScreenImage& scale, ColourValue c)
{
    if (scale.width <= 0 || scale.height <= 0 ||
        scale.pixels.size() < static_cast<std::size_t>(scale.width) * static_cast<std::size_t>(scale.height))
        return 0;
    for (int y = 0; y < scale.height; ++y) {
        const ColourValue row = colourOfPixel(scale.pixels[static_cast<std::size_t>(y) * scale.width]);
        if (std::abs(redOf(row) - redOf(c)) < 4 && std::abs(greenOf(row) - greenOf(c)) < 4 &&
            std::abs(blueOf(row) - blueOf(c)) < 4)
            return y;
    }
    return 0;
}

Point cursorPointFor(int hue, double saturation, int width, int height)
{
    return {width * hue / 360, static_cast<int>(roundHalfEven((1.0 - saturation) * height))};
}

std::array<MarkerSpan, 13> markerSpans(int markerRow)
{
    std::array<MarkerSpan, 13> spans{};
    for (int d = -6; d <= 6; ++d) spans[static_cast<std::size_t>(d + 6)] = {markerRow + d, 1 + std::abs(d), 7};
    return spans;
}

ScaleReadout scaleReadout(int markerRow, double saturation, int height)
{
    const int half = height / 2;
    if (markerRow < half) return {true, (markerRow + 1) * saturation * 100.0 * 2.0 / height};
    // A scale under 2 rows has no halves: its one row is full brightness.
    if (half == 0) return {false, markerRow == 0 ? 100.0 : 0.0};
    return {false, (1.0 - std::abs(half - markerRow) / static_cast<double>(half)) * 100.0};
}

// ---- ColourModel ----------------------------------------------------------

namespace {

// Sets a flag for the life of a scope and puts back what it was.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_was; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

void call(const std::function<void()>& f)
{
    if (f) f();
}

} // namespace

ColourModel::ColourModel(ColourReadouts& readouts, int fieldWidth_, int fieldHeight_, int scaleWidth_,
                         int scaleHeight_)
    : fieldWidth(fieldWidth_), fieldHeight(fieldHeight_), scaleWidth(scaleWidth_), scaleHeight(scaleHeight_),
      m_readouts(readouts)
{
}

void ColourModel::open(ColourValue colour)
{
    dialogShown = true;
    rebuildFieldImage();
    setCurrentColour(colour);
}

void ColourModel::takeColour(ColourValue colour)
{
    currentColour = colour;
    m_readouts.currentColourChanged(colour);
}

void ColourModel::setCurrentColour(ColourValue colour)
{
    FlagScope writing(updating);
    colour &= White;
    takeColour(colour);

    if (!takingFromScale) {
        const Hsb hsb = rgbToHsb(colour);
        currentHue = hsb.hue;
        currentSaturation = hsb.saturation;
        currentBrightness = hsb.brightness;
        scaleBase = hsbToRgb(currentHue, currentSaturation, 1.0);
    }

    if (!editGuards.hsb) {
        m_readouts.setHue(currentHue);
        if (!takingFromScale) {
            m_readouts.setSaturation(currentSaturation * 100.0);
            m_readouts.setBrightness(currentBrightness * 100.0);
        } else {
            const ScaleReadout r = scaleReadout(markerRow, currentSaturation, scaleHeight);
            if (r.setsSaturation)
                m_readouts.setSaturation(r.value);
            else
                m_readouts.setBrightness(r.value);
        }
    }
    if (!editGuards.rgb) {
        m_readouts.setRed(redOf(currentColour));
        m_readouts.setGreen(greenOf(currentColour));
        m_readouts.setBlue(blueOf(currentColour));
    }
    if (!editGuards.decimal) m_readouts.setDecimalText(decimalText(colour));
    if (!editGuards.hex) m_readouts.setHexText(hexText(colour));

    if (!takingFromScale) {
        cursorPoint = cursorPointFor(currentHue, currentSaturation, fieldWidth, fieldHeight);
        call(onCursorChanged);
    }
    placeMarker();
}

void ColourModel::setFieldColour(int hue, double saturation)
{
    FlagScope writing(updating);
    currentHue = hue;
    currentSaturation = saturation;
    scaleBase = hsbToRgb(hue, saturation, 1.0);

    m_readouts.setHue(hue);
    m_readouts.setSaturation(saturation * 100.0);
    const ScaleReadout r = scaleReadout(markerRow, saturation, scaleHeight);
    m_readouts.setBrightness(r.setsSaturation ? 100.0 : r.value);

    rebuildScaleImage();
    const ColourValue colour = colourAtScaleRow(markerRow);
    m_readouts.setRed(redOf(colour));
    m_readouts.setGreen(greenOf(colour));
    m_readouts.setBlue(blueOf(colour));
    m_readouts.setDecimalText(decimalText(colour));
    m_readouts.setHexText(hexText(colour));
    takeColour(colour);

    cursorPoint = cursorPointFor(hue, saturation, fieldWidth, fieldHeight);
    call(onCursorChanged);
    m_readouts.clearStalePaletteSelection();
}

void ColourModel::placeMarker()
{
    if (dialogShown) {
        rebuildScaleImage();
        markerRow = scaleRowShowing(currentColour);
    }
    call(onMarkerChanged);
    m_readouts.clearStalePaletteSelection();
}

void ColourModel::rebuildFieldImage()
{
    fieldImage = makeFieldImage(fieldWidth, fieldHeight);
    call(onCursorChanged);
}

void ColourModel::rebuildScaleImage()
{
    fillScale(scaleBase, scaleWidth, scaleHeight, scaleImage);
    call(onScaleChanged);
}

ColourValue ColourModel::colourAtScaleRow(int row) const { return scaleColourAt(scaleBase, scaleHeight, row); }

int ColourModel::scaleRowShowing(ColourValue colour) const { return scaleRowOf(scaleImage, colour); }

namespace {

// A field point kept on the field, where confining the pointer keeps it.
Point onField(int x, int y, int width, int height)
{
    return {std::clamp(x, 0, std::max(width - 1, 0)), std::clamp(y, 0, std::max(height - 1, 0))};
}

} // namespace

bool ColourModel::fieldPressed(int x, int y)
{
    if (fieldWidth <= 0 || fieldHeight <= 0) return false;
    const Point p = onField(x, y, fieldWidth, fieldHeight);
    fieldDragging = true;
    // The pressed point is handled here; a move that stays on it is not.
    lastFieldPoint = p;
    const double saturation = 1.0 - static_cast<double>(p.y) / fieldHeight;
    // 360 x (W - 1) / W stays below 359.5 for fields up to 720 wide; a wider
    // field would round its last column up to 360, which is hue 0.
    const int hue = static_cast<int>(roundHalfEven(360.0 * p.x / fieldWidth)) % 360;
    setFieldColour(hue, saturation);
    return true;
}

bool ColourModel::fieldDragged(int x, int y)
{
    if (!fieldDragging || fieldWidth <= 0 || fieldHeight <= 0) return false;
    const Point p = onField(x, y, fieldWidth, fieldHeight);
    if (p == lastFieldPoint) return false;
    lastFieldPoint = p;
    const int hue = 360 * p.x / fieldWidth;
    const double saturation = 1.0 - static_cast<double>(p.y) / fieldHeight;
    setFieldColour(hue, saturation);
    return true;
}

void ColourModel::fieldReleased()
{
    fieldDragging = false;
    call(onCursorChanged);
}

bool ColourModel::scalePressed(int row)
{
    scaleDragging = true;
    // The pressed row is handled here; a move that stays on it is not.
    lastScaleRow = row;
    markerRow = row;
    {
        FlagScope fromScale(takingFromScale);
        setCurrentColour(colourAtScaleRow(row));
    }
    call(onMarkerChanged);
    return true;
}

bool ColourModel::scaleDragged(int row)
{
    if (!scaleDragging || row == lastScaleRow) return false;
    markerRow = std::clamp(row, 0, scaleHeight);
    call(onMarkerChanged);
    {
        FlagScope fromScale(takingFromScale);
        setCurrentColour(colourAtScaleRow(row));
    }
    lastScaleRow = row;
    return true;
}

void ColourModel::scaleReleased()
{
    scaleDragging = false;
    call(onMarkerChanged);
}

} // namespace tintora
