#include "colourdialog/colour_model.h"

#include <algorithm>

#include "colourdialog/colour_entry.h"
#include "colourdialog/hsb.h"
#include "core/rgb.h"
#include "core/rounding.h"

namespace tintora {

namespace {

// Gives a variable a value for the life of a scope and puts back what it was.
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& variable, T value) : m_variable(variable), m_was(variable) { m_variable = value; }
    ~ScopedValue() { m_variable = m_was; }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& m_variable;
    T m_was;
};

void call(const std::function<void()>& f)
{
    if (f) f();
}

// A field point kept on the field, where confining the pointer keeps it.
Point onField(int x, int y, int width, int height)
{
    return {std::clamp(x, 0, std::max(width - 1, 0)), std::clamp(y, 0, std::max(height - 1, 0))};
}

} // namespace

ColourModel::ColourModel(ColourReadouts& readouts, int fieldWidth, int fieldHeight, int scaleWidth, int scaleHeight)
    : m_readouts(readouts), m_fieldWidth(fieldWidth), m_fieldHeight(fieldHeight), m_scaleWidth(scaleWidth),
      m_scaleHeight(scaleHeight)
{
}

void ColourModel::presetColour(ColourValue colour) { m_currentColour = colour; }

void ColourModel::open(ColourValue colour)
{
    m_dialogShown = true;
    rebuildFieldImage();
    setCurrentColour(colour);
}

void ColourModel::takeColour(ColourValue colour)
{
    m_currentColour = colour;
    m_readouts.currentColourChanged(colour);
}

void ColourModel::setCurrentColour(ColourValue colour)
{
    const ScopedValue writing(m_updating, true);
    colour = withoutTopByte(colour);
    takeColour(colour);

    if (!m_takingFromScale) {
        const Hsb hsb = rgbToHsb(colour);
        m_currentHue = hsb.hue;
        m_currentSaturation = hsb.saturation;
        m_currentBrightness = hsb.brightness;
        m_scaleBase = hsbToRgb(m_currentHue, m_currentSaturation, 1.0);
    }

    if (writes(TypedField::Hsb)) {
        m_readouts.setHue(m_currentHue);
        if (!m_takingFromScale) {
            m_readouts.setSaturation(m_currentSaturation * 100.0);
            m_readouts.setBrightness(m_currentBrightness * 100.0);
        } else {
            const ScaleReadout r = scaleReadout(m_markerRow, m_currentSaturation, m_scaleHeight);
            if (r.setsSaturation)
                m_readouts.setSaturation(r.value);
            else
                m_readouts.setBrightness(r.value);
        }
    }
    if (writes(TypedField::Rgb)) {
        const Rgb levels = rgbFromColourValue(colour);
        m_readouts.setRed(levels.R);
        m_readouts.setGreen(levels.G);
        m_readouts.setBlue(levels.B);
    }
    if (writes(TypedField::Decimal)) m_readouts.setDecimalText(decimalFieldText(colour));
    if (writes(TypedField::Hex)) m_readouts.setHexText(hexFieldText(colour));

    if (!m_takingFromScale) {
        m_cursorPoint = cursorPointFor(m_currentHue, m_currentSaturation, m_fieldWidth, m_fieldHeight);
        call(onCursorChanged);
    }
    placeMarker();
}

bool ColourModel::takeTypedColour(ColourValue colour, TypedField from)
{
    if (m_updating) return false; // a field answering the model's own write
    const ScopedValue typing(m_typedInto, std::optional<TypedField>(from));
    setCurrentColour(colour);
    return true;
}

void ColourModel::setFieldColour(int hue, double saturation)
{
    const ScopedValue writing(m_updating, true);
    m_currentHue = hue;
    m_currentSaturation = saturation;
    m_scaleBase = hsbToRgb(hue, saturation, 1.0);

    m_readouts.setHue(hue);
    m_readouts.setSaturation(saturation * 100.0);
    const ScaleReadout r = scaleReadout(m_markerRow, saturation, m_scaleHeight);
    m_readouts.setBrightness(r.setsSaturation ? 100.0 : r.value);

    rebuildScaleImage();
    const ColourValue colour = colourAtScaleRow(m_markerRow);
    const Rgb levels = rgbFromColourValue(colour);
    m_readouts.setRed(levels.R);
    m_readouts.setGreen(levels.G);
    m_readouts.setBlue(levels.B);
    m_readouts.setDecimalText(decimalFieldText(colour));
    m_readouts.setHexText(hexFieldText(colour));
    takeColour(colour);

    m_cursorPoint = cursorPointFor(hue, saturation, m_fieldWidth, m_fieldHeight);
    call(onCursorChanged);
    m_readouts.clearStalePaletteSelection();
}

void ColourModel::placeMarker()
{
    if (m_dialogShown) {
        rebuildScaleImage();
        m_markerRow = scaleRowOf(m_scaleImage, m_currentColour);
    }
    call(onMarkerChanged);
    m_readouts.clearStalePaletteSelection();
}

void ColourModel::rebuildFieldImage()
{
    m_fieldImage = makeFieldImage(m_fieldWidth, m_fieldHeight);
    call(onCursorChanged);
}

void ColourModel::rebuildScaleImage()
{
    fillScaleImage(m_scaleBase, m_scaleWidth, m_scaleHeight, m_scaleImage);
    call(onScaleChanged);
}

ColourValue ColourModel::colourAtScaleRow(int row) const { return scaleColourAt(m_scaleBase, m_scaleHeight, row); }

bool ColourModel::fieldPressed(int x, int y)
{
    if (m_fieldWidth <= 0 || m_fieldHeight <= 0) return false;
    const Point p = onField(x, y, m_fieldWidth, m_fieldHeight);
    m_fieldDragging = true;
    // The pressed point is handled here; a move that stays on it is not.
    m_lastFieldPoint = p;
    const double saturation = 1.0 - static_cast<double>(p.y) / m_fieldHeight;
    // 360 x (W - 1) / W stays below 359.5 for fields up to 720 wide; a wider
    // field would round its last column up to 360, which is hue 0.
    const int hue = static_cast<int>(roundHalfEven(360.0 * p.x / m_fieldWidth)) % 360;
    setFieldColour(hue, saturation);
    return true;
}

bool ColourModel::fieldDragged(int x, int y)
{
    if (!m_fieldDragging || m_fieldWidth <= 0 || m_fieldHeight <= 0) return false;
    const Point p = onField(x, y, m_fieldWidth, m_fieldHeight);
    if (p == m_lastFieldPoint) return false;
    m_lastFieldPoint = p;
    const int hue = 360 * p.x / m_fieldWidth;
    const double saturation = 1.0 - static_cast<double>(p.y) / m_fieldHeight;
    setFieldColour(hue, saturation);
    return true;
}

void ColourModel::fieldReleased()
{
    m_fieldDragging = false;
    call(onCursorChanged);
}

void ColourModel::takeScaleRow(int row)
{
    const ScopedValue fromScale(m_takingFromScale, true);
    setCurrentColour(colourAtScaleRow(row));
}

bool ColourModel::scalePressed(int row)
{
    m_scaleDragging = true;
    // The pressed row is handled here; a move that stays on it is not.
    m_lastScaleRow = row;
    m_markerRow = row;
    takeScaleRow(row);
    call(onMarkerChanged);
    return true;
}

bool ColourModel::scaleDragged(int row)
{
    if (!m_scaleDragging || row == m_lastScaleRow) return false;
    m_markerRow = std::clamp(row, 0, m_scaleHeight);
    call(onMarkerChanged);
    takeScaleRow(row);
    m_lastScaleRow = row;
    return true;
}

void ColourModel::scaleReleased()
{
    m_scaleDragging = false;
    call(onMarkerChanged);
}

} // namespace tintora
