#include "Platform/MemberFollow.h"

namespace tessaly {

void MemberFollow::setPlanner(FollowPlanner planner) {
    const double at = clock_->monotonic();
    std::lock_guard lock(mutex_);
    planner_ = std::move(planner);
    // Moves nobody took (the window left, the main thread decided otherwise).
    record_->prune(at);
}

std::size_t MemberFollow::follow(FollowRequest request) {
    std::lock_guard lock(mutex_);
    if (!planner_) return 0;
    request.now = clock_->monotonic();
    const WindowID source = request.source;
    const auto increments = [this, source] { return incrementsOf(source); };
    if (record_->isLanding(source, request.frame, increments, request.now)) return 0;
    const std::optional<FollowPlan> plan = planner_(request);
    if (!plan) return 0;
    // Back at the frame the main thread holds before it has heard of the
    // moves made here: it sends nothing for a frame it has, so they are
    // made again here.
    const bool atCommitted = !plan->always && plan->frame == plan->committed;
    std::size_t count = 0;
    for (const FollowMove& move : plan->moves) {
        if (atCommitted && !record_->hasUntakenMove(move.window)) continue;
        if (record_->isInFlight(move.window)) continue;  // the main thread's write goes first, and this one after it
        if (record_->isLastTold(move.window, plan->frame, request.now)) continue;
        if (!send_(move, plan->frame)) continue;
        record_->followed(move.window, plan->frame, request.source, request.now);
        ++count;
    }
    return count;
}

MemberFollow::Adoption::Adoption(const std::shared_ptr<MemberFollow>& follow, WindowID source) : follow_(follow) {
    if (!follow_) return;
    std::lock_guard lock(follow_->mutex_);
    follow_->adopting_ = source;
}

MemberFollow::Adoption::~Adoption() {
    if (!follow_) return;
    std::lock_guard lock(follow_->mutex_);
    follow_->adopting_.reset();
}

bool MemberFollow::takeSent(WindowID window, const Rect& frame) {
    const double at = clock_->monotonic();
    std::lock_guard lock(mutex_);
    return adopting_ && record_->take(window, frame, *adopting_, at);
}

bool MemberFollow::isPassing(WindowID window, const Rect& read, Size increments) {
    const double at = clock_->monotonic();
    std::lock_guard lock(mutex_);
    return record_->isPassing(window, read, increments, at);
}

std::shared_ptr<void> MemberFollow::willWrite(WindowID window, const Rect& frame) {
    {
        const double at = clock_->monotonic();
        std::lock_guard lock(mutex_);
        record_->writing(window, frame, at);
    }
    return std::shared_ptr<void>(nullptr, [weak = weak_from_this(), window](void*) {
        if (const auto self = weak.lock()) {
            std::lock_guard lock(self->mutex_);
            self->record_->written(window);
        }
    });
}

}  // namespace tessaly
