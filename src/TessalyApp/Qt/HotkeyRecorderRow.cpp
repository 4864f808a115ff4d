#include "TessalyApp/Qt/HotkeyRecorderRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/KeyComboDisplay.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

HotkeyRecorderRow::HotkeyRecorderRow(const std::string& title, HotkeyRecorder::Target target, SettingsModel& model,
                                     QWidget* parent)
    : QWidget(parent),
      target_(target),
      model_(model),
      record_(new QPushButton(this)),
      clear_(new QToolButton(this)),
      hint_(settingsHint(L10n::hotkeyRuleHint(), HintStyle::warning, this)) {
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(toQString(title), this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    outer->addWidget(label, 1, Qt::AlignTop);

    auto* content = new QVBoxLayout();
    content->setSpacing(4);
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(6);
    // Wide enough for the longest text the button shows, so it does not jump.
    const QFontMetrics metrics(record_->font());
    const KeyCombo everyModifier{HotkeyKeyCode::rightArrow, HotkeyModifiers::control | HotkeyModifiers::option |
                                                                HotkeyModifiers::shift | HotkeyModifiers::command};
    int width = 0;
    for (const std::string& text : {L10n::hotkeyRecordPrompt(), L10n::hotkeyOff(), displayString(everyModifier)}) {
        width = std::max(width, metrics.horizontalAdvance(toQString(text)));
    }
    record_->setMinimumWidth(width + 24);
    buttons->addWidget(record_);
    clear_->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
    clear_->setAutoRaise(true);
    clear_->setAccessibleName(toQString(L10n::hotkeyClearHelp()));
    QSizePolicy keepPlace = clear_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    clear_->setSizePolicy(keepPlace);
    buttons->addWidget(clear_);
    content->addLayout(buttons);
    hint_->setAlignment(Qt::AlignRight);
    content->addWidget(hint_);
    outer->addLayout(content);

    connect(record_, &QPushButton::clicked, this, [this] {
        HotkeyRecorder& recorder = model_.hotkeyRecorder();
        if (recorder.target() == target_) recorder.end();
        else recorder.begin(target_);
    });
    connect(clear_, &QToolButton::clicked, this, [this] {
        HotkeyRecorder& recorder = model_.hotkeyRecorder();
        recorder.end();
        if (recorder.onCapture) recorder.onCapture(target_, std::nullopt);
    });
    watch_ = model_.observe([this] { refresh(); });
    refresh();
}

bool HotkeyRecorderRow::isRecordingThis() const { return model_.hotkeyRecorder().target() == target_; }

bool HotkeyRecorderRow::clearShown() const { return model_.hotkey(target_).has_value() && !isRecordingThis(); }

void HotkeyRecorderRow::refresh() {
    const auto combo = model_.hotkey(target_);
    QPalette palette = record_->palette();
    palette.setColor(QPalette::ButtonText, QWidget::palette().color(QPalette::ButtonText));
    if (isRecordingThis()) {
        record_->setText(toQString(L10n::hotkeyRecordPrompt()));
        palette.setColor(QPalette::ButtonText, QWidget::palette().color(QPalette::Highlight));
    } else if (!combo) {
        record_->setText(toQString(L10n::hotkeyOff()));
        QColor quiet = palette.color(QPalette::ButtonText);
        quiet.setAlphaF(0.6);
        palette.setColor(QPalette::ButtonText, quiet);
    } else {
        record_->setText(toQString(displayString(*combo)));
    }
    record_->setPalette(palette);
    const bool shown = clearShown();
    clear_->setVisible(shown);
    clear_->setEnabled(shown);
    clear_->setToolTip(shown ? toQString(L10n::hotkeyClearHelp()) : QString());
    hint_->setVisible(isRecordingThis() && model_.hotkeyRecorder().showsRuleHint());
}

}  // namespace tessaly
