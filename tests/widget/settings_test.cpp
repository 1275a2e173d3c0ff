#include <gtest/gtest.h>

#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <functional>
#include <iostream>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "main_window_fixture.h"
#include "modal_answer.h"
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
        form->probeTimer()->stop();
        if (!ini.empty()) writeText(settingsPath(), ini);
        form->showMainWindow();
    }
};

// The fake pointer as it was while an error box waited for the user.
struct PointerWhileUp {
    std::optional<int> speed;
    bool confined = true;
};

// Notes the pointer into seen, then does then (when given).
std::function<void()> notePointer(Started& p, PointerWhileUp& seen, std::function<void()> then = {})
{
    return [&p, &seen, then] {
        seen = {p.fake.pointer.currentSpeed, p.fake.pointer.confinement.has_value()};
        if (then) then();
    };
}

ino_t inodeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

// The text as UTF-16 in the given byte order.
std::string utf16Bytes(std::u16string_view text, bool bigEndian)
{
    std::string bytes;
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

} // namespace

TEST(loadSettings, noFileGivesTheDefaultsAndTheFirstCloseWritesThem)
{
    Started p("");
    EXPECT_EQ(p.form->ui().pinButton->image(), ButtonImage::PinOff);
    EXPECT_FALSE(p.state.options.hexadecimal || p.state.options.fractions || p.state.options.slowPointer);
    EXPECT_FALSE(p.magnifier->isVisible());
    EXPECT_EQ(p.state.options.zoom, 2.0);
    EXPECT_TRUE(p.magnifier->ui().zoomItems[2]->isChecked());
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
        EXPECT_EQ(p.state.options.alwaysOnTop, c.onTop) << c.ini;
        EXPECT_EQ(p.form->ui().pinButton->image(), c.onTop ? ButtonImage::PinOn : ButtonImage::PinOff) << c.ini;
        EXPECT_EQ(p.state.options.zoom, c.zoom) << c.ini << " under " << c.separator;
    }
}

TEST(loadSettings, bothModesShowBothImagesAndHexadecimalWins)
{
    Started p("[GENERAL]\nHexMode=1\nDecMode=1\n");
    EXPECT_EQ(p.form->ui().hexButton->image(), ButtonImage::HexOn);
    EXPECT_EQ(p.form->ui().fractionButton->image(), ButtonImage::FractionOn);
    p.fake.pixels.pixelValue = 0x000064C8;
    p.form->probeTick();
    EXPECT_EQ(p.form->ui().bitmapRedLabel->text(), "C8");
}

TEST(loadSettings, shownMagnifierFollowsTheCentringAndSlowPointerStarts)
{
    Started p("[MAGNIFIER]\nShowMag=1\nZoom=8\nSlowMouse=1\n");
    EXPECT_EQ(p.form->pos(), QPoint(858, 465));
    ASSERT_TRUE(p.magnifier->isVisible());
    EXPECT_EQ(p.magnifier->pos(), QPoint(858, 262));
    EXPECT_EQ(p.state.options.zoom, 8.0);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(p.magnifier->ui().zoomItems[i]->isChecked(), i == 5);
    EXPECT_TRUE(p.state.options.slowPointer);
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
    p.state.options.slowPointer = true;
    p.form->applySlowPointer();
    ASSERT_EQ(p.fake.pointer.currentSpeed, 1);
    MessageBoxSeen box;
    {
        ModalAnswer answer(acceptMessageBox(box));
        p.form->close();
    }
    EXPECT_EQ(box.text.toStdString(), "Unable to write to " + p.settingsPath() + ".");
    EXPECT_EQ(readText(p.settingsPath()), "[GENERAL]\nonTop=0\n");
    EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
    EXPECT_FALSE(p.form->isVisible());
}

// Nothing that waits on the user comes before the pointer is the user's
// again: a box about a failed save comes up with the speed given back and
// the axis lock lifted, and stays so while it waits, whatever the focus does.
TEST(saveSettings, pointerIsGivenBackBeforeAFailedSaveIsReported)
{
    Started p("[GENERAL]\nonTop=0\n");
    ASSERT_EQ(::chmod(p.settingsPath().c_str(), 0444), 0);
    p.state.options.slowPointer = true;
    p.form->applySlowPointer();
    KeyChord shift;
    shift.shift = true;
    p.form->keyDown(shift);
    ASSERT_TRUE(p.fake.pointer.confinement.has_value());
    PointerWhileUp whileUp;
    MessageBoxSeen box;
    {
        // The user turns to another program before answering.
        ModalAnswer answer(acceptMessageBox(box, notePointer(p, whileUp, [&] { p.form->applicationDeactivated(); })));
        p.form->close();
    }
    EXPECT_EQ(box.text.toStdString(), "Unable to write to " + p.settingsPath() + ".");
    EXPECT_EQ(whileUp.speed, 10);
    EXPECT_FALSE(whileUp.confined);
    EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
}

// While the close waits on the user (a box about a failed save), Ctrl in any
// other window of the program takes the pointer no more than the main
// window's keys do: its speed stays the one given back.
TEST(saveSettings, ctrlInAnotherWindowLeavesThePointerAloneOnceTheCloseHasBegun)
{
    const struct {
        const char* window;
        std::function<QWidget*(Started&)> show;
    } windows[] = {
        {"help", [](Started& p) -> QWidget* {
             p.help->showHelp();
             return p.help;
         }},
        {"LUT", [](Started& p) -> QWidget* {
             p.form->toggleLutCurves();
             return p.windows->lutWindow.get();
         }},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.window);
        Started p("[GENERAL]\nonTop=0\n");
        ASSERT_EQ(::chmod(p.settingsPath().c_str(), 0444), 0);
        QWidget* window = w.show(p);
        ASSERT_TRUE(window->isVisible());
        // Ctrl in that window (to its focused control, as a user's key
        // goes) inverts the slow pointer while the program runs.
        auto ctrl = [window](QEvent::Type type, Qt::KeyboardModifiers held) {
            QKeyEvent e(type, Qt::Key_Control, held);
            QApplication::sendEvent(window->focusWidget() ? window->focusWidget() : window, &e);
        };
        ctrl(QEvent::KeyPress, Qt::NoModifier);
        ASSERT_EQ(p.fake.pointer.currentSpeed, 1);
        ctrl(QEvent::KeyRelease, Qt::ControlModifier);
        ASSERT_EQ(p.fake.pointer.currentSpeed, 10);

        std::vector<int> speedsWhileUp;
        MessageBoxSeen box;
        {
            ModalAnswer answer(acceptMessageBox(box, [&] {
                const std::size_t before = p.fake.pointer.speedsSet.size();
                ctrl(QEvent::KeyPress, Qt::NoModifier);
                ctrl(QEvent::KeyRelease, Qt::ControlModifier);
                speedsWhileUp.assign(p.fake.pointer.speedsSet.begin() + static_cast<std::ptrdiff_t>(before),
                                     p.fake.pointer.speedsSet.end());
            }));
            p.form->close();
        }
        EXPECT_EQ(box.text.toStdString(), "Unable to write to " + p.settingsPath() + ".");
        EXPECT_TRUE(speedsWhileUp.empty()) << "speeds set: " << ::testing::PrintToString(speedsWhileUp);
        EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
    }
}

// A close that changes no value leaves the file alone: not replaced, and a
// file the user made read-only to pin the settings is no error.
TEST(saveSettings, unchangedValuesAreNotWritten)
{
    const std::string pinned = "[GENERAL]\r\nonTop=0\r\nHexMode=1\r\nDecMode=0\r\n"
                               "[MAGNIFIER]\r\nShowMag=0\r\nZoom=8\r\nSlowMouse=0\r\n";
    for (const mode_t mode : {0644, 0444}) {
        Started p(pinned);
        ASSERT_EQ(::chmod(p.settingsPath().c_str(), mode), 0);
        const ino_t before = inodeOf(p.settingsPath());
        MessageBoxSeen box;
        {
            auto guard = ModalAnswer::none(acceptMessageBox(box));
            p.form->close();
        }
        EXPECT_EQ(box.text, "") << std::oct << mode;
        EXPECT_EQ(readText(p.settingsPath()), pinned) << std::oct << mode;
        EXPECT_EQ(inodeOf(p.settingsPath()), before) << std::oct << mode;
    }
}

// A shared install: the folder cannot take a new file, the settings file
// itself can be written, and the close saves into it without a word.
TEST(saveSettings, writableFileInAReadOnlyFolderIsSaved)
{
    Started p("[GENERAL]\nHexMode=0\n");
    p.form->toggleHexadecimal();
    const std::string dir = p.programDir.path();
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    MessageBoxSeen box;
    {
        auto guard = ModalAnswer::none(acceptMessageBox(box));
        p.form->close();
    }
    ::chmod(dir.c_str(), 0700);
    EXPECT_EQ(box.text, "");
    EXPECT_EQ(IniDocument::parse(readText(p.settingsPath())).value("GENERAL", "HexMode"), "1");
}

// A file far larger than any settings file (a mistake, or a link to an
// endless device) is not used: the defaults apply, standard error says why,
// and the close does not write over it.
TEST(loadSettings, oversizedFileIsNotUsedAndSaidSo)
{
    const std::string huge = "[GENERAL]\nHexMode=1\n;" + std::string(16 << 20, 'x') + "\n";
    std::ostringstream errors;
    std::streambuf* const stderrBuffer = std::cerr.rdbuf(errors.rdbuf());
    std::optional<Started> p;
    p.emplace(huge);
    std::cerr.rdbuf(stderrBuffer);
    EXPECT_FALSE(p->state.options.hexadecimal);
    EXPECT_NE(errors.str().find(p->settingsPath()), std::string::npos) << errors.str();
    MessageBoxSeen box;
    {
        ModalAnswer answer(acceptMessageBox(box));
        p->form->close();
    }
    EXPECT_EQ(box.text.toStdString(), "Unable to write to " + p->settingsPath() + ".");
    EXPECT_TRUE(readText(p->settingsPath()) == huge) << "the file was written over";
}

// A link to nothing in the settings file's place is not followed (a save
// would make a file wherever it points). Found at the start, it is said
// then, once, and the close leaves it alone without a word; put there while
// the program ran, it is news at the close, which reports the settings
// unsaved.
TEST(saveSettings, linkThatIsNotFollowedIsSaidOnce)
{
    for (const bool fromTheStart : {true, false}) {
        SCOPED_TRACE(fromTheStart ? "there from the start" : "put there meanwhile");
        MainWindowFixture p;
        p.form->probeTimer()->stop();
        const std::string nowhere = p.programDir.file("gone/Tintora.ini");
        const auto plantLink = [&] {
            ::unlink(p.settingsPath().c_str());
            return ::symlink(nowhere.c_str(), p.settingsPath().c_str()) == 0;
        };
        if (fromTheStart) {
            ASSERT_TRUE(plantLink());
        } else {
            writeText(p.settingsPath(), "[GENERAL]\nHexMode=0\n");
        }
        std::ostringstream errors;
        std::streambuf* const stderrBuffer = std::cerr.rdbuf(errors.rdbuf());
        p.form->showMainWindow();
        p.form->toggleHexadecimal();
        const bool planted = fromTheStart || plantLink();
        MessageBoxSeen box;
        if (fromTheStart) {
            auto guard = ModalAnswer::none(acceptMessageBox(box));
            p.form->close();
        } else {
            ModalAnswer answer(acceptMessageBox(box));
            p.form->close();
        }
        std::cerr.rdbuf(stderrBuffer);
        ASSERT_TRUE(planted);
        std::size_t said = 0;
        for (std::size_t at = errors.str().find(p.settingsPath()); at != std::string::npos;
             at = errors.str().find(p.settingsPath(), at + 1))
            ++said;
        EXPECT_EQ(said, 1u) << errors.str();
        EXPECT_EQ(box.text.toStdString(), fromTheStart ? "" : "Unable to write to " + p.settingsPath() + ".");
        EXPECT_NE(::access(nowhere.c_str(), F_OK), 0) << "a file was made where the link points";
    }
}

// A file a Windows editor saved as UTF-16 stays UTF-16, in its byte order,
// with its BOM and line ends, every unit of the lines the program does not
// own kept (letters beyond 16 bits, even a lone surrogate).
TEST(saveSettings, utf16FileIsReadAndWrittenAsUtf16)
{
    const std::u16string before = u"\uFEFF; Цвет \U0001F3A8 \xD800 end\r\n[GENERAL]\r\nHexMode=1\r\n";
    const std::u16string after = u"\uFEFF; Цвет \U0001F3A8 \xD800 end\r\n[GENERAL]\r\nHexMode=0\r\nonTop=0\r\n"
                                 u"DecMode=1\r\n\r\n[MAGNIFIER]\r\nShowMag=0\r\nZoom=2\r\nSlowMouse=0\r\n";
    for (const bool bigEndian : {false, true}) {
        Started p(utf16Bytes(before, bigEndian));
        EXPECT_TRUE(p.state.options.hexadecimal) << "big endian: " << bigEndian;
        p.form->toggleFractions();
        p.form->close();
        EXPECT_EQ(readText(p.settingsPath()), utf16Bytes(after, bigEndian)) << "big endian: " << bigEndian;
    }
}

// Any error box takes the keys: the releases of Alt, Shift and Ctrl go to
// it, so the line lock and the Ctrl speed end before it comes up, not
// whenever the main window next sees a key.
TEST(errorBox, axisLocksAndTheCtrlSpeedEndBeforeABoxWaits)
{
    Started p("[MAGNIFIER]\nSlowMouse=1\n");
    ASSERT_EQ(p.fake.pointer.currentSpeed, 1);
    KeyChord altCtrl;
    altCtrl.alt = altCtrl.ctrl = true;
    p.form->keyDown(altCtrl);
    ASSERT_TRUE(p.fake.pointer.confinement.has_value());
    ASSERT_EQ(p.fake.pointer.currentSpeed, 10);
    PointerWhileUp whileUp;
    MessageBoxSeen box;
    {
        ModalAnswer answer(acceptMessageBox(box, notePointer(p, whileUp)));
        p.form->showError("Cannot open clipboard: busy");
    }
    EXPECT_EQ(box.text, "Cannot open clipboard: busy.");
    EXPECT_EQ(whileUp.speed, 1) << "the slow pointer, as the option asks";
    EXPECT_FALSE(whileUp.confined);
}
