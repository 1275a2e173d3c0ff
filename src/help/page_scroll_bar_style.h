#pragma once

#include <QColor>
#include <QProxyStyle>

// The help page's scroll bars as its style sheet colours them: track, face
// and light edges in the page's colour, shadows and arrows grey. The rest of
// the look and every size come from the program's style.
class PageScrollBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    static inline const QColor Face{0xFF, 0xFF, 0xDD};
    static inline const QColor Shade{0x80, 0x80, 0x80};

    PageScrollBarStyle();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
};
