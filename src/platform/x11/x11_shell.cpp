#include "platform/x11/x11_shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace tintora::x11 {

void X11Shell::openUrl(const std::string& address)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::TolerantMode));
}

} // namespace tintora::x11
