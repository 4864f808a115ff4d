#include "TessalyApp/Qt/MemberLossPrompt.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

#include "Platform/Qt/QtWindowActivation.h"

namespace tessaly {

MemberLossPrompt::MemberLossPrompt() = default;

MemberLossPrompt::~MemberLossPrompt() { answer(false); }

void MemberLossPrompt::answer(bool goAhead) {
    if (auto pending = std::exchange(pending_, nullptr)) pending(goAhead);
}

void MemberLossPrompt::ask(const MemberLossAlert& alert, std::function<void(bool)> onAnswer) {
    answer(false);
    if (box_) {
        QObject::disconnect(box_.get(), &QMessageBox::finished, nullptr, nullptr);
        box_->hide();
        // The previous box may be the sender of the signal that led here.
        box_.release()->deleteLater();
    }
    pending_ = std::move(onAnswer);

    box_ = std::make_unique<QMessageBox>(QMessageBox::Warning, QString::fromStdString(alert.title),
                                         QString::fromStdString(alert.title));
    box_->setTextFormat(Qt::PlainText);
    box_->setInformativeText(QString::fromStdString(alert.body));
    QPushButton* goAhead = box_->addButton(QString::fromStdString(alert.continueTitle), QMessageBox::AcceptRole);
    QPushButton* cancel = box_->addButton(QString::fromStdString(alert.cancelTitle), QMessageBox::RejectRole);
    box_->setDefaultButton(goAhead);
    box_->setEscapeButton(cancel);
    QMessageBox* box = box_.get();
    QObject::connect(box, &QMessageBox::finished, box, [this, box, goAhead] {
        answer(box->clickedButton() == goAhead);
    });
    box_->open();
    QtWindowActivation::bringToFront(*box_);
}

}  // namespace tessaly
