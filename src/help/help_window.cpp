#include "help/help_window.h"

#include <QCloseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QWindow>
#include <vector>
#include <QKeyEvent>
#include <QFile>
#include <QTimer>
#include <QVBoxLayout>

#include "help/floating_buttons.h"
#include "help/help_navigation.h"
#include "help/help_style.h"
#include "help/page_scroll_bar_style.h"
#include "widgets/window_placement.h"

using namespace tintora;

static void initHelpResources() { Q_INIT_RESOURCE(resources); }

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    // The body's own margin is the page's only one (a document margin
    // would come on top of it).
    document()->setDocumentMargin(0);
    // Links pass the before-navigate rule instead of being followed here.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::linkClicked);
}

std::string HelpBrowser::navigate(const std::string& address)
{
    if (beforeNavigate && beforeNavigate(address)) return {};
    m_loadError.clear();
    QUrl url;
    if (!executablePath.empty() && address == helpAddress(executablePath)) {
        // Built from its parts: the path goes in as it is.
        url.setScheme(QStringLiteral("res"));
        url.setPath(QString::fromStdString(helpPagePath(executablePath)), QUrl::DecodedMode);
    } else {
        url = QUrl(QString::fromStdString(address), QUrl::TolerantMode);
    }
    setSource(url, QTextDocument::HtmlResource);
    if (!m_loadError.empty()) return m_loadError;
    m_hasDocument = true;
    return {};
}

void HelpBrowser::linkClicked(const QUrl& link)
{
    const std::string address = link.toString().toStdString();
    if (link.scheme().isEmpty() || link.isRelative()) {
        // An anchor inside the page: no navigation to another document.
        if (link.path().isEmpty() && link.hasFragment()) {
            scrollToAnchor(link.fragment());
            return;
        }
    }
    navigate(address);
}

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    QTextBrowser::doSetSource(name, type);
    // Qt's headings carry a size step of their own that overrides any size
    // the style sheet gives them: where the sheet gave one, it counts. The
    // runs are collected first: changing a format may merge runs.
    struct Run {
        int position, length;
        QTextCharFormat format;
    };
    std::vector<Run> runs;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(QTextFormat::FontSizeAdjustment) || !format.hasProperty(QTextFormat::FontPixelSize))
                continue;
            format.clearProperty(QTextFormat::FontSizeAdjustment);
            runs.push_back({fragment.position(), fragment.length(), format});
        }
    }
    for (const Run& run : runs) {
        QTextCursor cursor(document());
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(run.format);
    }
    // The body's margin comes into the first and last blocks, whose outer
    // margins Qt's layout leaves out (it keeps only those between blocks):
    // the page's own frame gives them.
    QTextFrameFormat page = document()->rootFrame()->frameFormat();
    page.setTopMargin(document()->firstBlock().blockFormat().topMargin());
    page.setBottomMargin(document()->lastBlock().blockFormat().bottomMargin());
    document()->rootFrame()->setFrameFormat(page);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    if (type == QTextDocument::HtmlResource && name.scheme() == QLatin1String("res")) {
        if (!name.path().endsWith(QLatin1String("/HELP"))) {
            m_loadError = "The resource " + name.toString().toStdString() + " does not exist";
            return {};
        }
        QFile page(helpResource);
        if (!page.open(QIODevice::ReadOnly)) {
            m_loadError = "The help page cannot be loaded: " + page.errorString().toStdString();
            return {};
        }
        const QByteArray bytes = page.readAll();
        const std::string html = windows1251ToUtf8(std::string_view(bytes.constData(), bytes.size()));
        return QString::fromStdString(withPixelFontSizes(html, BrowserMediumPixels));
    }
    return QTextBrowser::loadResource(type, name);
}

HelpWindow::HelpWindow(Platform& platform, MainWindowLink& mainWindow, std::string executablePath)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_mainWindow(mainWindow),
      m_executablePath(std::move(executablePath))
{
    initHelpResources();
    setWindowTitle(QStringLiteral("Справка"));
    resize(ClientWidth, ClientHeight);
    fitMinimumSizeToFrame();
    m_ui.browser = new HelpBrowser(this);
    // The view fills the window at every size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_ui.browser);
    m_ui.browser->setFrameShape(QFrame::NoFrame);
    // The page's own colours, whatever the program's skin.
    QPalette page = m_ui.browser->palette();
    page.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xDD));
    page.setColor(QPalette::Text, Qt::black);
    m_ui.browser->setPalette(page);
    // The page's scroll bars in its own colours.
    auto* scrollBarStyle = new PageScrollBarStyle;
    scrollBarStyle->setParent(m_ui.browser);
    m_ui.browser->verticalScrollBar()->setStyle(scrollBarStyle);
    m_ui.browser->horizontalScrollBar()->setStyle(scrollBarStyle);
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    m_ui.browser->setFont(font);
    m_ui.browser->executablePath = m_executablePath;
    m_ui.browser->beforeNavigate = [this](const std::string& a) { return divertToSystemBrowser(a); };
    setFocusProxy(m_ui.browser);

    m_ui.floatingButtons = new FloatingButtons(
        this, [this] { goHome(); }, [this] { goBack(); },
        [this] { goForward(); });
}

void HelpWindow::runCommand(Command command)
{
    if (command == Command::CloseWindow) closeWindow();
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::fitMinimumSizeToFrame()
{
    // The least size is that of the whole window, frame included; without a
    // window manager there is no frame.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize least(std::max(0, MinimumWidth - frame.left() - frame.right()),
                      std::max(0, MinimumHeight - frame.top() - frame.bottom()));
    if (minimumSize() != least) setMinimumSize(least);
}

bool HelpWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        // The window manager's frame arrives after the window is shown.
        fitMinimumSizeToFrame();
        break;
    default: break;
    }
    return QWidget::event(event);
}

void HelpWindow::toggle()
{
    // A minimised window is not showing: F1 brings it back.
    if (isVisible() && !isMinimized()) {
        close();
        return;
    }
    showHelp();
}

void HelpWindow::showHelp()
{
    if (!m_placed) {
        // Centred in its monitor's work area the first time; afterwards
        // where and as large as the user left it.
        m_placed = true;
        WindowPlacement(m_platform).centreInWorkAreaUnder(this, m_mainWindow.mainWindowFrame());
    }
    // Shown restored, as large as it was (maximised stays maximised).
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (m_ui.browser->hasDocument()) activateView();
}

void HelpWindow::activateView() { m_ui.browser->setFocus(Qt::OtherFocusReason); }


void HelpWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) loadHelpPage();
}

void HelpWindow::loadHelpPage()
{
    const std::string error = m_ui.browser->navigate(helpAddress(m_executablePath));
    // Shown all the same; the error box comes once the window is up.
    if (!error.empty()) QTimer::singleShot(0, this, [this, error] { m_mainWindow.showError(error); });
}

bool HelpWindow::divertToSystemBrowser(const std::string& address)
{
    if (navigationFor(address) != Navigation::SystemBrowser) return false;
    m_platform.shell->openUrl(address);
    return true;
}

void HelpWindow::goHome() { m_ui.browser->navigate(helpAddress(m_executablePath)); }

void HelpWindow::goBack()
{
    if (m_ui.browser->isBackwardAvailable()) m_ui.browser->backward();
}

void HelpWindow::goForward()
{
    if (m_ui.browser->isForwardAvailable()) m_ui.browser->forward();
}

void HelpWindow::closeWindow()
{
    close();
    m_mainWindow.focusMainWindow();
}

void HelpWindow::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window.
    m_mainWindow.focusMainWindow();
    event->accept();
}

bool HelpWindow::viewKeeps(const QKeyEvent& event) const
{
    if (focusWidget() != m_ui.browser) return false;
    const Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: return !(mods & Qt::AltModifier);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: return mods == Qt::NoModifier || mods == Qt::ShiftModifier;
    case Qt::Key_C: return mods == Qt::ControlModifier && m_ui.browser->textCursor().hasSelection();
    case Qt::Key_A: return mods == Qt::ControlModifier;
    default: return false;
    }
}

