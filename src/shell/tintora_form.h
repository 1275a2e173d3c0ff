#pragma once

#include <QFrame>
#include <QLabel>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "colourdialog/color_dialog.h"
#include "platform/platform.h"
#include "probe/readout_text.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/program_state.h"
#include "shell/title_strip.h"
#include "shell/window_band.h"

// The separator between the Bitmap and LUT columns: a vertical line along its
// left edge. A press on it does not move the window.
class TBevel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// The colour swatch. While probing a press on it drags the window like the
// window's background; while frozen it is a button (sPanel1Click).
class TSwatch : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
    bool mouseDownMovesWindow = true;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// What the main window needs from the program that creates it.
struct MainWindowSetup {
    std::vector<std::string> args;   // command line without the program path
    std::string programDir;          // executable's directory, trailing separator
    std::string executablePath;      // the executable's full path
    std::string decimalSeparator;    // from the user's locale, read at start
};

// The main window: borderless 203 x 110, title strip and readouts.
class TTintoraForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 203;
    static constexpr int ClientHeight = 110;
    static constexpr int ProbeIntervalMs = 50;

    TTintoraForm(tintora::ProgramState& state, tintora::Platform& platform, MainWindowSetup setup);

    // Start-up step 7: FormShow, centring when the command line was empty,
    // then the window becomes visible.
    void showMainWindow();

    // The command table, in matching order.
    tintora::CommandTable ActionList1;

    // Commands.
    void ПомощьExecute();
    void ЗакрытьExecute();
    void ЛупаExecute();
    void HexРежимExecute();
    void КопироватьBitmapExecute();
    void КопироватьLUTExecute();
    void ЦветExecute();
    void ВсегдаНаверхуExecute();
    void DecРежимExecute();
    void ЗакрытьВсёExecute();
    void sSpeedButton4Click();
    void sSpeedButton5Click();
    void sSpeedButton6Click();
    // The swatch's click while frozen: inspect the frozen colour.
    void sPanel1Click();

    // Shows the magnifier docked above this window, or hides it.
    void Magnifier();
    // Re-applies the slow speed when the slow-pointer option is on.
    void SetMouseSens();
    // Sets the zoom menu's check marks from Zoom, then SetMouseSens.
    void ZoomCheckedInPopUp();

    // Key handlers: keys that ran no command, and every release.
    void FormKeyDown(const tintora::KeyChord& key);
    void FormKeyUp(const tintora::KeyChord& key);

    // Whether sampling runs (not frozen).
    bool probing() const { return Timer1->isActive(); }

    // The settings file: read at the first show, written at the close.
    void LoadSettings(const std::string& path);
    void SaveSettings(const std::string& path);

    // Closes as a close request does, but reports problems on the standard
    // error instead of a box that nobody may be there to answer (signals).
    void closeQuietly();
    // The display has gone: only the settings can still be kept (failures
    // go to stderr, there is no screen to show a box on).
    void saveAfterDisplayLoss();

    // Shows an error in the program's general error box.
    std::function<void(const std::string&)> errorBox;

    // One run of the probe timer.
    void Timer1Timer();
    void ProbeTick();
    // Captures the block around p into the magnifier's picture.
    void UpdateMagnifier(tintora::Point p);
    void ShowReadouts();

    void ApplicationEvents1Activate();
    void ApplicationEvents1Deactivate();

    // Called with the texts of every tick whose readouts changed, when set.
    std::function<void(const tintora::ReadoutTexts&)> readoutsTrace;

    // Moves the window through the screen snapping.
    void moveWindow(tintora::Point proposed);

    // Components, in declaration order.
    QLabel* sLabel1;
    QLabel* sLabel2;
    QLabel* sLabel3;
    QTimer* Timer1;
    QLabel* sLabel4;
    QLabel* sLabel5;
    QLabel* sLabel6;
    QLabel* sLabel7;
    QLabel* sLabel8;
    QLabel* sLabel9;
    QLabel* sLabel10;
    QLabel* sLabel11;
    TSwatch* sPanel1;
    QLabel* sLabel12;
    TBevel* sBevel1;
    QFrame* sPanel2;
    TSpeedButton* sSpeedButton1;
    TSpeedButton* sSpeedButton2;
    TSpeedButton* sSpeedButton3;
    TSpeedButton* sSpeedButton4;
    TSpeedButton* sSpeedButton5;
    TSpeedButton* sSpeedButton6;
    TSpeedButton* sSpeedButton7;
    TsColorSelect* sColorSelect1; // never shown: opens the colour dialog

    // Fields.
    tintora::Point po;     // pointer position when the latest axis lock began
    bool clipCurX = false; // horizontal-line lock (Alt) in force
    bool clipCurY = false; // vertical-line lock (Shift) in force
    OnTopStyle onTop;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormMouseDown(QMouseEvent* event);
    void WMMove();
    void copyToClipboard(tintora::Rgb colour);
    void buildActionList();
    void liftPointerAids();
    QLabel* makeLabel(const char* text, int left, int top);
    void setLabelText(QLabel* label, const std::string& text);
    void setF1Colour(const QColor& colour);

    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
    MainWindowSetup m_setup;
    std::optional<tintora::StartPosition> m_startPosition;
    std::optional<QPoint> m_dragOffset; // pointer minus window corner while dragging
    std::uint32_t m_swatchColour = 0xFFFFFFFFu;
    bool m_closed = false;
    bool m_quiet = false;
    std::string m_lastTrace;
    tintora::ScreenImage m_grab;         // the magnifier's source block, reused
    tintora::ScreenImage m_previousGrab; // the one before
};
