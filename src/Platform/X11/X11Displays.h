#pragma once
// The displays of the X11 backend: RandR monitors, the primary first, with
// visible frames less the docks' struts. Read once and kept until the event
// reader says they may have changed (a RandR notify, the root resized, a
// strut or the work area changed, a client came or went, another window
// manager), so that asking several times a second costs no round trip.
//
// It listens from its construction on, so that its handler runs before
// those of services made after it (the workspace's, which tells the main
// thread that the screens changed): a reader told of a change never finds
// the old screens. Without the event reader nothing is kept.
#include "Platform/Displays.h"
#include "Platform/Subscription.h"
#include "Platform/X11/X11Backend.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace tessaly {

class X11Displays final : public Displays {
public:
    explicit X11Displays(std::shared_ptr<X11Backend> backend);
    ~X11Displays() override;
    X11Displays(const X11Displays&) = delete;
    X11Displays& operator=(const X11Displays&) = delete;

    std::vector<DisplayInfo> screens() const override;

private:
    std::shared_ptr<X11Backend> backend_;
    std::atomic<std::uint64_t> changes_{0};  // counts the reports that may change the screens
    mutable std::mutex mutex_;
    mutable std::optional<std::vector<DisplayInfo>> kept_;  // under mutex_
    mutable std::uint64_t keptAt_ = 0;                      // under mutex_: changes_ when read
    Subscription subscription_;  // last: ends before the rest goes
};

}  // namespace tessaly
