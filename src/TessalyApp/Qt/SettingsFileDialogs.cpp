#include "TessalyApp/Qt/SettingsFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextDocument>

#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

SettingsFileDialogs::SettingsFileDialogs(QWidget& window, std::function<void()> activate)
    : window_(&window), activate_(std::move(activate)) {}

void SettingsFileDialogs::activate() {
    if (activate_) activate_();
    else if (window_) window_->raise();
}

void SettingsFileDialogs::chooseFile(bool saving, const std::string& fileName,
                                     std::function<void(std::optional<std::filesystem::path>)> done) {
    if (!window_) return;
    activate();
    auto* dialog = new QFileDialog(window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setWindowTitle(toQString(saving ? L10n::exportSettings() : L10n::importSettings()));
    dialog->setNameFilter(QStringLiteral("JSON (*.json)"));
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    dialog->setDirectory(folder);
    if (saving) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(QStringLiteral("json"));
        dialog->selectFile(toQString(fileName));
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [done, answered](const QString& file) {
        *answered = true;
        done(std::filesystem::path(file.toStdString()));
    });
    QObject::connect(dialog, &QFileDialog::finished, dialog, [done, answered](int) {
        if (!*answered) done(std::nullopt);
    });
    dialog->open();
}

void SettingsFileDialogs::chooseExportFile(const std::string& fileName,
                                           std::function<void(std::optional<std::filesystem::path>)> done) {
    chooseFile(true, fileName, std::move(done));
}

void SettingsFileDialogs::chooseImportFile(std::function<void(std::optional<std::filesystem::path>)> done) {
    chooseFile(false, {}, std::move(done));
}

namespace {

// A message box over `parent` with the message `title` and, below it, `text`
// (both shown as they are, whatever characters a file name brings).
QMessageBox* messageBox(QMessageBox::Icon icon, const std::string& title, const std::string& text, QWidget* parent) {
    auto* box = new QMessageBox(icon, toQString(L10n::settingsWindowTitle()), toQString(title), QMessageBox::NoButton,
                                parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    if (!text.empty()) box->setInformativeText(Qt::convertFromPlainText(toQString(text)));
    return box;
}

}  // namespace

void SettingsFileDialogs::confirm(const std::string& title, const std::string& text, const std::string& confirmButton,
                                  const std::string& cancelButton, std::function<void(bool)> done) {
    if (!window_) return;
    activate();
    QMessageBox* box = messageBox(QMessageBox::Warning, title, text, window_);
    QPushButton* yes = box->addButton(toQString(confirmButton), QMessageBox::AcceptRole);
    box->addButton(toQString(cancelButton), QMessageBox::RejectRole);
    box->setDefaultButton(yes);
    QObject::connect(box, &QMessageBox::finished, box, [box, yes, done](int) { done(box->clickedButton() == yes); });
    box->open();
}

void SettingsFileDialogs::showAlert(AlertStyle style, const std::string& title, const std::string& text) {
    if (!window_) return;
    activate();
    QMessageBox* box =
        messageBox(style == AlertStyle::warning ? QMessageBox::Warning : QMessageBox::Information, title, text, window_);
    box->addButton(QMessageBox::Ok);
    box->open();
}

}  // namespace tessaly
