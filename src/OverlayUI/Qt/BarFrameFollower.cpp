#include "OverlayUI/Qt/BarFrameFollower.h"

#include "Platform/X11/X11Backend.h"

#include <algorithm>

namespace tessaly {

namespace {

// The same top edge: where a bar above the window goes.
bool sameTopEdge(const Rect& a, const Rect& b) {
    return a.minX() == b.minX() && a.minY() == b.minY() && a.width() == b.width();
}

// `b` is `a` grown (or shrunk) by one border on the left, top and right at
// once: no move or resize of the user's, but a window manager's frame
// gaining or losing borders beyond what it shows (metacity's and marco's
// invisible ones, dropped while the window is rolled up).
bool bordersApart(const Rect& a, const Rect& b) {
    const double d = a.minX() - b.minX();
    return d != 0 && a.minY() - b.minY() == d && b.maxX() - a.maxX() == d;
}

// Another width about the same middle: no user's resize by an edge or a
// corner, but a client putting its shadow margins (back) around what it
// shows (GTK after a maximise), or the window manager resizing it about
// its middle. (Only called when the widths differ.)
bool resizedAboutItsMiddle(const Rect& now, const Rect& before) {
    return now.minX() + now.maxX() == before.minX() + before.maxX();
}

}  // namespace

BarFrameFollower::BarFrameFollower(const std::shared_ptr<X11Backend>& backend)
    : connection_(X11PanelOps::qtConnection()), backend_(backend) {
    // First of the subscribers: a bar moves before anything else is sent for the frame's move.
    if (backend_ && connection_) {
        watch_ = std::make_unique<X11FrameWatch>(backend_->display(),
                                                 [this](const X11FrameWatch::Report& r) { handleWatched(r); });
        subscription_ =
            backend_->subscribe([this](const X11Event& event) { handle(event); }, X11Backend::Precedence::first);
    }
}

BarFrameFollower::~BarFrameFollower() {
    subscription_.cancel();  // synchronous: no handler runs after this
    watch_.reset();          // the same
}

void BarFrameFollower::follow(const void* bar, const std::optional<Target>& target) {
    std::lock_guard lock(mutex_);
    if (const auto old = targets_.find(bar); old != targets_.end()) {
        ownWindows_.erase(old->second.strip);
        ownWindows_.erase(old->second.backing);
        targets_.erase(old);
    }
    if (!target || target->strip == 0 || target->frame == 0) return;
    Target followed = *target;
    // Followed when placed for the frame as the server reported it lately.
    // The main thread may lag behind a drag: a bar placed for where the
    // frame was a moment ago goes where it is now at once, as the frame's
    // next move would put it. It may also be ahead of the reports here (it
    // read the frame's move elsewhere first): such a bar stays as placed
    // until the frame reports that place, and is followed from there. So
    // does a bar on a frame not reported yet: its first report may be older
    // than the placement (a drag the window manager stops short, and a
    // restack from before it heard of the drag).
    followed.awaited = true;
    if (const auto known = lastGeometry_.find(target->frame); known != lastGeometry_.end()) {
        const std::deque<Rect>& recent = known->second;
        followed.confirmed = !bordersApart(target->groupFrame, recent.back());
        followed.awaited = std::none_of(recent.begin(), recent.end(),
                                        [&](const Rect& g) { return sameTopEdge(g, target->groupFrame); });
        if (const auto now = movedOnFrom(target->frame, target->groupFrame)) {
            followed.groupFrame = *now;
            place(followed);
        }
    }
    targets_[bar] = followed;
    ownWindows_.insert(target->strip);
    if (target->backing) ownWindows_.insert(target->backing);
    if (watch_) watch_->watch(target->frame);
}

Rect BarFrameFollower::caughtUp(X11PanelOps::XWindow frame, const Rect& groupFrame) const {
    std::lock_guard lock(mutex_);
    return movedOnFrom(frame, groupFrame).value_or(groupFrame);
}

std::optional<Rect> BarFrameFollower::movedOnFrom(X11PanelOps::XWindow frame, const Rect& groupFrame) const {
    const auto known = lastGeometry_.find(frame);
    if (known == lastGeometry_.end()) return std::nullopt;
    const std::deque<Rect>& recent = known->second;
    const auto placedFor = [&](const Rect& g) { return sameTopEdge(g, groupFrame); };
    // A frame of another width is a change of the session's on its way (a
    // zoom undone, the frame was there before): the bar stays as placed.
    if (placedFor(recent.back()) || recent.back().width() != groupFrame.width() ||
        std::none_of(recent.begin(), recent.end(), placedFor)) {
        return std::nullopt;
    }
    return recent.back();
}

void BarFrameFollower::handle(const X11Event& event) {
    using Kind = X11Event::Kind;
    if (!event.rootChild || (event.kind != Kind::frameChanged && event.kind != Kind::rootChildConfigured)) return;
    std::lock_guard lock(mutex_);
    const X11PanelOps::XWindow window = event.frameWindow;
    // Heard already from the watch, and maybe a newer change since.
    if (event.hasGeometry && watchedFrames_.contains(window)) return;
    // A restack reported alone (circulation) carries no geometry.
    rootChildChanged(window, event.hasGeometry ? std::optional<Rect>(event.geometry) : std::nullopt,
                     event.aboveSibling);
}

void BarFrameFollower::handleWatched(const X11FrameWatch::Report& report) {
    std::lock_guard lock(mutex_);
    if (report.gone) {
        watchedFrames_.erase(report.window);
        return;
    }
    watchedFrames_.insert(report.window);
    // Whatever now sits on it is told by the reader: only the frame's own bars go back.
    rootChildChanged(report.window, report.geometry, 0);
}

void BarFrameFollower::rootChildChanged(X11PanelOps::XWindow window, const std::optional<Rect>& geometry,
                                        X11PanelOps::XWindow below) {
    if (ownWindows_.contains(window)) return;  // a bar's own move
    if (geometry) {
        std::deque<Rect>& recent = lastGeometry_[window];
        if (recent.empty() || !(recent.back() == *geometry)) recent.push_back(*geometry);
        if (recent.size() > kRecentGeometries) recent.pop_front();
        if (lastGeometry_.size() > kRememberedWindows) {
            std::erase_if(lastGeometry_, [this](const auto& entry) {
                return std::none_of(targets_.begin(), targets_.end(),
                                    [&](const auto& followed) { return followed.second.frame == entry.first; });
            });
        }
    }
    for (auto it = targets_.begin(); it != targets_.end();) {
        Target& target = it->second;
        // The frame itself moved or was restacked, or another window now
        // sits directly on it (between it and the bar).
        const bool ownFrame = window == target.frame;
        if (!ownFrame && below != target.frame) {
            ++it;
            continue;
        }
        if (ownFrame && geometry && target.awaited) {
            // Older reports leave the bar where it was placed; the report of
            // that place finds it there already.
            target.awaited = !sameTopEdge(*geometry, target.groupFrame);
            ++it;
            continue;
        }
        if (ownFrame && geometry) {
            if (geometry->width() != target.groupFrame.width() &&
                (!target.confirmed || resizedAboutItsMiddle(*geometry, target.groupFrame))) {
                // Not the group frame's shape: left to the main thread.
                ownWindows_.erase(target.strip);
                ownWindows_.erase(target.backing);
                it = targets_.erase(it);
                continue;
            }
            target.confirmed = true;
            target.groupFrame = *geometry;
        }
        place(target);
        ++it;
    }
}

void BarFrameFollower::place(const Target& target) {
    const Rect& g = target.groupFrame;
    X11PanelOps::place(connection_, target.strip,
                       Rect(g.minX(), g.minY() - target.stripHeight, g.width(), target.stripHeight), target.frame, true,
                       !target.backing);
    if (target.backing) {
        X11PanelOps::place(connection_, target.backing, Rect(g.minX(), g.minY(), g.width(), target.backingReach),
                           target.frame, false);
    }
}

}  // namespace tessaly
