#pragma once
// The window-server number behind an accessibility window element, through
// a private function found at run time. Without that function every lookup
// answers absent.
#include <memory>
#include <mutex>
#include <optional>

#include "Platform/Accessibility.h"
#include "Platform/PrivateWindowServer.h"
#include "Platform/Types.h"

namespace tessaly {

class AXPrivate {
public:
    explicit AXPrivate(std::shared_ptr<PrivateSymbols> symbols);

    // The window number of `element`; absent when the function is missing,
    // fails or writes 0. Thread-safe.
    std::optional<WindowID> windowID(const AXElement& element) const;
    // Whether the private function is there (looked up on first use).
    bool hasGetWindow() const;

private:
    const AXGetWindowFunction& getWindow() const;

    std::shared_ptr<PrivateSymbols> symbols_;
    mutable std::once_flag lookedUp_;
    mutable AXGetWindowFunction getWindow_;
};

}  // namespace tessaly
