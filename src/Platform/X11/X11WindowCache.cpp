#include "Platform/X11/X11WindowCache.h"

#include <algorithm>

namespace tessaly {

void X11WindowCache::setStarter(std::function<void()> startWatching) { startWatching_ = std::move(startWatching); }

void X11WindowCache::setMarker(std::function<void()> sendMark) { sendMark_ = std::move(sendMark); }

void X11WindowCache::marked() {
    std::lock_guard lock(mutex_);
    ++marksSeen_;
}

void X11WindowCache::activate() {
    if (active_.load() || startAsked_.exchange(true)) return;
    if (startWatching_) startWatching_();
}

X11WindowCache::Lookup X11WindowCache::lookup(xcb_window_t window) const {
    Lookup found;
    std::lock_guard lock(mutex_);
    found.generation = generation_;
    if (!active_.load()) return found;
    found.moveResize = moveResize_;
    if (const auto it = entries_.find(window); it != entries_.end()) {
        found.known = true;
        found.pid = it->second.pid;
        found.extents = it->second.extents;
        found.extentsPublished = !it->second.extentsMeasured;
        found.clientBorder = it->second.clientBorder;
        found.size = it->second.size;
        found.maximized = it->second.maximized;
    }
    return found;
}

X11WindowCache::Generation X11WindowCache::generation() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

bool X11WindowCache::mayRemember(Generation since, Generation lastReport, xcb_window_t window) const {
    return active_.load() && since >= lastReport && (window == kNoWindow || clients_.count(window));
}

void X11WindowCache::rememberPid(Generation since, xcb_window_t window, ProcessID pid) {
    std::lock_guard lock(mutex_);
    if (mayRemember(since, membershipChangedAt_, window)) entries_[window].pid = pid;
}

X11WindowCache::Generation X11WindowCache::reportedAt(xcb_window_t window) const {
    const auto it = entries_.find(window);
    return std::max(membershipChangedAt_, it == entries_.end() ? Generation{0} : it->second.reportedAt);
}

void X11WindowCache::rememberExtents(Generation since, xcb_window_t window, const X11FrameExtents& extents) {
    std::lock_guard lock(mutex_);
    if (!mayRemember(since, reportedAt(window), window)) return;
    auto& entry = entries_[window];
    entry.extents = extents;
    entry.extentsMeasured = false;
}

void X11WindowCache::rememberMeasuredExtents(Generation since, xcb_window_t window, const X11FrameExtents& extents,
                                             double clientBorder) {
    std::lock_guard lock(mutex_);
    if (!mayRemember(since, reportedAt(window), window)) return;
    auto& entry = entries_[window];
    entry.extents = extents;
    entry.extentsMeasured = true;
    entry.clientBorder = clientBorder;
}

void X11WindowCache::rememberSize(Generation since, xcb_window_t window, Size size) {
    std::lock_guard lock(mutex_);
    if (!mayRemember(since, reportedAt(window), window)) return;
    auto& entry = entries_[window];
    if (entry.awaitedMark <= marksSeen_) entry.size = size;
}

void X11WindowCache::sizeRequested(xcb_window_t window, Size size) {
    std::lock_guard lock(mutex_);
    if (!active_.load() || !clients_.count(window)) return;
    auto& entry = entries_[window];
    entry.size = size;
    entry.reportedAt = ++generation_;  // a read begun before this is older
    if (sendMark_) {
        entry.awaitedMark = ++marksSent_;
        sendMark_();
    }
}

void X11WindowCache::configured(xcb_window_t window, Size size, bool synthetic) {
    std::lock_guard lock(mutex_);
    ++generation_;
    if (!clients_.count(window)) return;
    auto& entry = entries_[window];
    if (entry.awaitedMark <= marksSeen_) entry.size = size;  // else sent before a size we asked for
    if (!synthetic && entry.extentsMeasured) entry.extents.reset();
    entry.reportedAt = generation_;
}

void X11WindowCache::rememberMoveResize(Generation since, bool supported) {
    std::lock_guard lock(mutex_);
    if (mayRemember(since, windowManagerChangedAt_, kNoWindow)) moveResize_ = supported;
}

void X11WindowCache::rememberMaximized(Generation since, xcb_window_t window, bool maximized) {
    std::lock_guard lock(mutex_);
    if (mayRemember(since, reportedAt(window), window)) entries_[window].maximized = maximized;
}

void X11WindowCache::stateChanged(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    ++generation_;
    if (!clients_.count(window)) return;
    auto& entry = entries_[window];
    entry.maximized.reset();
    entry.reportedAt = generation_;
}

void X11WindowCache::watching(const std::vector<xcb_window_t>& clients) {
    std::lock_guard lock(mutex_);
    membershipChangedAt_ = windowManagerChangedAt_ = ++generation_;
    clients_ = {clients.begin(), clients.end()};
    entries_.clear();
    moveResize_.reset();
    active_.store(true);
}

void X11WindowCache::clientsChanged(const std::vector<xcb_window_t>& clients) {
    std::lock_guard lock(mutex_);
    membershipChangedAt_ = ++generation_;
    clients_ = {clients.begin(), clients.end()};
    std::erase_if(entries_, [this](const auto& entry) { return !clients_.count(entry.first); });
}

void X11WindowCache::destroyed(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    membershipChangedAt_ = ++generation_;
    clients_.erase(window);
    entries_.erase(window);
    minimizing_.erase(window);
    deferredRestores_.erase(window);
    pendingWrites_.erase(window);
}

namespace {

// Whether `window` has an entry in `deadlines` that has not run out (one
// that has is dropped).
bool pending(std::unordered_map<xcb_window_t, std::chrono::steady_clock::time_point>& deadlines, xcb_window_t window) {
    const auto it = deadlines.find(window);
    if (it == deadlines.end()) return false;
    if (it->second >= std::chrono::steady_clock::now()) return true;
    deadlines.erase(it);
    return false;
}

}  // namespace

void X11WindowCache::minimizeSent(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    minimizing_[window] = std::chrono::steady_clock::now() + kMinimizePatience;
    deferredRestores_.erase(window);
}

bool X11WindowCache::deferRestore(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    if (!active_.load() || !pending(minimizing_, window)) return false;
    deferredRestores_[window] = std::chrono::steady_clock::now() + kMinimizePatience;
    return true;
}

void X11WindowCache::deferWrite(xcb_window_t window, const X11PendingWrite& write,
                                std::chrono::milliseconds patience) {
    std::lock_guard lock(mutex_);
    pendingWrites_[window] = {write, std::chrono::steady_clock::now() + patience};
}

std::optional<X11PendingWrite> X11WindowCache::pendingWrite(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    const auto it = pendingWrites_.find(window);
    if (it == pendingWrites_.end()) return std::nullopt;
    if (it->second.second < std::chrono::steady_clock::now()) {
        pendingWrites_.erase(it);
        return std::nullopt;
    }
    return it->second.first;
}

void X11WindowCache::dropWrite(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    pendingWrites_.erase(window);
}

bool X11WindowCache::restoreWaiting(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    return pending(deferredRestores_, window);
}

bool X11WindowCache::takeDeferredRestore(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    const bool waiting = pending(deferredRestores_, window);
    deferredRestores_.erase(window);
    if (waiting) minimizing_.erase(window);
    return waiting;
}

void X11WindowCache::extentsChanged(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    ++generation_;
    if (!clients_.count(window)) return;
    auto& entry = entries_[window];
    entry.extents.reset();
    entry.reportedAt = generation_;
}

void X11WindowCache::windowManagerChanged() {
    std::lock_guard lock(mutex_);
    windowManagerChangedAt_ = ++generation_;
    moveResize_.reset();
}

}  // namespace tessaly
