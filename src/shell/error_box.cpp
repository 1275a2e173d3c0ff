#include "shell/error_box.h"

#include <QMessageBox>

#include "shell/commands.h"

void showErrorBox(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tintora"),
                    QString::fromStdString(tintora::errorBoxText(message)), QMessageBox::Ok, parent);
    box.exec();
}
