#pragma once
// The group-name dialog in Qt: a small non-modal window asking for the
// group's name ("Name Group" or "Rename Group" with its hint), a text field
// holding the current name, OK and Cancel. It comes to the front with the
// keyboard focus in the field; answering (or closing it, or dropping it
// unanswered) calls the completion once.
#include <QDialog>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>

#include "OverlayUI/GroupNameDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class QtGroupNameDialog final : public GroupNameDialog {
public:
    static constexpr int fieldWidth = 260;

    // `bringToFront` shows the dialog in front with the focus; absent: the
    // platform's activation (which wins against focus-stealing prevention).
    explicit QtGroupNameDialog(std::function<void(QWidget&)> bringToFront = nullptr);
    ~QtGroupNameDialog() override;
    QtGroupNameDialog(const QtGroupNameDialog&) = delete;
    QtGroupNameDialog& operator=(const QtGroupNameDialog&) = delete;

    void open(const std::optional<std::string>& currentName, Completion completion) override;
    bool isOpen() const override;

    // The parts (for tests).
    QDialog* window() const { return dialog_.data(); }
    QLabel& messageLabel() const { return *message_; }
    QLabel& hintLabel() const { return *hint_; }
    QLineEdit& field() const { return *field_; }
    QPushButton& okButton() const { return *ok_; }
    QPushButton& cancelButton() const { return *cancel_; }

private:
    void finish(bool committed);

    QPointer<QDialog> dialog_;
    QLabel* message_ = nullptr;
    QLabel* hint_ = nullptr;
    QLineEdit* field_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    Completion completion_;
    std::function<void(QWidget&)> bringToFront_;
    // The receiver of the dialog's signals: they stop reaching this object
    // when it goes, even while the dialog waits for its deferred deletion.
    QObject context_;
};

}  // namespace tessaly
