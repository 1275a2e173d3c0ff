#include "lutview/lut_window.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "probe/profile_text.h"
#include "probe/ramp_summary.h"
#include "widgets/program_font.h"
#include "widgets/window_placement.h"

using namespace tintora;

namespace {

constexpr int Gap = 8; // between the main window and this one, when first placed

} // namespace

LutWindow::LutWindow(ProgramState& state, Platform& platform, MainWindowLink& mainWindow)
    : QWidget(nullptr, Qt::Window), m_state(state), m_platform(platform), m_mainWindow(mainWindow)
{
    setWindowTitle(QStringLiteral("LUT"));
    setFont(programFont());
    m_ui.curves = new LutCurves(this);
    m_ui.statusLabel = new QLabel(this);
    m_ui.profileLabel = new QLabel(this);
    // A description is the profile maker's text: shown as it is, wrapped.
    m_ui.profileLabel->setTextFormat(Qt::PlainText);
    m_ui.profileLabel->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addWidget(m_ui.curves, 1);
    layout->addWidget(m_ui.statusLabel);
    layout->addWidget(m_ui.profileLabel);
    resize(320, 260);
    // Before any sample: nothing read.
    m_ui.statusLabel->setText(QString::fromStdString(rampStatusText(std::nullopt)));
    m_ui.profileLabel->setText(QString::fromStdString(profileStatusText(nullptr, ".")));
}

void LutWindow::placeBesideMainWindow()
{
    // Right of the main window, tops aligned; left of it where the right
    // side has no room; always within the work area.
    WindowPlacement(m_platform).placeBeside(this, m_mainWindow.mainWindowFrame(), Gap);
}

void LutWindow::showCurves(bool shown)
{
    if (shown) {
        if (!m_placed) {
            placeBesideMainWindow();
            m_placed = true;
        }
        // The keys stay with the main window (nudging, the commands).
        setAttribute(Qt::WA_ShowWithoutActivating);
        show();
    } else {
        hide();
    }
    m_state.options.lutCurvesShown = shown;
}

void LutWindow::runCommand(Command command)
{
    if (command != Command::CloseWindow) return;
    showCurves(false);
    m_mainWindow.focusMainWindow();
}

void LutWindow::closeEvent(QCloseEvent* event)
{
    // The window manager's close hides it, as Esc does.
    event->ignore();
    runCommand(Command::CloseWindow);
}

void LutWindow::follow(const Sample& sample, SampleChanges changes)
{
    if (changes.ramp || changes.bitmap) m_ui.curves->plot(&sample);
    if (changes.rampStatus) m_ui.statusLabel->setText(QString::fromStdString(sample.rampStatus));
    if (changes.profileStatus) m_ui.profileLabel->setText(QString::fromStdString(sample.profileStatus));
}
