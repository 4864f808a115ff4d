#pragma once
// The settings window's answers to export and import: Qt's own (non-native)
// file dialogs for JSON files and message boxes, each shown over the
// settings window without blocking (open(), not exec()), after bringing the
// window forward. An answer that arrives after the window is gone is dropped.
#include <QPointer>
#include <QWidget>

#include <functional>

#include "TessalyApp/SettingsModel.h"

namespace tessaly {

class SettingsFileDialogs : public SettingsFilePrompts {
public:
    // `window` is the settings window; `activate` brings it forward (empty: raise it).
    explicit SettingsFileDialogs(QWidget& window, std::function<void()> activate = nullptr);

    void chooseExportFile(const std::string& fileName,
                          std::function<void(std::optional<std::filesystem::path>)> done) override;
    void chooseImportFile(std::function<void(std::optional<std::filesystem::path>)> done) override;
    void confirm(const std::string& title, const std::string& text, const std::string& confirmButton,
                 const std::string& cancelButton, std::function<void(bool)> done) override;
    void showAlert(AlertStyle style, const std::string& title, const std::string& text) override;

private:
    void activate();
    void chooseFile(bool saving, const std::string& fileName,
                    std::function<void(std::optional<std::filesystem::path>)> done);

    QPointer<QWidget> window_;
    std::function<void()> activate_;
};

}  // namespace tessaly
