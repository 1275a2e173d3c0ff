#include "widgets/error_box.h"

#include <QMessageBox>

#include "core/error_text.h"

void showErrorBox(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tintora"),
                    QString::fromStdString(tintora::errorBoxText(message)), QMessageBox::Ok, parent);
    box.exec();
}
