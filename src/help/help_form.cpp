#include "help/help_form.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QFile>
#include <QTimer>
#include <QVBoxLayout>

#include "help/floating_buttons.h"
#include "help/help_navigation.h"
#include "pointer/pointer_aids.h"
#include "shell/program_state.h"
#include "shell/tintora_form.h"
#include "shell/window_band.h"

using namespace tintora;

static void initHelpResources() { Q_INIT_RESOURCE(resources); }

THelpBrowser::THelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    // Links pass the before-navigate rule instead of being followed here.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &THelpBrowser::linkClicked);
}

std::string THelpBrowser::navigate(const std::string& address)
{
    if (beforeNavigate && beforeNavigate(address)) return {};
    m_loadError.clear();
    setSource(QUrl(QString::fromStdString(address), QUrl::TolerantMode), QTextDocument::HtmlResource);
    if (!m_loadError.empty()) return m_loadError;
    m_hasDocument = true;
    return {};
}

void THelpBrowser::linkClicked(const QUrl& link)
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

QVariant THelpBrowser::loadResource(int type, const QUrl& name)
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
        return QString::fromStdString(windows1251ToUtf8(std::string_view(bytes.constData(), bytes.size())));
    }
    return QTextBrowser::loadResource(type, name);
}

TForm2::TForm2(ProgramState& state, Platform& platform, std::string executablePath)
    : QWidget(nullptr, Qt::Window), m_state(state), m_platform(platform), m_executablePath(std::move(executablePath))
{
    initHelpResources();
    setWindowTitle(QStringLiteral("Справка"));
    resize(ClientWidth, ClientHeight);
    setMinimumSize(520, 306);
    sWebBrowser1 = new THelpBrowser(this);
    // The view fills the window at every size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sWebBrowser1);
    sWebBrowser1->setFrameShape(QFrame::NoFrame);
    // The page's own colours, whatever the program's skin.
    QPalette page = sWebBrowser1->palette();
    page.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xDD));
    page.setColor(QPalette::Text, Qt::black);
    sWebBrowser1->setPalette(page);
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    sWebBrowser1->setFont(font);
    sWebBrowser1->beforeNavigate = [this](const std::string& a) { return sWebBrowser1BeforeNavigate2(a); };
    setFocusProxy(sWebBrowser1);

    sFloatButtons1 = new TFloatButtons(
        this, [this] { sFloatButtons1Items0Click(); }, [this] { sFloatButtons1Items1Click(); },
        [this] { sFloatButtons1Items2Click(); });
    ActionList1 = {{"Закрыть", keys::Escape, {keys::F1}, [this] { ЗакрытьExecute(); }}};
}

TForm2::~TForm2() = default;

void TForm2::toggle()
{
    if (isVisible()) {
        close();
        return;
    }
    showHelp();
}

void TForm2::showHelp()
{
    if (!m_placed) {
        // Centred in its monitor's work area the first time; afterwards
        // where and as large as the user left it.
        m_placed = true;
        const QWidget* main = m_state.TintoraForm;
        const Point near = main ? Point{main->x() + main->width() / 2, main->y() + main->height() / 2} : Point{0, 0};
        const Rect area = m_platform.screen->workAreaAt(near);
        move(std::max(area.left(), area.left() + (area.width - width()) / 2),
             std::max(area.top(), area.top() + (area.height - height()) / 2));
    }
    show();
    raise();
    activateWindow();
    if (sWebBrowser1->hasDocument()) activateView();
}

void TForm2::activateView() { sWebBrowser1->setFocus(Qt::OtherFocusReason); }


void TForm2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm2::FormShow()
{
    putInTopmostBandWhenShown(this, *m_platform.windows);
    const std::string error = sWebBrowser1->navigate(helpAddress(m_executablePath));
    // Shown all the same; the error box comes once the window is up.
    if (!error.empty() && m_state.TintoraForm) {
        QTimer::singleShot(0, this, [this, error] { m_state.TintoraForm->errorBox(error); });
    }
}

bool TForm2::sWebBrowser1BeforeNavigate2(const std::string& address)
{
    if (navigationFor(address) != Navigation::SystemBrowser) return false;
    m_platform.shell->openUrl(address);
    return true;
}

void TForm2::sFloatButtons1Items0Click() { sWebBrowser1->navigate(helpAddress(m_executablePath)); }

void TForm2::sFloatButtons1Items1Click()
{
    if (sWebBrowser1->isBackwardAvailable()) sWebBrowser1->backward();
}

void TForm2::sFloatButtons1Items2Click()
{
    if (sWebBrowser1->isForwardAvailable()) sWebBrowser1->forward();
}

void TForm2::ЗакрытьExecute()
{
    close();
    focusMainWindow();
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window.
    FormClose();
    event->accept();
}

void TForm2::FormClose() { focusMainWindow(); }

void TForm2::focusMainWindow()
{
    if (TTintoraForm* main = m_state.TintoraForm) {
        main->activateWindow();
        main->setFocus();
    }
}

bool TForm2::viewKeeps(const QKeyEvent& event) const
{
    if (focusWidget() != sWebBrowser1) return false;
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
    case Qt::Key_C: return mods == Qt::ControlModifier && sWebBrowser1->textCursor().hasSelection();
    case Qt::Key_A: return mods == Qt::ControlModifier;
    default: return false;
    }
}

void TForm2::FormKeyDown(const KeyChord& key) { inversionKeyDown(m_state, *m_platform.pointer, key.ctrl); }

void TForm2::FormKeyUp(const KeyChord&) { inversionKeyUp(m_state, *m_platform.pointer); }
