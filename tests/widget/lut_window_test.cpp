// The LUT window over the fake platform.

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QTextDocument>
#include <QToolTip>
#include <QTest>

#include "main_window_fixture.h"
#include "colourprofile/display_profile.h"
#include "settings/ini_file.h"
#include "support/paint_counter.h"
#include "support/test_profiles.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

// Every table i * 257 but green, which is halved.
const GammaTable HalvedGreen = [] {
    GammaTable t = rampOf([](int i) { return i * 257; });
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(256 + i)] = static_cast<std::uint16_t>(i * 257 / 2);
    return t;
}();

std::string readText(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

void writeText(const std::string& path, const std::string& text)
{
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

// The "LUT:" caption's tooltip as its reader sees it, line by line.
QStringList tooltipLines(const QString& tooltip)
{
    if (!Qt::mightBeRichText(tooltip)) return tooltip.split(u'\n');
    QTextDocument document;
    document.setHtml(tooltip);
    return document.toPlainText().split(u'\n');
}
// Its text with the lines the profile's status was broken into joined again.
QString tooltipText(const QString& tooltip)
{
    const QStringList lines = tooltipLines(tooltip);
    return lines.front() + u'\n' + lines.mid(1).join(u' ');
}

// A shown program with the probe timer stopped: each test takes its ticks.
struct Program : MainWindowFixture {
    explicit Program(const std::string& ini = "")
    {
        form->probeTimer()->stop();
        fake.pixels.pixelValue = 0x000064C8; // (200, 100, 0)
        fake.ramps.ramp = HalvedGreen;
        fake.ramps.rampOutput = "HDMI-1";
        fake.pointer.where = Point{500, 400};
        if (!ini.empty()) writeText(settingsPath(), ini);
        form->showMainWindow();
        form->probeTick();
    }
    ~Program() { form->probeTimer()->stop(); }

    LutWindow* lut() { return windows->lutWindow.get(); }
    // One key event to w, through the program's key routing.
    static void send(QWidget* w, QEvent::Type type, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier,
                     bool autoRepeat = false)
    {
        QKeyEvent e(type, k, m, QString(), autoRepeat);
        QApplication::sendEvent(w, &e);
    }
    // Lets queued paint requests run.
    static void settle()
    {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
};

} // namespace

TEST(LutWindow, ctrlLShowsAndHidesEscAndCtrlLInItHide)
{
    Program p;
    EXPECT_FALSE(p.lut()->isVisible());
    p.send(p.form, QEvent::KeyPress, Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(p.lut()->isVisible());
    EXPECT_TRUE(p.state.options.lutCurvesShown);
    EXPECT_EQ(p.lut()->windowTitle(), "LUT");
    // First shown beside the main window, tops aligned, inside the work area.
    const QRect main = p.form->geometry();
    EXPECT_EQ(p.lut()->x(), main.x() + main.width() + 8);
    EXPECT_EQ(p.lut()->y(), main.y());
    p.send(p.form, QEvent::KeyPress, Qt::Key_L, Qt::ControlModifier);
    EXPECT_FALSE(p.lut()->isVisible());
    EXPECT_FALSE(p.state.options.lutCurvesShown);

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    } hiding[] = {{Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_L, Qt::ControlModifier}};
    for (const auto& h : hiding) {
        p.form->toggleLutCurves();
        ASSERT_TRUE(p.lut()->isVisible());
        p.lut()->move(40, 700); // the user's place for it
        p.send(p.lut(), QEvent::KeyPress, h.key, h.mods);
        EXPECT_FALSE(p.lut()->isVisible()) << h.key;
        EXPECT_FALSE(p.state.options.lutCurvesShown);
        EXPECT_TRUE(p.form->isVisible()) << "Esc in the LUT window must not reach the main window";
        p.form->toggleLutCurves();
        EXPECT_EQ(p.lut()->pos(), QPoint(40, 700)) << "it keeps its place during the run";
        p.form->toggleLutCurves();
    }
    // The main window's commands still work from it.
    p.form->toggleLutCurves();
    p.send(p.lut(), QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(p.fake.clipboard.text, "C86400");
}

TEST(LutWindow, statusLineAndTooltipFollowTheRamp)
{
    // The tooltip's second line is the display profile's (see below).
    const QString NoProfile = "\nNo display profile";
    Program p;
    p.form->toggleLutCurves();
    const QString halved = "HDMI-1, 256 entries, distinct levels R 256 G 128 B 256";
    EXPECT_EQ(p.lut()->ui().statusLabel->text(), halved);
    EXPECT_EQ(tooltipText(p.form->ui().lutCaption->toolTip()), halved + NoProfile);
    EXPECT_EQ(p.lut()->ui().profileLabel->text(), "No display profile");

    const struct {
        std::optional<GammaTable> ramp;
        const char* output;
        int size;
        QString status;
    } cases[] = {
        {rampOf([](int i) { return i * 257; }), "DP-2", 1024, "DP-2, 1024 entries, identity"},
        {std::nullopt, "DP-2", 1024, "No gamma ramp"},
        {HalvedGreen, "HDMI-1", 256, halved},
    };
    for (const auto& c : cases) {
        p.fake.ramps.ramp = c.ramp;
        p.fake.ramps.rampOutput = c.output;
        p.fake.ramps.rampSize = c.size;
        p.form->probeTick();
        EXPECT_EQ(p.lut()->ui().statusLabel->text(), c.status);
        EXPECT_EQ(tooltipText(p.form->ui().lutCaption->toolTip()), c.status + NoProfile) << "the \"LUT:\" caption's tooltip";
    }
    // Hidden, the window no longer follows; the tooltip does.
    p.form->toggleLutCurves();
    p.fake.ramps.rampOutput = "HDMI-2";
    p.form->probeTick();
    EXPECT_EQ(tooltipText(p.form->ui().lutCaption->toolTip()),
              "HDMI-2, 256 entries, distinct levels R 256 G 128 B 256" + NoProfile);
    EXPECT_EQ(p.lut()->ui().statusLabel->text(), halved);
    p.form->toggleLutCurves();
    EXPECT_EQ(p.lut()->ui().statusLabel->text(), "HDMI-2, 256 entries, distinct levels R 256 G 128 B 256")
        << "shown again, it shows the latest tick at once";
}

// The display profile's line under the status, and the tooltip's second line:
// a profile with a calibration (red topping out at 0.7) over its own ramp,
// over the straight one, then one that does not read.
TEST(LutWindow, profileLineAndTooltipFollowTheProfile)
{
    test::TestProfile wanted;
    wanted.description = L"Office <b>27</b>";
    wanted.vcgtCurve = [](int channel, double x) { return channel == 0 ? 0.7 * x : x; };
    const test::ProfileBytes office = test::displayProfileBytes(wanted);
    std::string whyNot;
    const auto profile = DisplayProfile::read(office, whyNot);
    ASSERT_TRUE(profile) << whyNot;

    Program p;
    p.form->toggleLutCurves();
    p.fake.profiles.profile = {office, "HDMI-1", "_ICC_PROFILE", 1};
    const QLabel* line = p.lut()->ui().profileLabel;
    const auto tooltip = [&] { return p.form->ui().lutCaption->toolTip(); };

    const struct {
        const char* name;
        GammaTable ramp;
        const char* text;
    } cases[] = {
        {"loaded", profile->expectedRamp(),
         "Profile \"Office <b>27</b>\", calibration loaded, L* a* b* 54.0 37.4 62.4, seen 54.0 37.4 62.4, \xCE\x94" "E00 0.0"},
        {"lost", rampOf([](int i) { return i * 257; }),
         "Profile \"Office <b>27</b>\", calibration lost: largest difference 19660 of 65535 at level 255 (red), "
         "L* a* b* 54.0 37.4 62.4, seen beyond the calibration's range"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        p.fake.ramps.ramp = c.ramp;
        p.form->probeTick();
        EXPECT_EQ(line->text().toStdString(), c.text);
        EXPECT_EQ(line->textFormat(), Qt::PlainText) << "a description is no markup";
        // The tooltip gives the ramp's status, then the same line.
        const QString text = tooltipText(tooltip());
        EXPECT_TRUE(text.startsWith(QStringLiteral("HDMI-1, 256 entries, "))) << tooltip().toStdString();
        EXPECT_TRUE(text.endsWith("\n" + QString::fromStdString(c.text))) << tooltip().toStdString();
        // The long line is broken into lines of a readable width rather
        // than running across the screen over the readouts.
        const QStringList lines = tooltipLines(tooltip());
        EXPECT_GE(lines.size(), 3) << tooltip().toStdString();
        for (const QString& l : lines)
            EXPECT_LE(QFontMetrics(QToolTip::font()).horizontalAdvance(l), 360) << l.toStdString();
    }
    // A tooltip Qt would take for HTML (by its start, here an output's name)
    // is given as escaped text.
    p.fake.ramps.rampOutput = "<i>DP</i>";
    p.form->probeTick();
    EXPECT_TRUE(tooltip().contains(QStringLiteral("&lt;i&gt;DP&lt;/i&gt;, 256 entries")));
    EXPECT_TRUE(tooltip().contains(QStringLiteral("<br>Profile &quot;Office &lt;b&gt;27&lt;/b&gt;&quot;")));
    p.fake.ramps.rampOutput = "HDMI-1";

    // One that does not read: no profile, said once on the standard error.
    p.fake.profiles.profile = {{'n', 'o', 't'}, "HDMI-1", "_ICC_PROFILE", 2};
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) p.form->probeTick();
    const std::string said = testing::internal::GetCapturedStderr();
    const QString tooShort = "Display profile not used: the display profile is too short to be a profile";
    EXPECT_EQ(line->text(), tooShort);
    EXPECT_TRUE(tooltipText(tooltip()).endsWith("\n" + tooShort)) << tooltip().toStdString();
    EXPECT_EQ(said, "tintora: the display profile of HDMI-1 (_ICC_PROFILE) is left out. "
                    "The display profile is too short to be a profile.\n");

    // Refused by the screen before it was read (too large, an empty
    // property): the window and the tooltip say why, not that there is none.
    const struct {
        const char* refusal;
        QString text;
    } refusals[] = {
        {"The display profile is larger than 4 MiB.", "Display profile not used: the display profile is larger than 4 MiB"},
        {"The display profile property is empty.", "Display profile not used: the display profile property is empty"},
    };
    std::uint64_t serial = 3;
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.refusal);
        p.fake.profiles.profile = {{}, "HDMI-1", "output property _ICC_PROFILE", serial++};
        p.fake.profiles.profile.refusal = r.refusal;
        testing::internal::CaptureStderr();
        p.form->probeTick();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(line->text(), r.text);
        EXPECT_TRUE(tooltipText(tooltip()).endsWith("\n" + r.text)) << tooltip().toStdString();
    }
    // None published: none said.
    p.fake.profiles.profile = {{}, "HDMI-1", "", serial++};
    p.form->probeTick();
    EXPECT_EQ(line->text(), "No display profile");
    EXPECT_TRUE(tooltipText(tooltip()).endsWith(QStringLiteral("\nNo display profile"))) << tooltip().toStdString();
}

TEST(LutWindow, repaintsOnlyWhenTheRampOrLevelsChange)
{
    Program p;
    const test::PaintCounter paints(p.lut()->ui().curves);
    p.form->toggleLutCurves();
    p.settle();
    const int painted = paints.count();
    ASSERT_GT(painted, 0);
    for (int i = 0; i < 5; ++i) p.form->probeTick();
    p.settle();
    EXPECT_EQ(paints.count(), painted) << "ticks that changed nothing repainted";

    // Each change is one repaint: a level, a ramp entry, no ramp at all.
    const std::function<void()> changes[] = {
        [&] { p.fake.pixels.pixelValue = 0x000064C9; },
        [&] { (*p.fake.ramps.ramp)[512 + 0] = 3; },
        [&] { p.fake.ramps.ramp.reset(); },
    };
    int expected = painted;
    for (const auto& change : changes) {
        change();
        p.form->probeTick();
        p.form->probeTick();
        p.settle();
        EXPECT_EQ(paints.count(), ++expected);
    }
}

TEST(LutWindow, shownStateIsSavedInItsOwnSection)
{
    // An older file without the section: read as hidden; the section is
    // added once the window has been shown.
    const std::string older = "; mine\r\n[GENERAL]\r\nonTop=0\r\nHexMode=0\r\nDecMode=0\r\n[MAGNIFIER]\r\n"
                              "ShowMag=0\r\nZoom=2\r\nSlowMouse=0\r\n";
    {
        // Never shown: the file stays as it was, byte for byte.
        Program p(older);
        p.form->close();
        EXPECT_EQ(readText(p.settingsPath()), older);
    }
    {
        Program p(older);
        EXPECT_FALSE(p.lut()->isVisible());
        p.form->toggleLutCurves();
        p.form->close();
        EXPECT_EQ(readText(p.settingsPath()), older + "\r\n[LUT]\r\nShowCurves=1\r\n");
    }
    // Shown at start from the file; hidden, the one value is rewritten in place.
    const std::string shown = "[lut]\nShowCurves = 1 \n; after\n[GENERAL]\nonTop=0\nHexMode=0\nDecMode=0\n"
                              "[MAGNIFIER]\nShowMag=0\nZoom=2\nSlowMouse=0\n";
    Program p(shown);
    EXPECT_TRUE(p.lut()->isVisible());
    EXPECT_TRUE(p.state.options.lutCurvesShown);
    EXPECT_EQ(p.lut()->x(), p.form->x() + p.form->width() + 8) << "placed beside the main window where it stands";
    p.send(p.lut(), QEvent::KeyPress, Qt::Key_Escape);
    p.form->close();
    EXPECT_EQ(readText(p.settingsPath()),
              "[lut]\nShowCurves = 0 \n; after\n[GENERAL]\nonTop=0\nHexMode=0\nDecMode=0\n"
              "[MAGNIFIER]\nShowMag=0\nZoom=2\nSlowMouse=0\n");
}
