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
#include "probe/readout_text.h"

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

// decimalText(c), from probe/readout_text.h, gives the decimal field's text:
// the colour value without leading zeros (red in the lowest byte), pure red
// "255", pure blue "16711680".

// ---- Images ---------------------------------------------------------------

// The field image (CreateExtBmp) of width x height: pixel (x, y) is
// hsbToRgb(360 x / width, 1 - y / height, 1 - y / (3 height)), not rounded
// before the conversion. Pure hues on top, greyed and darkened towards the
// bottom.
ScreenImage fieldImage(int width, int height);

// The colour of each row of a scale height rows high that passes through
// base (UpdateGradient): from just short of white down to base at row n - 1,
// then down to black at the last row, where m = (R + G + B) / 3 (integer),
// k = round(m 255 / height) + trunc((height - 255) / 2), n = height - k.
// One running real value per channel, lowered by (255 - ch) / n before each
// of the rows 0..n-1 and by ch / k before each later row; each row gets the
// rounded value kept within 0..255. Colour values, row 0 first.
std::vector<ColourValue> scaleRows(ColourValue base, int height);

// The scale image (UpdateGradient): width x height, every pixel of a row in
// that row's colour from scaleRows.
ScreenImage scaleImage(ColourValue base, int width, int height);

// GradToColor: the colour of scale row coord, with each channel below 4 made
// 0 and each above 251 made 255 (so the top row is exactly white). A coord
// below 0 gives white; height or more gives the last row, not snapped.
ColourValue scaleColourAt(ColourValue base, int height, int coord);

// GetColorCoord: the first row, from the top, of the scale image whose red,
// green and blue each differ from c's by less than 4; 0 when none does (or
// the image is empty).
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
// this; every call comes while ColourModel::Updating is set, so the fields'
// change handlers must do nothing then.
class ColourReadouts {
public:
    virtual ~ColourReadouts() = default;
    virtual void setHue(double value) = 0;        // sHEdit
    virtual void setSaturation(double value) = 0; // sSEdit, percent (not rounded)
    virtual void setBrightness(double value) = 0; // sVEdit, percent (not rounded)
    virtual void setRed(int value) = 0;           // sREdit
    virtual void setGreen(int value) = 0;         // sGEdit
    virtual void setBlue(int value) = 0;          // sBEdit
    virtual void setDecimalText(const std::string& text) = 0; // sEditDecimal, "16711680"
    virtual void setHexText(const std::string& text) = 0;     // sEditHex, "RRGGBB"
    // SetSelectedColor: sColor has just become colour; repaint the
    // new-colour swatch at once.
    virtual void selectedColorChanged(ColourValue colour) = 0;
    // Drop a palette selection that no longer matches sColor.
    virtual void ExitPanels() = 0;
};

// While a colour typed into one input path is being applied, that path's
// fields are left as they are.
struct EditGuards {
    bool Hex = false;
    bool Decimal = false;
    bool Hsb = false; // the H, S and B fields
    bool Rgb = false; // the R, G and B fields
};

// The state of one open colour dialog and the operations on it. The dialog
// owns one, hands it its readouts, sets Visible when shown, and calls
// SetCurrentColor for every colour that comes from outside the field and the
// scale. The field and scale widgets drive the mouse handlers.
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

    ColourValue sColor = 0;     // the current colour: the new-colour swatch, what OK returns
    int CurHue = 0;             // 0..359
    double CurSat = 0.0;        // 0..1
    double CurBri = 0.0;        // 0..1
    ColourValue ScaleBase = 0;  // fully bright colour of CurHue and CurSat
    int MarkerRow = -1;         // scale row of the marker, -1 until first placed
    Point CursorPoint;          // centre of the cursor circle on the field
    bool Updating = false;      // set while SetCurrentColor / SetInternalColor run
    bool FromScale = false;     // set while a colour is taken from the scale
    bool FieldDrag = false;     // a button went down on the field
    bool ScaleDrag = false;     // a button went down on the scale
    EditGuards EditGuard;
    bool Visible = false;       // the dialog is shown: SetMarker re-places the marker
    ScreenImage ExtBmp;         // field image
    ScreenImage GradBmp;        // scale image
    Point OldXY;                // last field point handled while dragging
    int OldY = 0;               // last scale row handled while dragging

    // What the dialog does when it is shown: Visible := true (for the rest of
    // the model's life), build the field and scale images, SetCurrentColor(colour).
    void Show(ColourValue colour);

    // Makes colour (top byte dropped) current and updates every readout that
    // no EditGuard holds, the cursor point (unless FromScale), the scale and
    // the marker. CheckAlpha has no effect: the dialog works without alpha.
    void SetCurrentColor(ColourValue colour, bool CheckAlpha = false);
    // Makes the colour chosen on the field current: hue and saturation from
    // the field, the brightness of the marker's row on the new scale.
    void SetInternalColor(int hue, double saturation);
    // sColor := colour, and the swatch repainted.
    void SetSelectedColor(ColourValue colour);
    // Re-places the marker for sColor (when Visible) and calls ExitPanels.
    void SetMarker();
    void CreateExtBmp();   // ExtBmp := the field image
    void UpdateGradient(); // GradBmp := the scale image of ScaleBase
    ColourValue GradToColor(int Coord) const; // from ScaleBase
    int GetColorCoord(ColourValue aColor) const; // in GradBmp

    // Mouse handling, in surface coordinates. Each returns whether it changed
    // the current colour. A press counts as handled for its point, so a move
    // that stays there does nothing; field points off the field are taken at
    // its nearest edge, where confining the pointer would hold it.
    bool ColorPanelMouseDown(int x, int y); // FieldDrag; hue rounded
    bool ColorPanelMouseMove(int x, int y); // while FieldDrag; hue truncated
    void ColorPanelMouseUp();               // clears FieldDrag
    bool GradPanelMouseDown(int y);         // ScaleDrag; colour of row y
    bool GradPanelMouseMove(int y);         // while ScaleDrag; above: white, below: darkest row
    void GradPanelMouseUp();                // clears ScaleDrag

    // Set by the field and scale widgets to repaint themselves; empty by
    // default.
    std::function<void()> onScaleChanged;  // GradBmp rebuilt
    std::function<void()> onMarkerChanged; // MarkerRow may have moved
    std::function<void()> onCursorChanged; // CursorPoint, FieldDrag or ExtBmp changed

private:
    ColourReadouts& m_readouts;
};

} // namespace tintora
