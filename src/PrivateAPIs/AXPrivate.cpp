#include "PrivateAPIs/AXPrivate.h"

#include <utility>

namespace tessaly {

AXPrivate::AXPrivate(std::shared_ptr<PrivateSymbols> symbols) : symbols_(std::move(symbols)) {}

const AXGetWindowFunction& AXPrivate::getWindow() const {
    std::call_once(lookedUp_, [this] {
        if (symbols_) getWindow_ = symbols_->axGetWindow();
    });
    return getWindow_;
}

bool AXPrivate::hasGetWindow() const { return static_cast<bool>(getWindow()); }

std::optional<WindowID> AXPrivate::windowID(const AXElement& element) const {
    const AXGetWindowFunction& function = getWindow();
    if (!function) return std::nullopt;
    WindowID number = 0;
    if (function(element, &number) != AXError::success || number == 0) return std::nullopt;
    return number;
}

}  // namespace tessaly
