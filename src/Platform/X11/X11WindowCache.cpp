#include "Platform/X11/X11WindowCache.h"

namespace tessaly {

void X11WindowCache::setStarter(std::function<void()> startWatching) { startWatching_ = std::move(startWatching); }

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

void X11WindowCache::rememberExtents(Generation since, xcb_window_t window, const X11FrameExtents& extents) {
    std::lock_guard lock(mutex_);
    if (mayRemember(since, generation_, window)) entries_[window].extents = extents;
}

void X11WindowCache::rememberMoveResize(Generation since, bool supported) {
    std::lock_guard lock(mutex_);
    if (mayRemember(since, windowManagerChangedAt_, kNoWindow)) moveResize_ = supported;
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
}

void X11WindowCache::extentsChanged(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    ++generation_;
    if (const auto it = entries_.find(window); it != entries_.end()) it->second.extents.reset();
}

void X11WindowCache::windowManagerChanged() {
    std::lock_guard lock(mutex_);
    windowManagerChangedAt_ = ++generation_;
    moveResize_.reset();
}

}  // namespace tessaly
