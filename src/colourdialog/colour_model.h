#pragma once

// The state of one open colour dialog: the current colour with its hue,
// saturation and brightness, the field and scale images with the cursor and
// the marker on them, the drags under way, and the one operation that brings
// every readout of the dialog in line with a new colour. Standard library
// only; the arithmetic is in hsb.h and picker_images.h.
//
// Colours are colour values (red in bits 0-7, green 8-15, blue 16-23, top byte
// 0).

#include <functional>
#include <optional>
#include <string>

#include "colourdialog/picker_images.h"
#include "core/geometry.h"
#include "platform/screen.h"

namespace tintora {

// The readouts of the dialog that the model writes. The dialog implements
// this; every call comes while ColourModel::updating() is true, and a typed
// colour handed back to the model then (a field's change handler answering
// the model's own write) is ignored.
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

// The input paths a colour can be typed into.
enum class TypedField {
    Hex,
    Decimal,
    Hsb, // the H, S and B fields
    Rgb, // the R, G and B fields
};

// The dialog owns one, hands it its readouts, calls presetColour before it is
// shown and open() when it is, hands it every colour typed into its fields
// (takeTypedColour) and calls setCurrentColour for every other colour that
// comes from outside the field and the scale. The field and scale widgets
// drive the press and drag handlers.
class ColourModel {
public:
    explicit ColourModel(ColourReadouts& readouts, int fieldWidth = FieldWidth, int fieldHeight = FieldHeight,
                         int scaleWidth = ScaleWidth, int scaleHeight = ScaleHeight);
    ColourModel(const ColourModel&) = delete;
    ColourModel& operator=(const ColourModel&) = delete;

    int fieldWidth() const { return m_fieldWidth; }
    int fieldHeight() const { return m_fieldHeight; }
    int scaleWidth() const { return m_scaleWidth; }
    int scaleHeight() const { return m_scaleHeight; }

    ColourValue currentColour() const { return m_currentColour; } // the new-colour swatch, what OK returns
    int currentHue() const { return m_currentHue; }                  // 0..359
    double currentSaturation() const { return m_currentSaturation; } // 0..1
    double currentBrightness() const { return m_currentBrightness; } // 0..1
    ColourValue scaleBase() const { return m_scaleBase; } // fully bright colour of the hue and saturation
    int markerRow() const { return m_markerRow; }          // scale row of the marker, -1 until first placed
    Point cursorPoint() const { return m_cursorPoint; }    // centre of the cursor circle on the field
    const ScreenImage& fieldImage() const { return m_fieldImage; }
    const ScreenImage& scaleImage() const { return m_scaleImage; }
    bool fieldDragging() const { return m_fieldDragging; } // a button went down on the field
    bool scaleDragging() const { return m_scaleDragging; } // a button went down on the scale
    bool updating() const { return m_updating; }           // the model is writing the readouts
    bool takingFromScale() const { return m_takingFromScale; } // a colour is being taken from the scale

    // Before the dialog is shown: colour is current; nothing is written, the
    // opening shows it.
    void presetColour(ColourValue colour);

    // What the dialog does when it is shown: marks it shown for the rest of
    // the model's life, builds the field and scale images and makes colour
    // current.
    void open(ColourValue colour);

    // Makes colour (top byte dropped) current and updates every readout, the
    // cursor point (unless taking from the scale), the scale and the marker.
    void setCurrentColour(ColourValue colour);

    // A colour typed into one of the input paths: made current like any
    // other, while that path's own fields are left as typed. Ignored, and
    // false, while the model writes the readouts itself.
    bool takeTypedColour(ColourValue colour, TypedField from);

    // The colour a press on scale row `row` picks, on the current scale.
    ColourValue colourAtScaleRow(int row) const;

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
    // Makes the colour chosen on the field current: hue and saturation from
    // the field, the brightness of the marker's row on the new scale.
    void setFieldColour(int hue, double saturation);
    // Makes the colour of scale row `row` current; hue, saturation and the
    // cursor stay.
    void takeScaleRow(int row);
    // Re-places the marker for the current colour (once the dialog is shown)
    // and drops a palette selection that no longer matches.
    void placeMarker();
    void rebuildFieldImage();
    void rebuildScaleImage(); // from scaleBase
    // Whether a readout of that path is written: not while a colour typed
    // there is being applied.
    bool writes(TypedField path) const { return m_typedInto != path; }

    ColourReadouts& m_readouts;
    const int m_fieldWidth;
    const int m_fieldHeight;
    const int m_scaleWidth;
    const int m_scaleHeight;

    ColourValue m_currentColour = 0;
    int m_currentHue = 0;
    double m_currentSaturation = 0.0;
    double m_currentBrightness = 0.0;
    ColourValue m_scaleBase = 0;
    int m_markerRow = -1;
    Point m_cursorPoint;
    ScreenImage m_fieldImage;
    ScreenImage m_scaleImage;
    bool m_updating = false;
    bool m_takingFromScale = false;
    std::optional<TypedField> m_typedInto; // the path whose typed colour is being applied
    bool m_fieldDragging = false;
    bool m_scaleDragging = false;
    bool m_dialogShown = false;  // from open() on, every colour re-places the marker
    Point m_lastFieldPoint;      // last field point handled while dragging
    int m_lastScaleRow = 0;      // last scale row handled while dragging
};

} // namespace tintora
