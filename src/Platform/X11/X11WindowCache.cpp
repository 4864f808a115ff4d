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

void X11WindowCache::deactivate() {
    std::lock_guard lock(mutex_);
    active_.store(false);
    membershipChangedAt_ = windowManagerChangedAt_ = ++generation_;
    clients_.clear();
    clientList_.clear();
    activeWindow_.reset();
    stackingList_.reset();
    entries_.clear();
    moveResize_.reset();
}

std::optional<std::vector<xcb_window_t>> X11WindowCache::clientList() const {
    if (!keepsClients_.load()) return std::nullopt;
    std::lock_guard lock(mutex_);
    if (!active_.load()) return std::nullopt;
    return clientList_;
}

std::optional<xcb_window_t> X11WindowCache::activeWindow() const {
    if (!keepsClients_.load()) return std::nullopt;
    std::lock_guard lock(mutex_);
    if (!active_.load()) return std::nullopt;
    return activeWindow_;
}

void X11WindowCache::rememberActiveWindow(Generation since, xcb_window_t window) {
    std::lock_guard lock(mutex_);
    if (active_.load() && since >= activeChangedAt_) activeWindow_ = window;
}

std::optional<std::vector<xcb_window_t>> X11WindowCache::stackingList() const {
    if (!keepsClients_.load()) return std::nullopt;
    std::lock_guard lock(mutex_);
    if (!active_.load()) return std::nullopt;
    return stackingList_;
}

void X11WindowCache::rememberStackingList(Generation since, const std::vector<xcb_window_t>& list) {
    std::lock_guard lock(mutex_);
    if (active_.load() && since >= stackingChangedAt_) stackingList_ = list;
}

void X11WindowCache::stackingListChanged() {
    std::lock_guard lock(mutex_);
    stackingChangedAt_ = ++generation_;
    stackingList_.reset();
}

void X11WindowCache::activeWindowChanged(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    activeChangedAt_ = ++generation_;
    activeWindow_ = window;
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
        found.margins = it->second.margins;
        found.restingMargins = it->second.restingMargins;
        found.staticGravity = it->second.staticGravity;
        const auto& asked = it->second.asked;
        found.sizeAsked = asked && asked->until > clock_.monotonic();
        found.size = found.sizeAsked ? asked->size : it->second.size;
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

void X11WindowCache::rememberMargins(Generation since, xcb_window_t window, const X11FrameExtents& margins) {
    std::lock_guard lock(mutex_);
    if (!mayRemember(since, reportedAt(window), window)) return;
    Entry& entry = entries_[window];
    entry.margins = margins;
    if (!(margins == X11FrameExtents{})) entry.restingMargins = margins;
}

void X11WindowCache::rememberGravity(Generation since, xcb_window_t window, bool staticGravity) {
    std::lock_guard lock(mutex_);
    if (mayRemember(since, reportedAt(window), window)) entries_[window].staticGravity = staticGravity;
}

void X11WindowCache::rememberSize(Generation since, xcb_window_t window, Size size) {
    std::lock_guard lock(mutex_);
    if (!mayRemember(since, reportedAt(window), window)) return;
    entries_[window].sizeReported(size, marksSeen_);
}

void X11WindowCache::sizeRequested(xcb_window_t window, Size size) {
    std::lock_guard lock(mutex_);
    if (!active_.load() || !clients_.count(window)) return;
    auto& entry = entries_[window];
    // Without a marker (no reader to see one) every later report counts.
    const std::uint64_t mark = sendMark_ ? ++marksSent_ : marksSeen_;
    entry.asked = Entry::AskedSize{size, mark, clock_.monotonic() + kSizeAnswerPatience};
    entry.reportedAt = ++generation_;  // a read begun before this is older
    if (sendMark_) sendMark_();
}

void X11WindowCache::Entry::sizeReported(Size reported, std::uint64_t marksSeen) {
    size = reported;
    if (asked && asked->mark <= marksSeen && asked->size == reported) asked.reset();
}

X11WindowCache::Entry* X11WindowCache::reported(xcb_window_t window) {
    ++generation_;
    if (!clients_.count(window)) return nullptr;
    auto& entry = entries_[window];
    entry.reportedAt = generation_;
    return &entry;
}

void X11WindowCache::configured(xcb_window_t window, Size size, bool synthetic, const Rect& inParent, double border) {
    std::lock_guard lock(mutex_);
    Entry* entry = reported(window);
    if (!entry) return;
    entry->sizeReported(size, marksSeen_);
    if (synthetic) return;  // the frame's own ConfigureNotify tells where it went
    if (entry->extentsMeasured) entry->extents.reset();
    auto& client = entry->client;
    if (!client) return;
    if (client->frameWindow == window) {  // not reparented: its ConfigureNotify is a root child's
        client.reset();
        return;
    }
    // Where its parent's interior lies (the frame's, or the window one level
    // further in that holds it) stays put; the client sits anew in it.
    const Point interior{client->clientFrame.origin.x - client->inParent.x,
                         client->clientFrame.origin.y - client->inParent.y};
    const bool resized = size != client->clientFrame.size;
    client->inParent = Point{inParent.origin.x + border, inParent.origin.y + border};
    client->placeClient(Rect(interior.x + client->inParent.x, interior.y + client->inParent.y, size.width,
                             size.height));
    entry->reported(Entry::Side::client, resized);
}

void X11WindowCache::frameConfigured(xcb_window_t window, xcb_window_t frameWindow, const Rect& outer, double border) {
    std::lock_guard lock(mutex_);
    Entry* entry = reported(window);
    if (!entry) return;
    // Not reparented (metacity and marco leave undecorated windows so):
    // this is the client's own ConfigureNotify, the only one it sends, and
    // its size must be kept as from configured().
    if (frameWindow == window) {
        entry->sizeReported(Size{outer.size.width - 2 * border, outer.size.height - 2 * border}, marksSeen_);
    }
    if (!entry->client) return;
    auto& client = entry->client;
    const bool resized = outer.size != client->frameBounds.size;
    if (client->frameWindow != frameWindow) {
        client.reset();
    } else if (frameWindow == window) {
        // Not reparented: the client itself, its border outside.
        client->placeClient(Rect(outer.origin.x + border, outer.origin.y + border, outer.size.width - 2 * border,
                                 outer.size.height - 2 * border));
    } else if (client->parentIsFrame) {
        client->frameBounds = outer;
        client->placeClient(Rect(outer.origin.x + border + client->inParent.x,
                                 outer.origin.y + border + client->inParent.y, client->clientFrame.size.width,
                                 client->clientFrame.size.height));
        if (client->isBeingFramed()) client.reset();
        else entry->reported(Entry::Side::frame, resized);
    } else if (!client->frameBounds.contains(client->clientFrame)) {
        // Read while the window manager moved it: the client where it was,
        // its frame where it went. Where the client sits in its frame is
        // not known; the next read asks.
        client.reset();
    } else {
        // Nested deeper (icewm holds the client in a window of its own
        // inside the frame): what it holds keeps its place in the frame.
        const double dx = outer.origin.x - client->frameBounds.origin.x;
        const double dy = outer.origin.y - client->frameBounds.origin.y;
        client->frameBounds = outer;
        client->placeClient(Rect(client->clientFrame.origin.x + dx, client->clientFrame.origin.y + dy,
                                 client->clientFrame.size.width, client->clientFrame.size.height));
        entry->reported(Entry::Side::frame, resized);
    }
}

void X11WindowCache::Entry::reported(Side side, bool resized) {
    // This side's report was awaited: both came (the size it tells may be
    // the one a read kept already). Else a resize awaits the other side's.
    if (awaited == side) awaited.reset();
    else if (resized) awaited = side == Side::client ? Side::frame : Side::client;
}

void X11WindowCache::Entry::forgetClient() {
    client.reset();
    awaited.reset();
    sizeHints.reset();
}

void X11WindowCache::clientChanged(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    if (Entry* entry = reported(window)) entry->forgetClient();
}

void X11WindowCache::allClientsChanged() {
    std::lock_guard lock(mutex_);
    membershipChangedAt_ = ++generation_;  // no fill begun before is kept
    for (auto& [window, entry] : entries_) entry.forgetClient();
}

template <class T>
T X11WindowCache::keptOfClient(xcb_window_t window, T Entry::*field) const {
    if (!keepsClients_.load()) return std::nullopt;
    std::lock_guard lock(mutex_);
    if (!active_.load()) return std::nullopt;
    const auto it = entries_.find(window);
    if (it == entries_.end()) return std::nullopt;
    return it->second.*field;
}

std::optional<std::optional<SizeHints>> X11WindowCache::sizeHints(xcb_window_t window) const {
    return keptOfClient(window, &Entry::sizeHints);
}

void X11WindowCache::rememberSizeHints(Generation since, xcb_window_t window, const std::optional<SizeHints>& hints) {
    if (!keepsClients_.load()) return;
    std::lock_guard lock(mutex_);
    if (mayRemember(since, reportedAt(window), window)) entries_[window].sizeHints = hints;
}

void X11WindowCache::setKeepsClients(bool keeps) {
    keepsClients_.store(keeps);
    if (!keeps) allClientsChanged();
}

const std::optional<X11WindowInfo>* X11WindowCache::wholeClient(xcb_window_t window) const {
    const auto it = entries_.find(window);
    if (!keepsClients_.load() || !active_.load() || it == entries_.end() || it->second.awaited) return nullptr;
    return &it->second.client;
}

std::optional<X11WindowInfo> X11WindowCache::client(xcb_window_t window) const {
    std::lock_guard lock(mutex_);
    const auto* kept = wholeClient(window);
    return kept ? *kept : std::nullopt;
}

bool X11WindowCache::holdsClient(xcb_window_t window) const {
    std::lock_guard lock(mutex_);
    const auto* kept = wholeClient(window);
    return kept && kept->has_value();
}

std::optional<xcb_window_t> X11WindowCache::frameWindow(xcb_window_t window) const {
    std::lock_guard lock(mutex_);
    const auto* kept = wholeClient(window);
    if (!kept || !kept->has_value()) return std::nullopt;
    return (*kept)->frameWindow;
}

bool X11WindowCache::watches(xcb_window_t window) const {
    if (!keepsClients_.load()) return false;
    std::lock_guard lock(mutex_);
    return active_.load() && clients_.contains(window);
}

void X11WindowCache::rememberClient(Generation since, const X11WindowInfo& info) {
    if (!keepsClients_.load()) return;
    std::lock_guard lock(mutex_);
    if (!mayRemember(since, reportedAt(info.window), info.window)) return;
    auto& entry = entries_[info.window];
    entry.client = info;
    // Read between the reports of a resize, the window manager may have
    // sized one side and not yet the other: the other side's report still
    // comes and mends it.
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
    if (Entry* entry = reported(window)) {
        entry->maximized.reset();
        entry->client.reset();
        entry->awaited.reset();
    }
}

void X11WindowCache::watching(const std::vector<xcb_window_t>& clients) {
    std::lock_guard lock(mutex_);
    membershipChangedAt_ = windowManagerChangedAt_ = ++generation_;
    clients_ = {clients.begin(), clients.end()};
    clientList_ = clients;
    activeChangedAt_ = stackingChangedAt_ = generation_;
    activeWindow_.reset();
    stackingList_.reset();
    entries_.clear();
    moveResize_.reset();
    active_.store(true);
}

void X11WindowCache::clientsChanged(const std::vector<xcb_window_t>& clients) {
    std::lock_guard lock(mutex_);
    clientList_ = clients;
    // Some window managers (metacity, marco) write the list anew with
    // every restack: the same clients in another order, or in the same one.
    // No window came or went, so the fills under way stay good.
    std::unordered_set<xcb_window_t> listed(clients.begin(), clients.end());
    if (listed == clients_) return;
    membershipChangedAt_ = ++generation_;
    clients_ = std::move(listed);
    std::erase_if(entries_, [this](const auto& entry) { return !clients_.count(entry.first); });
}

void X11WindowCache::destroyed(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    membershipChangedAt_ = ++generation_;
    clients_.erase(window);
    std::erase(clientList_, window);
    entries_.erase(window);
    minimizing_.erase(window);
    deferredRestores_.erase(window);
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
    if (Entry* entry = reported(window)) {
        entry->extents.reset();
        entry->margins.reset();
        entry->client.reset();
        entry->awaited.reset();
    }
}

void X11WindowCache::normalHintsChanged(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    if (Entry* entry = reported(window)) {
        entry->staticGravity.reset();
        entry->forgetClient();
    }
}

void X11WindowCache::windowManagerChanged() {
    std::lock_guard lock(mutex_);
    windowManagerChangedAt_ = membershipChangedAt_ = stackingChangedAt_ = ++generation_;
    stackingList_.reset();
    moveResize_.reset();
    for (auto& [window, entry] : entries_) entry.forgetClient();
}

}  // namespace tessaly
