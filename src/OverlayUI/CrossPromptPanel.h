#pragma once
// A dimmed rectangle with a centred pill of text, shown over a target while
// a group is dragged by its bar. Floating, never focused, never takes the
// mouse.
#include <string>

#include "Platform/Geometry.h"

namespace tessaly {

class CrossPromptPanel {
public:
    virtual ~CrossPromptPanel() = default;

    // Sets the text (plain), frames the prompt on `over` (global top-left)
    // and orders it front.
    virtual void show(const std::string& text, const Rect& over) = 0;
    virtual void hide() = 0;
    virtual bool isShown() const = 0;
};

}  // namespace tessaly
