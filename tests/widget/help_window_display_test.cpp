// How the help window shows: its page from a program folder of any name, the
// page's look as its style sheet asks, the window brought back from the
// task bar, and the floating buttons drawn as glyphs alone.

#include <gtest/gtest.h>

#include <QDir>
#include <QMessageBox>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTextBlock>
#include <QWindow>

#include "help/floating_buttons.h"
#include "help_window_fixture.h"
#include "modal_answer.h"

using namespace tintora;

namespace {


// The first block whose text is text.
QTextBlock blockOf(const QTextDocument* document, const QString& text)
{
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next())
        if (b.text().trimmed() == text) return b;
    return {};
}

// The pixel size of the block's first letter as laid out.
int pixelSizeOf(const QTextBlock& block)
{
    return QFontInfo(block.begin().fragment().charFormat().font()).pixelSize();
}

// The option a scroll bar paints itself with, as far as its parts' places go.
QStyleOptionSlider optionOf(const QScrollBar* bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    return option;
}

} // namespace

// "#" would start a fragment and "?" a query, "%" an escape: the program's
// own address is recognised before any of that.
TEST(HelpWindowPage, shownFromAProgramFolderOfAnyName)
{
    const char* folders[] = {
        "build #2", "what?", "100%", "%41%2F", "with spaces", "Программы", "Цвет #1 ?x=1 %25 & более",
    };
    for (const char* name : folders) {
        SCOPED_TRACE(name);
        WithHelp w;
        const QString folder = QString::fromStdString(w.programDir.file(name));
        ASSERT_TRUE(QDir().mkpath(folder));
        const std::string executable = folder.toStdString() + "/tintora";
        HelpWindow help(w.fake.platform, *w.form, executable);
        MessageBoxSeen box;
        auto guard = ModalAnswer::none(acceptMessageBox(box));
        help.showHelp();
        help.goHome();
        QCoreApplication::processEvents();
        EXPECT_TRUE(help.ui().browser->hasDocument());
        EXPECT_TRUE(help.ui().browser->toPlainText().startsWith(QStringLiteral("Tintora 1.2")));
        EXPECT_EQ(help.ui().browser->source().path(QUrl::FullyDecoded).toStdString(), executable + "/HELP");
        EXPECT_EQ(box.text, "");
        EXPECT_TRUE(w.fake.shell.opened.empty());
    }
}

// The style sheet's sizes in percent as a browser reads them (body 70 % of
// 16 px, the heading 150 % of the body), its margin of 8 px the only one,
// its scroll bars in the page's colour.
TEST(HelpWindowPage, lookAsTheStyleSheetAsks)
{
    WithHelp w;
    w.form->showHelpFromButton();
    HelpBrowser* view = w.help->ui().browser;
    const QTextDocument* page = view->document();

    const QTextBlock heading = blockOf(page, QStringLiteral("Tintora 1.2"));
    const QTextBlock hotKeys = blockOf(page, QStringLiteral("Горячие клавиши"));
    ASSERT_TRUE(heading.isValid() && hotKeys.isValid());
    EXPECT_EQ(pixelSizeOf(hotKeys), 11);
    EXPECT_EQ(pixelSizeOf(heading), 17);

    // The heading's first letter stands at the body's margin.
    const QRect start = view->cursorRect(QTextCursor(heading));
    EXPECT_EQ(start.left(), 8);
    EXPECT_EQ(start.top(), 8);

    // At the least size the page scrolls; the bar's track and face are the
    // page's pale yellow, its edges and arrows grey.
    w.help->resize(520, 306);
    QScrollBar* bar = view->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    const QImage image = bar->grab().toImage();
    const QColor pale(0xFF, 0xFF, 0xDD), grey(0x80, 0x80, 0x80);
    const QStyleOptionSlider option = optionOf(bar);
    const QRect up = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSubLine, bar);
    const QRect down = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, bar);
    const QRect face = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    ASSERT_FALSE(up.isEmpty() || down.isEmpty() || face.isEmpty());
    EXPECT_EQ(image.pixelColor(face.center()), pale) << "face";
    EXPECT_EQ(image.pixelColor(face.center().x(), (face.bottom() + down.top()) / 2), pale) << "track";
    EXPECT_EQ(image.pixelColor(up.center()), grey) << "arrow";
    EXPECT_EQ(image.pixelColor(down.center()), grey) << "arrow";
    EXPECT_EQ(image.pixelColor(up.center().x(), up.top() + 2), pale) << "button";
    EXPECT_EQ(image.pixelColor(face.right(), face.center().y()), grey) << "the face's shadow";
}

// The least size is that of the whole window, frame and title bar included.
TEST(HelpWindow, leastSizeIsOfTheWholeWindow)
{
    WithHelp w;
    w.form->showHelpFromButton();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.help));
    const QMargins frame = w.help->windowHandle()->frameMargins();
    ASSERT_FALSE(frame.isNull()) << "the test needs a platform that draws frames";
    w.help->resize(100, 100);
    EXPECT_EQ(w.help->frameGeometry().size(), QSize(520, 306));
}

// F1 and the "F1" button show the window: a minimised one comes back as it
// was before (a maximised one maximised), with its floating buttons.
TEST(HelpWindow, minimisedComesBackWhenShown)
{
    const struct {
        const char* name;
        bool maximised;
        std::function<void(WithHelp&)> show;
    } cases[] = {
        {"F1", false, [](WithHelp& w) { QTest::keyClick(w.form, Qt::Key_F1); }},
        {"the F1 button", false, [](WithHelp& w) { w.form->showHelpFromButton(); }},
        {"F1, maximised", true, [](WithHelp& w) { QTest::keyClick(w.form, Qt::Key_F1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WithHelp w;
        w.form->showHelpFromButton();
        if (c.maximised) w.help->showMaximized();
        w.help->showMinimized();
        ASSERT_TRUE(w.help->isMinimized());
        w.form->focusMainWindow();
        c.show(w);
        EXPECT_TRUE(w.help->isVisible());
        EXPECT_FALSE(w.help->isMinimized());
        EXPECT_EQ(w.help->isMaximized(), c.maximised);
        for (FloatingButton* b : w.help->ui().floatingButtons->items()) EXPECT_TRUE(b->isVisible());
    }
}

// Only the glyph is painted: its half-transparent edge stays so, and held
// down the glyph itself is half transparent, the window not faded on top.
TEST(FloatingButtons, glyphAloneFadedOnceWhileHeld)
{
    WithHelp w;
    w.form->showHelpFromButton();
    FloatingButton* button = w.help->ui().floatingButtons->items()[1];
    const QImage glyphImage = webGlyph(0).toImage().convertToFormat(QImage::Format_ARGB32);
    // A pixel the glyph covers fully, and one of its soft edge.
    const QPoint inside(8, 8);
    ASSERT_EQ(qAlpha(glyphImage.pixel(inside)), 255);
    QPoint edge(-1, -1);
    for (int y = 0; y < glyphImage.height() && edge.x() < 0; ++y)
        for (int x = 0; x < glyphImage.width() && edge.x() < 0; ++x)
            if (qAlpha(glyphImage.pixel(x, y)) > 0 && qAlpha(glyphImage.pixel(x, y)) < 200) edge = {x, y};
    ASSERT_GE(edge.x(), 0);
    const QPoint offset(5, 5);

    auto paint = [&] {
        QImage image(button->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        // Only the mask's part is rendered, at the target offset.
        button->render(&image, button->mask().boundingRect().topLeft(), {}, QWidget::DrawChildren);
        return image;
    };
    QImage image = paint();
    EXPECT_EQ(image.pixel(offset + inside), glyphImage.pixel(inside));
    EXPECT_EQ(qAlpha(image.pixel(offset + edge)), qAlpha(glyphImage.pixel(edge))) << "a background under the glyph";

    QTest::mousePress(button, Qt::LeftButton, {}, offset + inside);
    ASSERT_TRUE(button->pressed());
    image = paint();
    EXPECT_NEAR(qAlpha(image.pixel(offset + inside)), 127, 1);
    EXPECT_NEAR(qAlpha(image.pixel(offset + edge)), qAlpha(glyphImage.pixel(edge)) * 127 / 255, 1);
    EXPECT_EQ(button->windowOpacity(), 1.0) << "faded twice";
    QTest::mouseRelease(button, Qt::LeftButton, {}, offset + inside);
    EXPECT_FALSE(button->pressed());
}
