#include "TessalyApp/Qt/ColorPresetEditor.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "TessalyApp/Qt/ColorPaletteField.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyApp/SettingsModel.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

ColorPresetEditor::ColorPresetEditor(const std::optional<ColorPreset>& preset, std::vector<ColorPreset> userPresets,
                                     SettingsColorPanel* panel,
                                     std::function<void(const std::string&, const TabColor&)> onSave, QWidget* parent)
    : SettingsSheet(preset ? L10n::editPresetTitle() : L10n::addPresetTitle(), 340, parent),
      name_(new QLineEdit(this)),
      field_(nullptr),
      color_(preset ? preset->color : TabColor::defaultAccent) {
    name_->setPlaceholderText(toQString(L10n::presetNamePlaceholder()));
    if (preset) name_->setText(toQString(preset->name));
    rows().addWidget(name_);
    field_ = new ColorPaletteField(L10n::color(), std::move(userPresets), color_, panel, this);
    rows().addWidget(field_);
    field_->onSelectionChanged = [this](const TabColor& color) { color_ = color; };
    field_->onValidityChanged = [this](bool valid) {
        colorValid_ = valid;
        refresh();
    };
    addButtons(preset ? L10n::save() : L10n::add(), [this, onSave = std::move(onSave)] {
        if (onSave) onSave(toStdString(name_->text()), color_);
    });
    connect(name_, &QLineEdit::textChanged, this, [this] { refresh(); });
    refresh();
}

void ColorPresetEditor::refresh() {
    // The same test the model makes when it stores the name.
    const bool named = SettingsModel::normalizedPresetName(toStdString(name_->text())).has_value();
    confirmButton().setEnabled(named && colorValid_);
}

}  // namespace tessaly
