#pragma once
// The frame of the settings window's editor sheets: a window-modal dialog of
// a fixed width (wider where its buttons need it) with a headline, the editor's rows, and a button row whose
// Cancel (Escape) closes it and whose confirm button (Return) runs the
// editor's save and closes it. The sheet deletes itself once closed; it
// holds no settings.
#include <QDialog>

#include <functional>
#include <string>

class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

namespace tessaly {

class SettingsSheet : public QDialog {
    Q_OBJECT
public:
    SettingsSheet(const std::string& headline, int width, QWidget* parent);

    QVBoxLayout& rows() { return *rows_; }
    // The button row: anything added before the buttons sits at its left.
    QHBoxLayout& buttonRow() { return *buttons_; }
    // Adds Cancel and the confirm button (titled `confirmTitle`) that calls
    // `save` and then closes the sheet.
    void addButtons(const std::string& confirmTitle, std::function<void()> save);
    QPushButton& confirmButton() { return *confirm_; }
    QPushButton& cancelButton() { return *cancel_; }
    // Shows the sheet over its window without blocking (the answer comes
    // through the editor's callback).
    void present();

private:
    QVBoxLayout* rows_;
    QHBoxLayout* buttons_;
    QPushButton* confirm_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tessaly
