#include "Platform/KeyboardLayout.h"

#include <mutex>
#include <utility>

namespace tessaly {

namespace {
std::mutex layoutMutex;
std::shared_ptr<const KeyboardLayout> installedLayout;
}  // namespace

std::shared_ptr<const KeyboardLayout> KeyboardLayout::current() {
    std::lock_guard lock(layoutMutex);
    return installedLayout;
}

void KeyboardLayout::setCurrent(std::shared_ptr<const KeyboardLayout> layout) {
    std::lock_guard lock(layoutMutex);
    installedLayout = std::move(layout);
}

}  // namespace tessaly
