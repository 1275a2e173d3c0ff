#include "colourdialog/color_dialog.h"

#include <QMouseEvent>
#include <QPainter>

#include "colourdialog/color_dialog_form.h"

using namespace tintora;

ColourStrings SessionAddColors = initialAdditionalColours();

TsColorDialog::TsColorDialog(Platform& platform, QWidget* owner) : m_platform(platform), m_owner(owner) {}

bool TsColorDialog::Execute()
{
    TsColorDialogForm form(m_platform, m_owner);
    form.InitControls(Color, &CustomColors, &SessionAddColors);
    const bool ok = form.exec() == QDialog::Accepted;
    // The keyboard goes back to the window the dialog was opened from, with
    // or without a window manager to see to it.
    if (m_owner) m_owner->activateWindow();
    CustomColors = form.AddPal->Items();
    if (ok) Color = form.model.sColor & 0xFFFFFFu;
    return ok;
}

TsColorSelect::TsColorSelect(QWidget* parent, Platform& platform) : QToolButton(parent), m_platform(platform)
{
    setIconSize(QSize(ImgWidth, ImgHeight));
    setColorValue(0);
}

void TsColorSelect::setColorValue(ColourValue colour)
{
    m_colorValue = colour & 0xFFFFFFu;
    QPixmap glyph(ImgWidth, ImgHeight);
    glyph.fill(QColor(m_colorValue & 0xFF, (m_colorValue >> 8) & 0xFF, (m_colorValue >> 16) & 0xFF));
    setIcon(glyph);
}

void TsColorSelect::Click()
{
    bool ok = false;
    {
        TsColorDialog dialog(m_platform, window());
        dialog.Color = m_colorValue;
        dialog.CustomColors = CustomColors;
        ok = dialog.Execute();
        if (ok) {
            setColorValue(dialog.Color);
            CustomColors = dialog.CustomColors;
        }
    }
    if (ok) emit OnChange();
    emit clicked();
}

void TsColorSelect::mouseReleaseEvent(QMouseEvent* event)
{
    // A click by the user goes the same way as Click().
    if (event->button() == Qt::LeftButton && isDown() && hitButton(event->position().toPoint())) {
        setDown(false);
        event->accept();
        Click();
        return;
    }
    QToolButton::mouseReleaseEvent(event);
}
