#include "OverlayUI/Qt/BarCoverMask.h"

#include <algorithm>

#include "OverlayUI/Qt/QtTabBarPanel.h"
#include "Platform/Log.h"
#include "Platform/X11/X11Backend.h"

namespace tessaly {

BarCoverMask::BarCoverMask(const std::shared_ptr<X11Backend>& backend, std::shared_ptr<MainExecutor> mainExecutor,
                           std::shared_ptr<std::set<QtTabBarPanel*>> bars)
    : backend_(backend), mainExecutor_(std::move(mainExecutor)), bars_(std::move(bars)) {
    if (backend_ && mainExecutor_) {
        subscription_ = backend_->subscribe([this](const X11Event& event) { handle(event); });
    }
}

BarCoverMask::~BarCoverMask() {
    subscription_.cancel();  // synchronous: no handler runs after this
}

void BarCoverMask::ordering(X11PanelOps::XWindow panel, X11PanelOps::XWindow frame, bool above) {
    std::lock_guard lock(mutex_);
    if (frame == 0) {
        ordered_.erase(panel);
        return;
    }
    Ordered& ordered = ordered_[panel];
    if (!above) {
        // Ordered below the frame it already landed below, it stays where it
        // is and is not reported again: a later report directly above that
        // frame is still someone else's doing.
        if (ordered.below == frame) return;
        ordered.below = frame;
        ordered.belowLanded = false;
        return;
    }
    if (!ordered.above.empty() && ordered.above.back() == frame) return;
    ordered.above.push_back(frame);
    if (ordered.above.size() > kRecentFrames) ordered.above.pop_front();
}

void BarCoverMask::restackingInPlace(X11PanelOps::XWindow panel) {
    std::lock_guard lock(mutex_);
    if (const auto ordered = ordered_.find(panel); ordered != ordered_.end()) ordered->second.ownRestacks = 2;
}

bool BarCoverMask::isForeign(Ordered& ordered, X11PanelOps::XWindow sibling) {
    if (!ordered.above.empty()) {
        return std::find(ordered.above.begin(), ordered.above.end(), sibling) == ordered.above.end();
    }
    if (ordered.below == 0) return false;
    // Ordered below a frame, the panel is reported directly above another
    // window first; directly above that frame afterwards, it was moved.
    if (sibling != ordered.below) {
        ordered.belowLanded = true;
        return false;
    }
    return ordered.belowLanded;
}

void BarCoverMask::handle(const X11Event& event) {
    using Kind = X11Event::Kind;
    switch (event.kind) {
    case Kind::windowManagerChanged:
        // Another window manager: it is watched afresh.
        if (cutting_.exchange(false)) scheduleUpdate();
        return;
    case Kind::rootChildConfigured: {
        // A panel put elsewhere than it was ordered: by the window manager.
        std::lock_guard lock(mutex_);
        const auto panel = ordered_.find(event.window);
        if (panel != ordered_.end() && event.restacked && panel->second.ownRestacks > 0) {
            --panel->second.ownRestacks;
            break;
        }
        // Directly above a client: its frame, or the client itself where it
        // draws its own decorations (a GTK header bar has no frame on metacity).
        // Every restack is looked at: one directly above a window that holds
        // no client (mutter keeps unmapped windows between its frames) is
        // where an order below a frame landed.
        const bool foreign =
            panel != ordered_.end() && event.restacked && isForeign(panel->second, event.aboveSibling);
        if (foreign && event.belowIsClient && !cutting_.exchange(true)) {
            Log::notice(LogCategory::overlay,
                        "the window manager restacks the bars: they are cut where other windows cover them");
        }
        break;
    }
    case Kind::frameChanged:
    case Kind::mapped:
    case Kind::unmapped:
    case Kind::frameMapChanged:
    case Kind::destroyed:
    case Kind::clientListChanged:
    case Kind::currentDesktopChanged: break;
    default: return;
    }
    if (cutting_) scheduleUpdate();
}

void BarCoverMask::scheduleUpdate() {
    if (updatePosted_.exchange(true)) return;
    mainExecutor_->post(lifetime_.guarded([this] { update(); }));
}

void BarCoverMask::update() {
    updatePosted_ = false;
    if (!cutting_) {
        for (QtTabBarPanel* bar : *bars_) bar->setCover({});
        return;
    }
    // The managed windows' frames from the top down, as the server stacks
    // them (the window manager keeps its own windows' order there).
    const X11Connection& x = backend_->connection();
    const X11Windows& windows = backend_->windows();
    const auto tree = xcbReply(x.get(), xcb_query_tree_reply, xcb_query_tree(x.get(), x.root()));
    if (!tree) return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    std::vector<xcb_window_t> fromTop(children, children + xcb_query_tree_children_length(tree.get()));
    std::reverse(fromTop.begin(), fromTop.end());
    std::unordered_map<xcb_window_t, Rect> shownFrames;  // root child -> the frame as seen
    for (const X11WindowInfo& info : windows.read(windows.clientList())) {
        if (info.viewable) shownFrames.emplace(info.frameWindow, info.frame);
    }
    for (QtTabBarPanel* bar : *bars_) {
        const X11PanelOps::XWindow frame = bar->orderedFrame();
        std::vector<Rect> above;
        const auto at = frame ? std::find(fromTop.begin(), fromTop.end(), frame) : fromTop.end();
        for (auto child = fromTop.begin(); child != at; ++child) {
            if (const auto shown = shownFrames.find(*child); shown != shownFrames.end()) above.push_back(shown->second);
        }
        // Not over a window the server stacks (any more): nothing to cut.
        bar->setCover(at != fromTop.end() ? above : std::vector<Rect>{});
    }
}

}  // namespace tessaly
