#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "colourdialog/brightness_scale.h"
#include "colourdialog/colors_panel.h"
#include "colourdialog/colour_edits.h"
#include "colourdialog/colour_field.h"
#include "colourdialog/colour_model.h"
#include "colourdialog/palettes.h"
#include "colourdialog/track_edit.h"
#include "platform/platform.h"

// A swatch filled with one colour (the new and the old colour).
class TColourSwatch : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    tintora::ColourValue colour() const { return m_colour; }
    void setColour(tintora::ColourValue colour);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    tintora::ColourValue m_colour = 0;
};

// The colour selection window: palettes, the hue-saturation field with its
// brightness scale, the hexadecimal, decimal, H-S-B and R-G-B fields, the new
// and old colour, and the pipette. Created for one opening and destroyed
// after it (TsColorDialog).
class TsColorDialogForm : public QDialog, private tintora::ColourReadouts {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 584;
    static constexpr int ClientHeight = 388;

    // owner: the window whose monitor the dialog is centred on (may be none).
    TsColorDialogForm(tintora::Platform& platform, QWidget* owner);
    ~TsColorDialogForm() override;

    // Captions, the opening colour, the additional colours shown, and the
    // place on the screen. customColors is the caller's list, which the
    // closing fills when it is not empty; session always gets the colours.
    void InitControls(tintora::ColourValue color, tintora::ColourStrings* customColors,
                      tintora::ColourStrings* session);

    tintora::ColourModel model;
    tintora::ColourValue Color = 0; // the colour the dialog was opened with
    int NextAddSlot = 0;            // the additional cell the add button fills next

    TsColorsPanel* MainPal;
    QLabel* sLabel2;
    TsColorsPanel* AddPal;
    TDecimalEdit* sEditDecimal;
    QLabel* sEditDecimalLabel;
    THexEdit* sEditHex;
    QLabel* sEditHexLabel;
    QToolButton* sSpeedButton1;
    QPushButton* sBitBtn4;
    QPushButton* sBitBtn5;
    QPushButton* sBitBtn1;
    QPushButton* sBitBtn2;
    TColourField* ColorPanel;
    TBrightnessScale* GradPanel;
    QFrame* Panel1;
    TColourSwatch* SelectedPanel;
    TColourSwatch* OldPanel;
    QPushButton* sBitBtn3;
    TsTrackEdit* sHEdit;
    TsTrackEdit* sSEdit;
    TsTrackEdit* sVEdit;
    TsTrackEdit* sREdit;
    TsTrackEdit* sGEdit;
    TsTrackEdit* sBEdit;
    QLabel* sHEditLabel;
    QLabel* sSEditLabel;
    QLabel* sVEditLabel;
    QLabel* sREditLabel;
    QLabel* sGEditLabel;
    QLabel* sBEditLabel;
    QLabel* sHUnitLabel;
    QLabel* sSUnitLabel;
    QLabel* sVUnitLabel;

    // Handlers.
    void MainPalChange(TsColorsPanel* palette);
    void sEditHexChange();
    void sEditDecimalChange();
    void sREditChange();
    void sHEditChange();
    void sBitBtn1Click();
    void sBitBtn2Click();
    void sBitBtn3Click();
    void sSpeedButton1Click();

    // Applies a typed colour with that input path's fields left alone.
    void SetColorFromEdit(tintora::ColourValue colour, bool tintora::EditGuards::*guard);

    // Whether a numeric field's slider is open (no closing then).
    bool sliderOpen() const;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void FormClose();
    TsTrackEdit* numericField(int left, int top, double max, int captionLeft, QLabel*& label);
    QLabel* captionLeftOf(QWidget* field, int left);

    // ColourReadouts: what the colour model writes.
    void setHue(double value) override;
    void setSaturation(double value) override;
    void setBrightness(double value) override;
    void setRed(int value) override;
    void setGreen(int value) override;
    void setBlue(int value) override;
    void setDecimalText(const std::string& text) override;
    void setHexText(const std::string& text) override;
    void selectedColorChanged(tintora::ColourValue colour) override;
    void ExitPanels() override;

    tintora::Platform& m_platform;
    QWidget* m_owner;
    tintora::ColourStrings* m_customColors = nullptr;
    tintora::ColourStrings* m_session = nullptr;
    bool m_shown = false;
};
