#include "TessalyApp/Qt/QtAppShell.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tessaly {

void QtAppShell::showAlert(const std::string& title, const std::string& body) {
    alert_ = std::make_unique<QMessageBox>(QMessageBox::Warning, QString::fromStdString(title),
                                           QString::fromStdString(body), QMessageBox::Ok);
    alert_->setTextFormat(Qt::PlainText);
    alert_->open();
}

void QtAppShell::terminate(int exitCode) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}

}  // namespace tessaly
