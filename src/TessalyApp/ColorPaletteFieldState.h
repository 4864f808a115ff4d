#pragma once
// What the colour field of the settings window's colour sheets keeps in step:
// the selected colour, the text of its "#RRGGBB" field and the colour picker.
//
// A swatch click, a picker colour or a change made by the sheet selects a
// colour; unless the text already stands for exactly that colour, the text
// is rewritten as its "#RRGGBB" form and the selection becomes the colour
// that text stands for (each channel a whole multiple of 1/255). A typed
// text is never reformatted: a valid one selects its colour, an invalid one
// keeps the last good selection and makes the field invalid.
#include <string>

#include "TessalyCore/TabColor.h"

namespace tessaly {

class ColorPaletteFieldState {
public:
    explicit ColorPaletteFieldState(const TabColor& selection);

    const TabColor& selection() const { return selection_; }
    // The colour the picker shows.
    const TabColor& customColor() const { return customColor_; }
    const std::string& hexText() const { return hexText_; }
    // Whether the text is a colour; the sheets save only then.
    bool isValid() const;

    // The user edited the text.
    void setHexText(std::string text);
    // A swatch, the picker or the sheet chose a colour.
    void select(const TabColor& color);

    // Whether a swatch of this colour carries the selection mark: the two
    // colours have the same "#RRGGBB" form (a swatch click rounds the
    // selection to that form, so exact equality would lose the mark).
    bool isMarked(const TabColor& swatch) const;

private:
    TabColor selection_;
    TabColor customColor_;
    std::string hexText_;
};

}  // namespace tessaly
