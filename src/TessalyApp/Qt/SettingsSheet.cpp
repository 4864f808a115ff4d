#include "TessalyApp/Qt/SettingsSheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

SettingsSheet::SettingsSheet(const std::string& headline, int width, QWidget* parent)
    : QDialog(parent), rows_(new QVBoxLayout()), buttons_(new QHBoxLayout()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    setWindowTitle(toQString(headline));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->setSpacing(12);
    auto* title = new QLabel(toQString(headline), this);
    title->setTextFormat(Qt::PlainText);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    outer->addWidget(title);
    rows_->setSpacing(12);
    outer->addLayout(rows_);
    outer->addLayout(buttons_);
    setFixedWidth(width);
}

void SettingsSheet::addButtons(const std::string& confirmTitle, std::function<void()> save) {
    buttons_->addStretch(1);
    cancel_ = new QPushButton(toQString(L10n::cancel()), this);
    confirm_ = new QPushButton(toQString(confirmTitle), this);
    confirm_->setDefault(true);
    confirm_->setAutoDefault(true);
    cancel_->setAutoDefault(false);
    buttons_->addWidget(cancel_);
    buttons_->addWidget(confirm_);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(confirm_, &QPushButton::clicked, this, [this, save = std::move(save)] {
        if (!confirm_->isEnabled()) return;
        save();
        accept();
    });
}

void SettingsSheet::present() {
    // Wider where the buttons' titles need it (a long "Reset to Default"
    // beside Cancel and Save), never cutting them.
    const QMargins margins = layout()->contentsMargins();
    const int buttons = buttons_->minimumSize().width() + margins.left() + margins.right();
    if (buttons > width()) setFixedWidth(buttons);
    open();
}

}  // namespace tessaly
