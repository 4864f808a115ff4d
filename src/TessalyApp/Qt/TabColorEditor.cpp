#include "TessalyApp/Qt/TabColorEditor.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "TessalyApp/Qt/ColorPaletteField.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

TabColorEditor::TabColorEditor(const std::string& title, const TabColor& color, const TabColor& defaultColor,
                               std::vector<ColorPreset> userPresets, SettingsColorPanel* panel,
                               std::function<void(const TabColor&)> onSave, QWidget* parent)
    : SettingsSheet(title, 340, parent),
      color_(color),
      defaultColor_(defaultColor),
      userPresets_(std::move(userPresets)),
      panel_(panel),
      reset_(new QPushButton(toQString(L10n::resetToDefault()), this)) {
    makeField();
    buttonRow().addWidget(reset_);
    addButtons(L10n::save(), [this, onSave = std::move(onSave)] {
        if (onSave) onSave(color_);
    });
    connect(reset_, &QPushButton::clicked, this, [this] {
        color_ = defaultColor_;
        // A new field, whose text and picker start again from the default.
        makeField();
        refresh();
    });
    refresh();
}

void TabColorEditor::makeField() {
    auto* field = new ColorPaletteField(L10n::color(), userPresets_, color_, panel_, this);
    field->onSelectionChanged = [this](const TabColor& color) {
        color_ = color;
        refresh();
    };
    field->onValidityChanged = [this](bool valid) {
        colorValid_ = valid;
        refresh();
    };
    if (field_) {
        // The layout hands back the old field's item, ours to free.
        std::unique_ptr<QLayoutItem> replaced(rows().replaceWidget(field_, field));
        field_->deleteLater();
        field_->hide();
        colorValid_ = field->isValid();
    } else {
        rows().addWidget(field);
    }
    field_ = field;
}

void TabColorEditor::refresh() {
    reset_->setEnabled(color_ != defaultColor_);
    confirmButton().setEnabled(colorValid_);
}

}  // namespace tessaly
