#pragma once
// The sheet that edits one colour (the tab badges' colour): the colour
// field, "Reset to Default" (off while the colour is the default), Cancel
// and Save (off while the field's text is not a colour).
#include <functional>
#include <string>
#include <vector>

#include "TessalyApp/Qt/SettingsSheet.h"
#include "TessalyCore/ColorPreset.h"

class QPushButton;

namespace tessaly {

class ColorPaletteField;
class SettingsColorPanel;

class TabColorEditor : public SettingsSheet {
    Q_OBJECT
public:
    TabColorEditor(const std::string& title, const TabColor& color, const TabColor& defaultColor,
                   std::vector<ColorPreset> userPresets, SettingsColorPanel* panel,
                   std::function<void(const TabColor&)> onSave, QWidget* parent);

    const TabColor& color() const { return color_; }
    ColorPaletteField& field() { return *field_; }
    QPushButton& resetButton() { return *reset_; }

private:
    void makeField();
    void refresh();

    TabColor color_;
    TabColor defaultColor_;
    std::vector<ColorPreset> userPresets_;
    SettingsColorPanel* panel_;
    bool colorValid_ = true;
    ColorPaletteField* field_ = nullptr;
    QPushButton* reset_;
};

}  // namespace tessaly
