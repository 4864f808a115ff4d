#pragma once
// The sheet that adds a colour preset or edits one: a name and a colour. Add
// (or Save) is off while the name is blank or the colour text is not a
// colour; the name goes to onSave as typed (the model trims it).
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TessalyApp/Qt/SettingsSheet.h"
#include "TessalyCore/ColorPreset.h"

class QLineEdit;

namespace tessaly {

class ColorPaletteField;
class SettingsColorPanel;

class ColorPresetEditor : public SettingsSheet {
    Q_OBJECT
public:
    ColorPresetEditor(const std::optional<ColorPreset>& preset, std::vector<ColorPreset> userPresets,
                      SettingsColorPanel* panel, std::function<void(const std::string&, const TabColor&)> onSave,
                      QWidget* parent);

    QLineEdit& nameField() { return *name_; }
    ColorPaletteField& field() { return *field_; }

private:
    void refresh();

    QLineEdit* name_;
    ColorPaletteField* field_;
    TabColor color_;
    bool colorValid_ = true;
};

}  // namespace tessaly
