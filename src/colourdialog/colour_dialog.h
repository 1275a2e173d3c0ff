#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "colourdialog/brightness_scale.h"
#include "colourdialog/colour_field.h"
#include "colourdialog/colour_model.h"
#include "colourdialog/colour_swatch.h"
#include "colourdialog/decimal_edit.h"
#include "colourdialog/hex_edit.h"
#include "colourdialog/palette_grid.h"
#include "colourdialog/palettes.h"
#include "colourdialog/track_edit.h"
#include "platform/platform.h"

// The colour dialog: the main and the custom palette, the hue-saturation
// field with its brightness scale, the hexadecimal, decimal, H-S-B and R-G-B
// fields, the new and the old colour, and the pipette. Created for one
// opening and destroyed after it (see ColourChooser).
class ColourDialog : public QDialog, private tintora::ColourReadouts {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 584;
    static constexpr int ClientHeight = 388;

    // owner: the window whose monitor the dialog is centred on (may be none).
    ColourDialog(tintora::Platform& platform, QWidget* owner);
    ~ColourDialog() override;

    // The opening colour, the custom colours shown, and the place on the
    // screen. customColours is the caller's list, which the closing fills
    // when it is not empty; session always gets the colours.
    void prepare(tintora::ColourValue colour, tintora::ColourStrings* customColours,
                 tintora::ColourStrings* session);

    const tintora::ColourModel& model() const { return m_model; }
    // What the custom palette shows.
    const tintora::ColourStrings& customColours() const { return m_ui.customPalette->colours(); }
    // The custom cell the add button fills next.
    int nextCustomSlot() const { return m_nextCustomSlot; }

    // Whether a numeric field's slider is open (no closing then).
    bool anySliderOpen() const;

    // The dialog's controls, for tests to look at and drive.
    struct Ui {
        PaletteGrid* mainPalette = nullptr;
        QLabel* customPaletteLabel = nullptr;
        PaletteGrid* customPalette = nullptr;
        DecimalEdit* decimalField = nullptr;
        QLabel* decimalLabel = nullptr;
        HexEdit* hexField = nullptr;
        QLabel* hexLabel = nullptr;
        QToolButton* pipetteButton = nullptr;
        QPushButton* defineColoursButton = nullptr; // always disabled: the dialog opens in full
        QPushButton* helpButton = nullptr;          // always hidden: the dialog has no help
        QPushButton* okButton = nullptr;
        QPushButton* cancelButton = nullptr;
        ColourField* colourField = nullptr;
        BrightnessScale* brightnessScale = nullptr;
        QFrame* swatchFrame = nullptr;
        ColourSwatch* newColourSwatch = nullptr;
        ColourSwatch* oldColourSwatch = nullptr;
        QPushButton* addButton = nullptr;
        TrackEdit* hueField = nullptr;
        TrackEdit* saturationField = nullptr;
        TrackEdit* brightnessField = nullptr;
        TrackEdit* redField = nullptr;
        TrackEdit* greenField = nullptr;
        TrackEdit* blueField = nullptr;
        QLabel* hueLabel = nullptr;
        QLabel* saturationLabel = nullptr;
        QLabel* brightnessLabel = nullptr;
        QLabel* redLabel = nullptr;
        QLabel* greenLabel = nullptr;
        QLabel* blueLabel = nullptr;
        QLabel* hueUnitLabel = nullptr;
        QLabel* saturationUnitLabel = nullptr;
        QLabel* brightnessUnitLabel = nullptr;
    };
    const Ui& ui() const { return m_ui; }

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Makes the colour of the palette's selected cell current.
    void takePaletteColour(PaletteGrid* palette);
    // A colour typed into one of the fields.
    void applyHexField();
    void applyDecimalField();
    void applyRgbFields();
    void applyHsbFields();
    // Writes the current colour into the custom palette.
    void addToCustomColours();
    // Opens the pipette over the dialog's monitor and takes what it picks.
    void pickWithPipette();

    void createPalettes();
    void createTextFields();
    void createButtons();
    void createSurfaces();
    void createNumericFields();
    void setCaptions();
    void arrangeTabOrder();
    void connectSignals();
    TrackEdit* createNumericField(int left, int top, double max, int captionLeft, QLabel*& label);
    QLabel* captionLeftOf(QWidget* field, int left);
    QLabel* unitLabel(const QString& text, int left, int top);
    void centreOnOwnersMonitor();
    tintora::Rect monitorOfDialog() const;
    // Applies a typed colour with that input path's fields left alone.
    void applyTypedColour(tintora::ColourValue colour, tintora::TypedField from);
    void storeCustomColours();

    // ColourReadouts: what the colour model writes.
    void setHue(double value) override;
    void setSaturation(double value) override;
    void setBrightness(double value) override;
    void setRed(int value) override;
    void setGreen(int value) override;
    void setBlue(int value) override;
    void setDecimalText(const std::string& text) override;
    void setHexText(const std::string& text) override;
    void currentColourChanged(tintora::ColourValue colour) override;
    void clearStalePaletteSelection() override;

    tintora::Platform& m_platform;
    QWidget* m_owner;
    tintora::ColourModel m_model;
    Ui m_ui;
    tintora::ColourValue m_openingColour = 0;
    int m_nextCustomSlot = 0;
    tintora::ColourStrings* m_customColours = nullptr;
    tintora::ColourStrings* m_session = nullptr;
    bool m_shown = false;
};
