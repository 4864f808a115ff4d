#include "Platform/AXObserverBase.h"

namespace tessaly {

bool AXObserverState::isValid() const {
    std::lock_guard lock(mutex_);
    return !invalid_;
}

void AXObserverState::clearRegistrations() {
    std::lock_guard lock(mutex_);
    registrations_.clear();
}

void AXObserverState::queue(const AXElement& element, const std::string& name) {
    queue_->async([handler = handler_, element, name] { handler(element, name); });
}

void AXObserverState::deliver(const AXElement& element, const std::string& name,
                              std::initializer_list<AXElement> registeredOn) {
    std::lock_guard lock(mutex_);
    if (invalid_ || !queue_ || !handler_) return;
    for (const auto& target : registeredOn) {
        if (registrations_.contains(target, name)) {
            queue(element, name);
            return;
        }
    }
}

void AXObserverState::deliverUnregistered(const AXElement& element, const std::string& name) {
    std::lock_guard lock(mutex_);
    if (invalid_ || !queue_ || !handler_) return;
    queue(element, name);
}

void AXObserverBase::start(std::shared_ptr<DispatchQueue> thread, Handler handler) {
    {
        std::lock_guard lock(state_->mutex_);
        if (state_->invalid_) return;
        state_->queue_ = std::move(thread);
        state_->handler_ = std::move(handler);
    }
    started();
}

AXError AXObserverBase::addNotification(const AXElement& element, std::string_view notification) {
    if (!accepts(element)) return AXError::illegalArgument;
    std::lock_guard lock(state_->mutex_);
    if (state_->invalid_) return AXError::invalidElement;
    return state_->registrations_.add(element, notification);
}

AXError AXObserverBase::removeNotification(const AXElement& element, std::string_view notification) {
    std::lock_guard lock(state_->mutex_);
    return state_->registrations_.remove(element, notification);
}

void AXObserverBase::invalidate() {
    std::lock_guard lock(state_->mutex_);
    state_->invalid_ = true;
    state_->handler_ = nullptr;
    state_->queue_.reset();
}

}  // namespace tessaly
