#include "OverlayUI/Qt/QtGroupNameDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "Platform/Qt/QtWindowActivation.h"
#include "TessalyCore/DisplayText.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

// A label that shows its text as it is (never as markup).
QLabel* plainLabel(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText(QString::fromStdString(text));
    return label;
}

}  // namespace

QtGroupNameDialog::QtGroupNameDialog(std::function<void(QWidget&)> bringToFront)
    : bringToFront_(bringToFront ? std::move(bringToFront)
                                 : [](QWidget& window) { QtWindowActivation::bringToFront(window); }) {
    auto dialog = std::make_unique<QDialog>();
    dialog->setModal(false);
    auto* layout = new QVBoxLayout(dialog.get());
    message_ = plainLabel("", dialog.get());
    QFont bold = message_->font();
    bold.setBold(true);
    message_->setFont(bold);
    hint_ = plainLabel("", dialog.get());
    field_ = new QLineEdit(dialog.get());
    field_->setFixedWidth(fieldWidth);
    field_->setPlaceholderText(QString::fromStdString(L10n::groupNamePlaceholder()));
    auto* buttons = new QDialogButtonBox(dialog.get());
    ok_ = buttons->addButton(QString::fromStdString(L10n::ok()), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QString::fromStdString(L10n::cancel()), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    layout->addWidget(message_);
    layout->addWidget(hint_);
    layout->addWidget(field_);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &context_, [this] { finish(true); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &context_, [this] { finish(false); });
    // Closing the window (Escape, the window manager's close) cancels.
    QObject::connect(dialog.get(), &QDialog::rejected, &context_, [this] { finish(false); });
    dialog_ = dialog.release();  // deleted by this object, later (it may be answering right now)
}

QtGroupNameDialog::~QtGroupNameDialog() {
    if (auto completion = std::exchange(completion_, nullptr)) completion(GroupNameEditOutcome::cancelled());
    if (dialog_) {
        dialog_->hide();
        if (QCoreApplication::instance()) dialog_->deleteLater();
        else delete dialog_.data();
    }
}

void QtGroupNameDialog::open(const std::optional<std::string>& currentName, Completion completion) {
    if (!dialog_) {
        if (completion) completion(GroupNameEditOutcome::cancelled());
        return;
    }
    if (isOpen()) {
        // Already asking: the first completion stays; the dialog comes forward.
        bringToFront_(*dialog_);
        return;
    }
    completion_ = std::move(completion);
    const bool renaming = currentName.has_value();
    const QString title = QString::fromStdString(renaming ? L10n::renameGroupDialogTitle() : L10n::nameGroupDialogTitle());
    dialog_->setWindowTitle(title);
    message_->setText(title);
    hint_->setText(QString::fromStdString(renaming ? L10n::renameGroupDialogHint() : L10n::nameGroupDialogHint()));
    field_->setText(currentName ? QString::fromStdString(DisplayText::sanitized(*currentName)) : QString());
    field_->selectAll();
    // To the front with the keyboard focus, also past the window manager's
    // focus-stealing prevention.
    bringToFront_(*dialog_);
    field_->setFocus(Qt::OtherFocusReason);
}

bool QtGroupNameDialog::isOpen() const { return dialog_ && dialog_->isVisible(); }

void QtGroupNameDialog::finish(bool committed) {
    auto completion = std::exchange(completion_, nullptr);
    const std::string entered = field_->text().toStdString();
    if (dialog_ && dialog_->isVisible()) dialog_->hide();
    // The completion may drop this object: nothing of it is touched afterwards.
    if (completion) completion(GroupNameEditOutcome::resolve(entered, committed));
}

}  // namespace tessaly
