#include <gtest/gtest.h>

#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

#include "main_window_fixture.h"
#include "settings/ini_file.h"

using namespace tintora;

namespace {

void writeText(const std::string& path, const std::string& text)
{
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

std::string readText(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

// A program whose settings file holds text before it starts.
struct Started : MainWindowFixture {
    explicit Started(const std::string& ini, std::vector<std::string> args = {}, std::string separator = ".")
        : MainWindowFixture(std::move(args), std::move(separator))
    {
        form->probeTimer->stop();
        if (!ini.empty()) writeText(settingsPath(), ini);
        form->showMainWindow();
    }
};

} // namespace

TEST(loadSettings, noFileGivesTheDefaultsAndTheFirstCloseWritesThem)
{
    Started p("");
    EXPECT_EQ(p.form->pinButton->image(), ButtonImage::PinOff);
    EXPECT_FALSE(p.state.hexadecimal || p.state.fractions || p.state.slowPointer);
    EXPECT_FALSE(p.magnifier->isVisible());
    EXPECT_EQ(p.state.zoom, 2.0);
    EXPECT_TRUE(p.magnifier->zoomItems[2]->isChecked());
    p.form->close();
    const IniDocument ini = IniDocument::parse(readText(p.settingsPath()));
    const std::pair<const char*, const char*> general[] = {{"onTop", "0"}, {"HexMode", "0"}, {"DecMode", "0"}};
    const std::pair<const char*, const char*> magnifier[] = {{"ShowMag", "0"}, {"Zoom", "2"}, {"SlowMouse", "0"}};
    for (const auto& [k, v] : general) EXPECT_EQ(ini.value("GENERAL", k), v) << k;
    for (const auto& [k, v] : magnifier) EXPECT_EQ(ini.value("MAGNIFIER", k), v) << k;
    // Sections and keys in the order they are written.
    const std::string text = readText(p.settingsPath());
    EXPECT_LT(text.find("onTop"), text.find("HexMode"));
    EXPECT_LT(text.find("DecMode"), text.find("[MAGNIFIER]"));
    EXPECT_LT(text.find("ShowMag"), text.find("Zoom"));
    EXPECT_LT(text.find("Zoom"), text.find("SlowMouse"));
}

TEST(loadSettings, valuesAsTheFileSpellsThem)
{
    const struct {
        const char* ini;
        const char* separator;
        bool onTop;
        double zoom;
    } cases[] = {
        {"[general]\nONTOP=2\n", ".", true, 2.0},
        {"[GENERAL]\nonTop=0x1\n", ".", true, 2.0},
        {"[GENERAL]\nonTop=1.0\n", ".", false, 2.0},
        {"[GENERAL]\nonTop=true\n", ".", false, 2.0},
        {"[MAGNIFIER]\nZoom=2.5\n", ".", false, 2.5},
        {"[MAGNIFIER]\nZoom=2.5\n", ",", false, 2.0},
        {"[MAGNIFIER]\nZoom=0,5\n", ",", false, 0.5},
        {"[MAGNIFIER]\nZoom=1E1\n", ".", false, 10.0},
        {"[MAGNIFIER]\nZoom=abc\n", ".", false, 2.0},
        {"[MAGNIFIER]\nZoom=\n", ".", false, 2.0},
        {"[MAGNIFIER]\nZoom=0\n", ".", false, 2.0},
        {"[MAGNIFIER]\nZoom=-4\n", ".", false, 2.0},
    };
    for (const auto& c : cases) {
        Started p(c.ini, {}, c.separator);
        EXPECT_EQ(p.state.alwaysOnTop, c.onTop) << c.ini;
        EXPECT_EQ(p.form->pinButton->image(), c.onTop ? ButtonImage::PinOn : ButtonImage::PinOff) << c.ini;
        EXPECT_EQ(p.state.zoom, c.zoom) << c.ini << " under " << c.separator;
    }
}

TEST(loadSettings, bothModesShowBothImagesAndHexadecimalWins)
{
    Started p("[GENERAL]\nHexMode=1\nDecMode=1\n");
    EXPECT_EQ(p.form->hexButton->image(), ButtonImage::HexOn);
    EXPECT_EQ(p.form->fractionButton->image(), ButtonImage::FractionOn);
    p.fake.screen.pixelValue = 0x000064C8;
    p.form->probeTick();
    EXPECT_EQ(p.form->bitmapRedLabel->text(), "C8");
}

TEST(loadSettings, shownMagnifierFollowsTheCentringAndSlowPointerStarts)
{
    Started p("[MAGNIFIER]\nShowMag=1\nZoom=8\nSlowMouse=1\n");
    EXPECT_EQ(p.form->pos(), QPoint(858, 465));
    ASSERT_TRUE(p.magnifier->isVisible());
    EXPECT_EQ(p.magnifier->pos(), QPoint(858, 262));
    EXPECT_EQ(p.state.zoom, 8.0);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(p.magnifier->zoomItems[i]->isChecked(), i == 5);
    EXPECT_TRUE(p.state.slowPointer);
    EXPECT_EQ(p.fake.pointer.currentSpeed, 1);
    p.form->close();
    EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
}

TEST(saveSettings, keysWrittenInPlaceEveryOtherByteKept)
{
    const std::string before = "; my notes\r\n[Other]\r\nx = 1\r\n\r\n[GENERAL]\r\nonTop=1\r\n"
                               "; keep me\r\nHexMode = 0\r\n\r\n[MAGNIFIER]\r\nZoom=2\r\n";
    Started p(before);
    p.form->toggleMagnifier();
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Equal, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i) QApplication::sendEvent(p.form, &plus); // 2 -> 3 -> 4 -> 8
    p.form->close();
    const std::string after = readText(p.settingsPath());
    EXPECT_EQ(after, "; my notes\r\n[Other]\r\nx = 1\r\n\r\n[GENERAL]\r\nonTop=1\r\n"
                     "; keep me\r\nHexMode = 0\r\nDecMode=0\r\n\r\n[MAGNIFIER]\r\nZoom=8\r\nShowMag=1\r\nSlowMouse=0\r\n");
}

TEST(saveSettings, readOnlyFileReportsAndTheCloseStillRestores)
{
    Started p("[GENERAL]\nonTop=0\n");
    ASSERT_EQ(::chmod(p.settingsPath().c_str(), 0444), 0);
    p.state.slowPointer = true;
    p.form->applySlowPointer();
    ASSERT_EQ(p.fake.pointer.currentSpeed, 1);
    QString message;
    QTimer::singleShot(0, qApp, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->accept();
        }
    });
    p.form->close();
    EXPECT_EQ(message.toStdString(), "Unable to write to " + p.settingsPath() + ".");
    EXPECT_EQ(readText(p.settingsPath()), "[GENERAL]\nonTop=0\n");
    EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
    EXPECT_FALSE(p.form->isVisible());
}
