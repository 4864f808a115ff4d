#include "TessalyCore/HotkeyManager.h"

#include <utility>

namespace tessaly {

HotkeyManager::HotkeyManager(HotkeyService& service) : service_(service) {}

HotkeyManager::~HotkeyManager() { unregisterAll(); }

bool HotkeyManager::installHandlerIfNeeded() {
    if (handlerRef_) return true;
    handlerRef_ = service_.installHandler(lifetime_.guarded([this](HotKeyID id) { return dispatch(id); }));
    return handlerRef_.has_value();
}

bool HotkeyManager::registerHotkey(std::uint32_t keyCode, Modifiers modifiers, Action action) {
    if (!installHandlerIfNeeded()) return false;
    const std::optional<HotkeyService::HotKeyRef> ref =
        service_.registerHotKey(keyCode, modifiers.rawValue, HotKeyID{signature, nextID_});
    if (!ref) return false;
    actions_[nextID_] = std::move(action);
    hotkeyRefs_.push_back(*ref);
    ++nextID_;
    return true;
}

bool HotkeyManager::dispatch(HotKeyID id) {
    if (id.signature != signature) return false;
    const auto it = actions_.find(id.id);
    if (it == actions_.end()) return false;
    // A copy: the action may unregister everything while it runs.
    const Action action = it->second;
    if (action) action();
    return true;
}

void HotkeyManager::unregisterAll() {
    for (const HotkeyService::HotKeyRef ref : hotkeyRefs_) service_.unregisterHotKey(ref);
    hotkeyRefs_.clear();
    actions_.clear();
    if (handlerRef_) {
        service_.removeHandler(*handlerRef_);
        handlerRef_.reset();
    }
}

}  // namespace tessaly
