#pragma once
// The colour control of the settings window's colour sheets: swatches of the
// built-in presets and of the user's presets, a button that opens the shared
// colour panel, and a "#RRGGBB" field, all kept in step. The sheet learns
// the colour and whether the typed text is a colour through two callbacks.
#include <QWidget>

#include <functional>
#include <vector>

#include "TessalyApp/ColorPaletteFieldState.h"
#include "TessalyCore/ColorPreset.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class ColorSwatch;
class SettingsColorPanel;

class ColorPaletteField : public QWidget {
    Q_OBJECT
public:
    // `panel` may be null (the custom colour button is then disabled).
    ColorPaletteField(const std::string& title, std::vector<ColorPreset> userPresets, const TabColor& selection,
                      SettingsColorPanel* panel, QWidget* parent = nullptr);

    // Every colour the user picks.
    std::function<void(const TabColor&)> onSelectionChanged;
    // The text's validity, once when shown and after every edit.
    std::function<void(bool)> onValidityChanged;

    const TabColor& selection() const { return state_.selection(); }
    bool isValid() const { return state_.isValid(); }
    // A colour chosen by the sheet itself (a reset).
    void select(const TabColor& color);

    // For tests: the swatches in order (built-ins first), the hex field, the hint.
    const std::vector<QAbstractButton*>& swatchButtons() const { return swatches_; }
    bool isSwatchMarked(std::size_t index) const;
    QLineEdit& hexField() { return *hex_; }
    QLabel& hexHint() { return *hint_; }
    QPushButton& customColorButton() { return *custom_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void addSwatches(const std::string& caption, const std::vector<ColorPreset>& presets);
    void pick(const TabColor& color);
    void refresh();

    ColorPaletteFieldState state_;
    SettingsColorPanel* panel_;
    std::vector<ColorPreset> presets_;  // built-ins, then the user's
    std::vector<QAbstractButton*> swatches_;
    ColorSwatch* preview_;
    QPushButton* custom_;
    QLineEdit* hex_;
    QLabel* hint_;
    bool reportedOnce_ = false;
};

}  // namespace tessaly
