// The colour dialog's palettes show the dotted focus rectangle around the
// selected cell whenever they have the focus, whether a click or the
// keyboard gave it to them.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "colourdialog/palette_grid.h"

using namespace tintora;

namespace {

// A palette beside a text field, in a window of their own.
struct PaletteBeside {
    PaletteBeside()
    {
        field->move(0, 0);
        grid->move(0, 30);
        grid->resize(MainPaletteLayout.columns * 40, MainPaletteLayout.rows * 30);
        grid->setColours(mainPaletteColours());
        window.show();
        window.activateWindow();
    }
    QWidget window;
    QLineEdit* field = new QLineEdit(&window);
    PaletteGrid* grid = new PaletteGrid(&window, MainPaletteLayout);

    // The outline 4 pixels outside a cell: the corner pixel, which the dotted
    // line covers, and its neighbour, which it leaves out.
    QColor corner(int cell) const
    {
        const Rect r = grid->cellLayout.cellRect(cell);
        return grid->grab().toImage().pixelColor(r.x - 4, r.y - 4);
    }
    QColor besideCorner(int cell) const
    {
        const Rect r = grid->cellLayout.cellRect(cell);
        return grid->grab().toImage().pixelColor(r.x - 3, r.y - 4);
    }
};

} // namespace

TEST(PaletteFocus, dottedRectangleWhileThePaletteHasTheFocus)
{
    const struct {
        const char* how;
        std::function<void(PaletteBeside&)> focus;
    } cases[] = {
        {"a click on the cell",
         [](PaletteBeside& p) {
             const Rect r = p.grid->cellLayout.cellRect(9);
             QTest::mouseClick(p.grid, Qt::LeftButton, {}, QPoint(r.x + r.width / 2, r.y + r.height / 2));
         }},
        {"Tab from the field",
         [](PaletteBeside& p) {
             p.grid->setSelectedIndex(9);
             QTest::keyClick(p.field, Qt::Key_Tab);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        PaletteBeside p;
        ASSERT_TRUE(QTest::qWaitForWindowActive(&p.window));
        p.field->setFocus();
        c.focus(p);
        ASSERT_TRUE(p.grid->hasFocus());
        ASSERT_EQ(p.grid->selectedIndex(), 9);
        const QColor dot = p.grid->palette().color(QPalette::WindowText);
        EXPECT_EQ(p.corner(9), dot);
        EXPECT_NE(p.besideCorner(9), dot);

        p.field->setFocus();
        EXPECT_NE(p.corner(9), dot) << "focus rectangle without the focus";
    }
}
