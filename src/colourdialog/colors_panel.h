#pragma once

#include <QWidget>

#include "colourdialog/palettes.h"

// A palette (MainPal, AddPal): cells of colours laid out row by row, one of
// which may be selected. A press takes the focus and selects the cell under
// it, or none beside all cells; a change of the selection raises change.
class TsColorsPanel : public QWidget {
    Q_OBJECT
public:
    TsColorsPanel(QWidget* parent, tintora::PaletteLayout layout);

    const tintora::PaletteLayout Layout;

    // The colour strings; the list is padded with "FFFFFF" to the cells.
    const tintora::ColourStrings& Items() const { return m_items; }
    void setItems(tintora::ColourStrings items);

    // The selected cell, -1 for none.
    int ItemIndex() const { return m_itemIndex; }
    // Selects index (-1: none); raises change when it differs.
    void setItemIndex(int index);

    // Colour of cell index.
    tintora::ColourValue colourAt(int index) const;

signals:
    void change();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    tintora::ColourStrings m_items;
    int m_itemIndex = -1;
};
