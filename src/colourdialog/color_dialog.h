#pragma once

#include <QToolButton>

#include "colourdialog/palettes.h"
#include "platform/platform.h"

// The additional colours kept for the run of the program (never saved):
// every closing of the colour dialog leaves the additional palette here.
extern tintora::ColourStrings SessionAddColors;

// One opening of the colour selection dialog: the window is created for
// Execute and destroyed before it returns.
class TsColorDialog {
public:
    // owner: the window whose monitor the dialog is centred on (may be none).
    TsColorDialog(tintora::Platform& platform, QWidget* owner);

    tintora::ColourValue Color = 0;    // in; after OK, the chosen colour
    tintora::ColourStrings CustomColors; // additional colours in and out

    // Runs the dialog modally; true when it was closed by OK.
    bool Execute();

private:
    tintora::Platform& m_platform;
    QWidget* m_owner;
};

// The colour-select button (sColorSelect1): holds a colour and the user's
// additional colours, and opens the dialog on them when clicked. Its glyph
// is a square of ImgWidth x ImgHeight in the colour. The main window keeps
// it hidden and clicks it itself.
class TsColorSelect : public QToolButton {
    Q_OBJECT
public:
    static constexpr int ImgWidth = 15;
    static constexpr int ImgHeight = 15;

    TsColorSelect(QWidget* parent, tintora::Platform& platform);

    tintora::ColourValue ColorValue() const { return m_colorValue; }
    void setColorValue(tintora::ColourValue colour);
    // Empty until the first OK; taken back from the dialog on every OK.
    tintora::ColourStrings CustomColors;

    // Opens the dialog on ColorValue and CustomColors and returns when it has
    // closed; on OK both take the dialog's results and OnChange is raised.
    // Then the button's clicked is raised.
    void Click();

signals:
    void OnChange();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    tintora::Platform& m_platform;
    tintora::ColourValue m_colorValue = 0;
};
