#include "Platform/MemberFollow.h"

#include <algorithm>

namespace tessaly {

void MemberFollow::setPlanner(FollowPlanner planner) {
    const double at = now();
    std::lock_guard lock(mutex_);
    planner_ = std::move(planner);
    // Moves nobody took (the window left, the main thread decided otherwise).
    const auto stale = [at](const auto& entry) { return at - entry.second.back().at > sentLifetime; };
    std::erase_if(sent_, stale);
    std::erase_if(passing_, stale);
    std::erase_if(written_, [at](const auto& entry) { return at - entry.second.at > sentLifetime; });
}

std::size_t MemberFollow::follow(FollowRequest request) {
    std::lock_guard lock(mutex_);
    if (!planner_) return 0;
    request.now = now();
    if (isLandingWrite(request)) return 0;
    const std::optional<FollowPlan> plan = planner_(request);
    if (!plan) return 0;
    if (const auto last = lastFollowed_.find(request.source); last != lastFollowed_.end() && last->second == plan->frame) {
        return 0;
    }
    lastFollowed_[request.source] = plan->frame;
    // Back at the frame the main thread holds before it has heard of the
    // moves made here: it sends nothing for a frame it has, so they are
    // made again here.
    const bool atCommitted = !plan->always && plan->frame == plan->committed;
    std::size_t count = 0;
    for (const FollowMove& move : plan->moves) {
        if (atCommitted && !sent_.contains(move.window)) continue;
        if (writing_.contains(move.window)) continue;  // the main thread's write goes first, and this one after it
        if (!send_(move, plan->frame)) continue;
        auto& marks = sent_[move.window];
        std::erase_if(marks, [&](const Sent& s) { return request.now - s.at > sentLifetime; });
        marks.push_back({request.source, plan->frame, request.now});
        passes(move.window, plan->frame, request.now);
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
    const double at = now();
    std::lock_guard lock(mutex_);
    const auto found = sent_.find(window);
    if (found == sent_.end()) return false;
    auto& marks = found->second;
    // Moves sent for changes the main thread has caught up with (it reads the
    // latest frame) are behind it: up to the one it writes now, all are done.
    const auto match = std::find_if(marks.begin(), marks.end(), [&](const Sent& s) {
        return adopting_ == s.source && s.frame == frame && at - s.at <= sentLifetime;
    });
    if (match == marks.end()) return false;
    marks.erase(marks.begin(), match + 1);
    if (marks.empty()) sent_.erase(found);
    return true;
}

std::vector<Rect> MemberFollow::framesSent(WindowID window) {
    const double at = now();
    std::lock_guard lock(mutex_);
    std::vector<Rect> frames;
    if (const auto found = passing_.find(window); found != passing_.end()) {
        for (const Sent& s : found->second) {
            if (at - s.at <= sentLifetime) frames.push_back(s.frame);
        }
    }
    return frames;
}

bool MemberFollow::isLandingWrite(const FollowRequest& request) {
    const auto found = written_.find(request.source);
    if (found == written_.end()) return false;
    if (found->second.frame == request.frame || request.now - found->second.at > sentLifetime) {
        written_.erase(found);
        return false;
    }
    return true;
}

void MemberFollow::passes(WindowID window, const Rect& frame, double at) {
    auto& frames = passing_[window];
    std::erase_if(frames, [&](const Sent& s) { return at - s.at > sentLifetime; });
    frames.push_back({0, frame, at});
}

std::shared_ptr<void> MemberFollow::willWrite(WindowID window, const Rect& frame) {
    {
        const double at = now();
        std::lock_guard lock(mutex_);
        // The main thread's frame is the one the window ends at.
        sent_.erase(window);
        passes(window, frame, at);
        written_[window] = {0, frame, at};
        ++writing_[window];
    }
    return std::shared_ptr<void>(nullptr, [weak = weak_from_this(), window](void*) {
        if (const auto self = weak.lock()) self->wrote(window);
    });
}

void MemberFollow::wrote(WindowID window) {
    std::lock_guard lock(mutex_);
    const auto found = writing_.find(window);
    if (found != writing_.end() && --found->second == 0) writing_.erase(found);
}

}  // namespace tessaly
