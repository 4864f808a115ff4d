#pragma once
// The window list over X11: the root's children front to back, each managed
// frame standing for its client (number = the client window), plus visible
// override-redirect windows (menus, tooltips, notifications, our own
// panels) under their own number, on the pop-up menu level: never an
// ordinary window, so never taken for a drop target or a window to group.
//
// A list costs one round trip of two replies when nothing changed: the
// root's children (the stacking order, exact at every call) and the current
// desktop. Clients come from the backend's memory (X11Windows::read); of
// the root's children that hold no client the attributes are kept here,
// asked (in the same batch) for new ones and for those the event reader
// reports mapped or unmapped since; what an override-redirect window shows
// is kept too, read again when its attributes differ from those last seen
// or the event reader reports it configured; the window manager's check
// window is kept until the window manager changes. Memory filled while such
// a report came in is not kept.
//
// Changes are told from the event reader's reports (the client list, a
// client's map state, WM_STATE, _NET_WM_STATE or desktop, a frame's place
// in the stacking, the current desktop, the window manager), one notice on
// the main executor at a time however many come in meanwhile. Restacks of
// override-redirect windows (menus, our own bars) are no change of the list.
#include "Platform/CoalescedNotice.h"
#include "Platform/MainExecutor.h"
#include "Platform/Subscription.h"
#include "Platform/WindowList.h"
#include "Platform/X11/X11Backend.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tessaly {

class X11WindowList final : public WindowList {
public:
    // Without a main executor no change is told.
    explicit X11WindowList(std::shared_ptr<X11Backend> backend, std::shared_ptr<MainExecutor> main = nullptr);
    ~X11WindowList() override;
    X11WindowList(const X11WindowList&) = delete;
    X11WindowList& operator=(const X11WindowList&) = delete;

    std::optional<std::vector<WindowInfo>> copyWindowInfo(std::uint32_t options, WindowID relativeTo) const override;
    int dockWindowLevel() const override { return WindowLayer::dock; }
    // No window manager here shows an overview of the kind the list marks.
    bool hasOverview() const override { return false; }
    Subscription observeChanges(std::function<void()> handler) override;

    // The level the list gives a desktop window (below everything).
    static constexpr int desktopLevel = -2147483623;
    // The level of override-redirect windows (the pop-up menu level).
    static constexpr int popUpLevel = 101;

private:
    // A root child that holds no client, as last seen.
    struct Other {
        bool overrideRedirect = false;
        bool inputOutput = false;
        bool viewable = false;
        std::optional<X11WindowInfo> info;  // for a listed one: what it shows
    };
    struct Entry {
        WindowInfo info;
        bool desktopElement = false;
    };
    // Every listed window front to back; absent when the server cannot be asked.
    std::optional<std::vector<Entry>> entries() const;
    // Of the root children that hold no client, those listed, with what
    // they show; `attributes` answers for `asked`, the rest are known or
    // asked now. Under mutex_.
    std::unordered_map<xcb_window_t, X11WindowInfo> listedOthers(
        const std::vector<xcb_window_t>& others, const std::vector<xcb_window_t>& asked,
        std::vector<XReply<xcb_get_window_attributes_reply_t>> attributes, std::uint64_t since) const;
    // Under mutex_.
    xcb_window_t checkWindow() const;
    void reported(xcb_window_t window);
    void remapped(xcb_window_t window);

    std::shared_ptr<X11Backend> backend_;
    std::shared_ptr<MainExecutor> main_;
    std::shared_ptr<CoalescedNotice> changes_ = std::make_shared<CoalescedNotice>();
    std::atomic<std::uint64_t> reports_{0};         // counts the reports that may make the memory stale
    std::atomic<std::uint64_t> windowManagers_{0};  // counts window manager changes
    mutable std::mutex reportsMutex_;
    mutable std::vector<xcb_window_t> reportedWindows_;  // under reportsMutex_: since the last list
    mutable std::vector<xcb_window_t> remappedWindows_;  // under reportsMutex_: since the last list
    mutable bool forgetAttributes_ = false;              // under reportsMutex_: the window manager changed
    mutable std::mutex mutex_;  // one list at a time
    mutable std::unordered_map<xcb_window_t, Other> others_;  // under mutex_
    mutable std::optional<xcb_window_t> checkWindow_;         // under mutex_
    mutable std::uint64_t checkWindowAt_ = 0;                 // under mutex_: windowManagers_ when read
    Subscription subscription_;  // last: ends before the rest goes
};

}  // namespace tessaly
