#include "platform/wayland/wayland_desktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace tintora::wayland {

std::string WaylandClipboard::setText(const std::string& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return "no clipboard";
    clipboard->setText(QString::fromStdString(text), QClipboard::Clipboard);
    return {};
}

void WaylandShell::openUrl(const std::string& address)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::TolerantMode));
}

} // namespace tintora::wayland
