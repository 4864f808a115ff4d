#include "Platform/X11/X11ButtonTracker.h"

#include <algorithm>

namespace tessaly {

bool X11ButtonTracker::isLeft(std::uint32_t button) const {
    if (button == 0) return false;
    return button <= mapping_.size() ? mapping_[button - 1] == 1 : button == 1;
}

void X11ButtonTracker::mappingChanged() {
    ++mappingsToCome_;
    publish();
}

bool X11ButtonTracker::setMapping(std::vector<std::uint8_t> mapping) {
    mapping_ = std::move(mapping);
    if (mappingsToCome_ > 0) --mappingsToCome_;
    if (!anyHeld()) {
        publish();
        return true;
    }
    // A held button's release now means another logical button.
    known_ = false;
    publish();
    return false;
}

void X11ButtonTracker::seed(bool leftDown) {
    held_.clear();
    seededDown_ = leftDown;
    known_ = true;
    publish();
}

void X11ButtonTracker::pressed(std::uint16_t device, std::uint32_t button) {
    held_[device].insert(button);
    publish();
}

bool X11ButtonTracker::released(std::uint16_t device, std::uint32_t button) {
    if (const auto it = held_.find(device); it != held_.end()) {
        it->second.erase(button);
        if (it->second.empty()) held_.erase(it);
    }
    if (seededDown_ && (mappingsToCome_ > 0 || isLeft(button))) {
        // The seed said held without saying by which device: another one
        // may still hold it. (While the mapping is on its way, any button
        // may be the left one.)
        seededDown_ = false;
        known_ = false;
        publish();
        return false;
    }
    publish();
    return true;
}

bool X11ButtonTracker::hierarchyChanged() {
    if (!anyHeld()) return true;
    known_ = false;
    publish();
    return false;
}

void X11ButtonTracker::lost() {
    known_ = false;
    mapping_.clear();
    held_.clear();
    seededDown_ = false;
    mappingsToCome_ = 0;
    publish();
}

void X11ButtonTracker::publish() {
    if (!known_ || mappingsToCome_ > 0) {
        state_.setLeft(ButtonState::unknown);
        return;
    }
    const bool down = seededDown_ || std::any_of(held_.begin(), held_.end(), [&](const auto& device) {
                          return std::any_of(device.second.begin(), device.second.end(),
                                             [&](std::uint32_t button) { return isLeft(button); });
                      });
    state_.setLeft(down ? ButtonState::down : ButtonState::up);
}

}  // namespace tessaly
