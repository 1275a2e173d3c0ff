#pragma once

#include <QWidget>

class QPainter;

#include "colourdialog/palettes.h"

// A palette of the colour dialog (the main one and the custom one): cells of
// colours laid out row by row, one of which may be selected. A press takes
// the focus and selects the cell under it, or none beside all cells; a change
// of the selection raises selectionChanged.
class PaletteGrid : public QWidget {
    Q_OBJECT
public:
    PaletteGrid(QWidget* parent, tintora::PaletteLayout layout);

    const tintora::PaletteLayout cellLayout;

    // The colour strings; the list is padded with "FFFFFF" to the cells.
    const tintora::ColourStrings& colours() const { return m_colours; }
    void setColours(tintora::ColourStrings colours);

    // The selected cell, -1 for none.
    int selectedIndex() const { return m_selectedIndex; }
    // Selects index (-1: none); raises selectionChanged when it differs.
    void setSelectedIndex(int index);

    // Colour of cell index.
    tintora::ColourValue colourAt(int index) const;

signals:
    void selectionChanged();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void drawFocusRect(QPainter& p, const QRect& outline) const;

    tintora::ColourStrings m_colours;
    int m_selectedIndex = -1;
};
