#pragma once

#include <QTextBrowser>
#include <QWidget>
#include <functional>
#include <string>

#include "core/commands.h"
#include "platform/platform.h"
#include "widgets/main_window_link.h"

class FloatingButtons;

// The help page's view: an HTML view whose every navigation, the program's
// own and a click on a link alike, passes the before-navigate rule first.
// The help page's "res://" address is served from the program's resources.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent);

    // Where the page at a "res://" address comes from (":/HELP" normally).
    QString helpResource = QStringLiteral(":/HELP");
    // The running executable: its help address is known before any URL
    // parsing, so that no character of its path ("#", "?", "%") is taken
    // for a part of a URL.
    std::string executablePath;

    // Asks the before-navigate hook, then loads the address here. Returns
    // an error text when the page cannot be loaded, empty otherwise.
    std::string navigate(const std::string& address);
    bool hasDocument() const { return m_hasDocument; }

    // Before every navigation: returns true to cancel it.
    std::function<bool(const std::string& address)> beforeNavigate;

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    void linkClicked(const QUrl& link);

    bool m_hasDocument = false;
    std::string m_loadError;
};

// The help window's widgets.
struct HelpWindowUi {
    HelpBrowser* browser = nullptr;
    FloatingButtons* floatingButtons = nullptr; // over the title bar: home, back, forward
};

// The help window: an ordinary resizable top-level window without an owner.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 614;
    static constexpr int ClientHeight = 522;
    // The least size of the whole window, frame included.
    static constexpr int MinimumWidth = 520;
    static constexpr int MinimumHeight = 306;

    HelpWindow(tintora::Platform& platform, MainWindowLink& mainWindow, std::string executablePath);
    ~HelpWindow() override;

    // Runs a command of the window's own key bindings (Esc, F1: close).
    void runCommand(tintora::Command command);

    // F1 in the main window: closes the window if shown, shows it otherwise.
    void toggle();
    // The "F1" button: shows the window, or only brings it to the front.
    void showHelp();
    void closeWindow();

    void goHome();
    void goBack();
    void goForward();
    bool divertToSystemBrowser(const std::string& address);

    // Keys the page keeps: scrolling, moving through and following links,
    // and copying selected text.
    bool viewKeeps(const QKeyEvent& event) const;

    const HelpWindowUi& ui() const { return m_ui; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void fitMinimumSizeToFrame();
    void loadHelpPage();
    void activateView();

    tintora::Platform& m_platform;
    MainWindowLink& m_mainWindow;
    std::string m_executablePath;
    HelpWindowUi m_ui;
    bool m_placed = false;
};
