#pragma once
// Keeps Qt out of the bars' pure moves. For each ConfigureNotify of one of
// its top-level windows Qt asks the server where the window is (it trusts
// no reported position) and then for its frame margins: two round trips on
// the main thread, while a dragged window moves its bar many times a second,
// and the work competes with the window manager moving the group's other
// members. This filter drops the reports of watched windows that only moved
// (their size is the one Qt knows), so Qt's idea of where such a window
// stands lags behind; once the bars have rested for a moment, each window
// whose report was dropped is sent a synthetic report of where the server
// has it then, which Qt takes as it stands (one round trip for the margins,
// once per rest). A report of a new size always goes through: Qt lays out
// and paints for it. A report of ours that comes back after a newer one of
// the server's is dropped: it would put Qt back where the window was.
//
// Main thread; installed on the application while it lives, and doing
// nothing unless Qt runs on xcb.
#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <xcb/xproto.h>

#include "Platform/Geometry.h"

namespace tessaly {

class BarMoveFilter final : public QAbstractNativeEventFilter {
public:
    BarMoveFilter();
    ~BarMoveFilter() override;
    BarMoveFilter(const BarMoveFilter&) = delete;
    BarMoveFilter& operator=(const BarMoveFilter&) = delete;

    // Whose pure moves are kept from Qt (0 does nothing).
    void watch(std::uint32_t window);
    void unwatch(std::uint32_t window);
    // Whether a window that changed size is restacked once the bars rest
    // (below the window under it, and back above): marco's compositor now
    // and then keeps showing such a window at its old size, the rest of it
    // not drawn, until the window is configured again.
    void setRestackAfterResize(bool restack) { restackAfterResize_ = restack; }
    // Told of each window just before such a restack, so that its two
    // reports are not taken for another client's doing.
    std::function<void(std::uint32_t window)> onRestacking;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // How long the bars rest before Qt is told where they are.
    static constexpr int kRestMilliseconds = 50;
    // How many reports one rest sends a window at most: another when it
    // moved while being told.
    static constexpr int kTellAttempts = 3;

    struct Watched {
        std::optional<std::pair<std::uint16_t, std::uint16_t>> size;  // as Qt knows it
        std::optional<xcb_configure_notify_event_t> untold;           // the latest report kept from Qt
        std::optional<xcb_configure_notify_event_t> told;             // sent to Qt, not back yet
        bool overtaken = false;  // the server reported the window since `told` was sent
    };

    // Tells Qt where each window whose report it missed stands now, and
    // restacks the windows that changed size.
    void tellQt();
    void restackResized(xcb_connection_t* c);
    // Sends the window a synthetic report of `at` (X pixels).
    void tell(xcb_connection_t* c, std::uint32_t window, const Rect& at);

    std::unordered_map<std::uint32_t, Watched> windows_;
    // Windows that changed size since the last rest.
    std::unordered_set<std::uint32_t> resized_;
    bool restackAfterResize_ = false;
    QTimer rest_;
    bool installed_ = false;
};

}  // namespace tessaly
