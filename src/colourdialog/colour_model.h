#pragma once

// The colour model of the colour dialog: the conversions between red-green-blue
// and hue-saturation-brightness, the hue-saturation field and the brightness
// scale as images, and the one operation that brings every readout of the
// dialog in line with a new colour. Standard library only.
//
// Colours are colour values (red in bits 0-7, green 8-15, blue 16-23, top byte
// 0). Images are tintora::ScreenImage, each pixel 0x00RRGGBB.
// "Rounded" below means to the nearest whole number, an exact half going to
// the even neighbour; "truncated" means toward zero.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/screen.h"
#include "core/colour_text.h"

namespace tintora {

// Sizes of the two picking surfaces in the dialog.
constexpr int FieldWidth = 255;
constexpr int FieldHeight = 255;
constexpr int ScaleWidth = 20;
constexpr int ScaleHeight = 255;

// ---- Conversions ----------------------------------------------------------

struct Hsb {
    int hue = 0;             // degrees 0..359, truncated
    double saturation = 0.0; // 0..1
    double brightness = 0.0; // 0..1
};

// Hue, saturation and brightness of c (top byte ignored). Saturation is
// (max - min) / max (0 for black), brightness max / 255. The hue is 0 for a
// grey; otherwise 60 (G - B) / d when red is the largest channel (red wins
// every tie), 120 + 60 (B - R) / d when green is, else 240 + 60 (R - G) / d,
// plus 360 when negative, truncated. Computed exactly: a hue that is a whole
// number in exact arithmetic comes out as that number ((181, 181, 75): 60).
Hsb rgbToHsb(ColourValue c);

// The colour of a hue (degrees; 360 counts as 0), a saturation and a
// brightness (0..1). A saturation of 0 gives the grey brightness x 255
// rounded; otherwise the usual six sectors with p, q and t clamped to 0..255
// and every channel rounded (and kept within 0..255).
ColourValue hsbToRgb(double hue, double saturation, double brightness);

// c as six upper-case hexadecimal digits, red first: "FF8000".
std::string hexText(ColourValue c);

// decimalText(c) gives the decimal field's text:
// the colour value without leading zeros (red in the lowest byte), pure red
// "255", pure blue "16711680".

// ---- Images ---------------------------------------------------------------

// The field image, width x height: pixel (x, y) is
// hsbToRgb(360 x / width, 1 - y / height, 1 - y / (3 height)), not rounded
// before the conversion. Pure hues on top, greyed and darkened towards the
// bottom.
ScreenImage makeFieldImage(int width, int height);

// The colour of each row of a scale height rows high that passes through
// base: from just short of white down to base at row n - 1, then down to
// black at the last row, where m = (R + G + B) / 3 (integer),
// k = round(m 255 / height) + trunc((height - 255) / 2), n = height - k.
// One running real value per channel, lowered by (255 - ch) / n before each
// of the rows 0..n-1 and by ch / k before each later row; each row gets the
// rounded value kept within 0..255. Colour values, row 0 first.
std::vector<ColourValue> scaleRows(ColourValue base, int height);

// The scale image: width x height, every pixel of a row in that row's colour
// from scaleRows.
ScreenImage makeScaleImage(ColourValue base, int width, int height);

// The colour a press on scale row `row` picks: that row's colour with each
// channel below 4 made 0 and each above 251 made 255 (so the top row is
// exactly white). A row above the scale gives white; a row below it gives
// the last row, not snapped.
ColourValue scaleColourAt(ColourValue base, int height, int row);

// The first row, from the top, of the scale image whose red, green and blue
// each differ from c's by less than 4; 0 when none does (or the image is
// empty).
int scaleRowOf(const ScreenImage& scale, ColourValue c);

// ---- Cursor and marker ----------------------------------------------------

// Where the field's cursor circle sits for a hue and a saturation:
// (width x hue / 360 in integer arithmetic, (1 - saturation) x height rounded).
Point cursorPointFor(int hue, double saturation, int width, int height);

// The box of the cursor circle around p: corners (p.x - 5, p.y - 5) and
// (p.x + 5, p.y + 5), right and bottom exclusive.
constexpr Rect cursorBox(Point p) { return {p.x - 5, p.y - 5, 10, 10}; }

// One row of the marker triangle: the pixels first..last (inclusive) of
// row, both relative to the scale's right edge (one past its last column) and
// to the scale's top row.
struct MarkerSpan {
    int row = 0;
    int first = 0;
    int last = 0;
};

// The black marker triangle pointing left at the scale for markerRow: rows
// markerRow + d, d from -6 to 6, each from 1 + |d| to 7.
std::array<MarkerSpan, 13> markerSpans(int markerRow);

// The saturation and brightness readouts a scale row gives (while the colour
// is taken from the scale): with half = height / 2 truncated, a row above
// half gives the saturation readout (row + 1) x saturation x 100 x 2 / height
// and leaves brightness; any other row gives the brightness readout
// (1 - |half - row| / half) x 100 and leaves saturation.
struct ScaleReadout {
    bool setsSaturation = false; // else it sets the brightness
    double value = 0.0;
};
ScaleReadout scaleReadout(int markerRow, double saturation, int height);

// ---- The dialog's state ---------------------------------------------------

// The readouts of the dialog that the model writes. The dialog implements
// this; every call comes while ColourModel::updating is set, so the fields'
// change handlers must do nothing then.
class ColourReadouts {
public:
    virtual ~ColourReadouts() = default;
    virtual void setHue(double value) = 0;        // degrees
    virtual void setSaturation(double value) = 0; // percent, not rounded
    virtual void setBrightness(double value) = 0; // percent, not rounded
    virtual void setRed(int value) = 0;
    virtual void setGreen(int value) = 0;
    virtual void setBlue(int value) = 0;
    virtual void setDecimalText(const std::string& text) = 0; // "16711680"
    virtual void setHexText(const std::string& text) = 0;     // "RRGGBB"
    // The current colour has just become colour: the new-colour swatch
    // shows it at once.
    virtual void currentColourChanged(ColourValue colour) = 0;
    // A palette cell that is selected but no longer holds the current colour
    // loses its selection.
    virtual void clearStalePaletteSelection() = 0;
};

// While a colour typed into one input path is being applied, that path's
// fields are left as they are.
struct EditGuards {
    bool hex = false;
    bool decimal = false;
    bool hsb = false; // the H, S and B fields
    bool rgb = false; // the R, G and B fields
};

// The state of one open colour dialog and the operations on it. The dialog
// owns one, hands it its readouts, calls open() when it is shown, and calls
// setCurrentColour for every colour that comes from outside the field and the
// scale. The field and scale widgets drive the press and drag handlers.
class ColourModel {
public:
    explicit ColourModel(ColourReadouts& readouts, int fieldWidth = FieldWidth, int fieldHeight = FieldHeight,
                         int scaleWidth = ScaleWidth, int scaleHeight = ScaleHeight);
    ColourModel(const ColourModel&) = delete;
    ColourModel& operator=(const ColourModel&) = delete;

    const int fieldWidth;
    const int fieldHeight;
    const int scaleWidth;
    const int scaleHeight;

    ColourValue currentColour = 0;   // the new-colour swatch, what OK returns
    int currentHue = 0;              // 0..359
    double currentSaturation = 0.0;  // 0..1
    double currentBrightness = 0.0;  // 0..1
    ColourValue scaleBase = 0;       // fully bright colour of the hue and saturation
    int markerRow = -1;              // scale row of the marker, -1 until first placed
    Point cursorPoint;               // centre of the cursor circle on the field
    bool updating = false;           // set while the model writes the readouts
    bool takingFromScale = false;    // set while a colour is taken from the scale
    bool fieldDragging = false;      // a button went down on the field
    bool scaleDragging = false;      // a button went down on the scale
    EditGuards editGuards;
    bool dialogShown = false;        // from open() on, every colour re-places the marker
    ScreenImage fieldImage;
    ScreenImage scaleImage;
    Point lastFieldPoint;            // last field point handled while dragging
    int lastScaleRow = 0;            // last scale row handled while dragging

    // What the dialog does when it is shown: marks it shown for the rest of
    // the model's life, builds the field and scale images and makes colour
    // current.
    void open(ColourValue colour);

    // Makes colour (top byte dropped) current and updates every readout that
    // no edit guard holds, the cursor point (unless taking from the scale),
    // the scale and the marker.
    void setCurrentColour(ColourValue colour);
    // Makes the colour chosen on the field current: hue and saturation from
    // the field, the brightness of the marker's row on the new scale.
    void setFieldColour(int hue, double saturation);
    // Re-places the marker for the current colour (once the dialog is shown)
    // and drops a palette selection that no longer matches.
    void placeMarker();
    void rebuildFieldImage();
    void rebuildScaleImage(); // from scaleBase
    // The colour a press on scale row `row` picks, on the current scale.
    ColourValue colourAtScaleRow(int row) const;
    // The first row of the current scale image that shows colour.
    int scaleRowShowing(ColourValue colour) const;

    // Mouse handling, in surface coordinates. Each returns whether it changed
    // the current colour. A press counts as handled for its point, so a move
    // that stays there does nothing; field points off the field are taken at
    // its nearest edge, where confining the pointer would hold it.
    bool fieldPressed(int x, int y); // starts a field drag; hue rounded
    bool fieldDragged(int x, int y); // during a field drag; hue truncated
    void fieldReleased();
    bool scalePressed(int row);      // starts a scale drag; colour of the row
    bool scaleDragged(int row);      // during a scale drag; above: white, below: darkest row
    void scaleReleased();

    // Set by the field and scale widgets to repaint themselves; empty by
    // default.
    std::function<void()> onScaleChanged;  // scaleImage rebuilt
    std::function<void()> onMarkerChanged; // markerRow may have moved
    std::function<void()> onCursorChanged; // cursorPoint, fieldDragging or fieldImage changed

private:
    // currentColour becomes colour and the swatch shows it.
    void takeColour(ColourValue colour);

    ColourReadouts& m_readouts;
};

} // namespace tintora
