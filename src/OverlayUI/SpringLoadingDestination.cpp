#include "OverlayUI/SpringLoadingDestination.h"

#include <string>
#include <utility>

#include "OverlayUI/SpringLoadingDragTypes.h"
#include "TessalyCore/ReconcileLog.h"

namespace tessaly {

namespace {

const char* boolText(bool value) { return value ? "true" : "false"; }

void trace(const std::string& message) {
    if (ReconcileLog::isEnabled()) ReconcileLog::trace(LogCategory::spring, message);
}

std::string idText(const std::optional<WindowID>& window) { return std::to_string(window.value_or(0)); }

}  // namespace

SpringLoadingDestination::SpringLoadingDestination(std::shared_ptr<MainExecutor> executor)
    : executor_(std::move(executor)) {}

bool SpringLoadingDestination::draggingEntered(const std::vector<std::string>& offeredTypes) {
    // A new drag starts from nothing, whatever the last one left.
    clear();
    tracking_ = SpringLoadingDragTypes::springs(offeredTypes);
    return tracking_;
}

bool SpringLoadingDestination::draggingUpdated(const std::optional<HoveredTab>& tab) {
    if (!tracking_) return false;
    const bool sameTarget = tab && springTarget_ == tab->windowID;
    if (!sameTarget) {
        if (!tab && !springTarget_) return false;
        trace("target id=" + std::to_string(tab ? tab->windowID : 0) +
              " active=" + boolText(tab && tab->isActive) + " suspended=" + boolText(tab && tab->isSuspended));
        springTarget_ = tab ? std::optional<WindowID>(tab->windowID) : std::nullopt;
        lastSprungWindow_.reset();
        // The delay starts again for the new target.
        delayTimer_.cancel();
        springHighlight_ = Highlight::none;
        if (onHighlightChanged) onHighlightChanged();
        if (!tab) return false;
    }
    const bool enabled = !tab->isActive && !tab->isSuspended && lastSprungWindow_ != tab->windowID;
    if (!enabled) {
        delayTimer_.cancel();
        setHighlight(Highlight::none);
        return false;
    }
    setHighlight(Highlight::standard);
    if (!delayTimer_) {
        if (!executor_) {
            activated();
            return true;
        }
        delayTimer_ = executor_->schedule(springLoadingDelay, lifetime_.guarded([this] { activated(); }));
    }
    return true;
}

void SpringLoadingDestination::draggingExited() {
    if (!tracking_) return;
    trace("draggingExited target id=" + idText(springTarget_));
    clear();
    if (onHighlightChanged) onHighlightChanged();
}

SpringLoadingDestination::Highlight SpringLoadingDestination::highlightFor(WindowID windowID) const {
    return springTarget_ == windowID ? springHighlight_ : Highlight::none;
}

void SpringLoadingDestination::setHighlight(Highlight highlight) {
    if (highlight == springHighlight_) return;
    springHighlight_ = highlight;
    if (onHighlightChanged) onHighlightChanged();
}

void SpringLoadingDestination::activated() {
    delayTimer_.cancel();
    trace("activated=true target id=" + idText(springTarget_));
    if (!springTarget_) return;
    const WindowID target = *springTarget_;
    lastSprungWindow_ = target;
    const auto alive = lifetime_.watch();
    setHighlight(Highlight::emphasized);
    if (alive.expired()) return;
    if (onSelect) onSelect(target);
}

void SpringLoadingDestination::clear() {
    tracking_ = false;
    springTarget_.reset();
    springHighlight_ = Highlight::none;
    lastSprungWindow_.reset();
    delayTimer_.cancel();
}

}  // namespace tessaly
