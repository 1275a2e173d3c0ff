#pragma once

#include <QToolButton>
#include <utility>

#include "colourdialog/palettes.h"
#include "platform/platform.h"

// A button that holds a colour, the user's custom colours and the custom
// colours kept for the run, and opens the colour dialog on them when clicked. Its glyph is a square of
// GlyphWidth x GlyphHeight in the colour. The main window keeps one hidden
// and opens the dialog through it.
class ColourSelectButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int GlyphWidth = 15;
    static constexpr int GlyphHeight = 15;

    explicit ColourSelectButton(tintora::Platform& platform, QWidget* parent = nullptr);

    tintora::ColourValue colour() const { return m_colour; }
    void setColour(tintora::ColourValue colour);
    // Empty until the first OK; taken back from the dialog on every OK.
    const tintora::ColourStrings& customColours() const { return m_customColours; }
    // The custom colours kept for the run (never saved): 18 empty cells at
    // first, then what every closing of the dialog leaves, OK or not. The
    // dialog shows them while customColours() is empty.
    const tintora::ColourStrings& sessionColours() const { return m_sessionColours; }
    void setSessionColours(tintora::ColourStrings colours) { m_sessionColours = std::move(colours); }

    // Opens the dialog on colour() and customColours() and returns when it
    // has closed; on OK both take the dialog's results and colourChosen is
    // raised. Then the button's clicked is raised.
    void chooseColour();

signals:
    void colourChosen();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    tintora::Platform& m_platform;
    tintora::ColourValue m_colour = 0;
    tintora::ColourStrings m_customColours;
    tintora::ColourStrings m_sessionColours = tintora::initialCustomColours();
};
