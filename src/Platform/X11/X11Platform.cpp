#include "Platform/X11/X11Platform.h"

#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Displays.h"
#include "Platform/X11/X11HotkeyService.h"
#include "Platform/X11/X11InputMonitor.h"
#include "Platform/X11/X11KeyboardLayout.h"
#include "Platform/X11/X11LauncherBadges.h"
#include "Platform/X11/X11MoveAssist.h"
#include "Platform/X11/X11WindowHints.h"
#include "Platform/X11/X11WindowList.h"
#include "Platform/X11/X11WindowServer.h"
#include "Platform/X11/X11Workspace.h"

#include <time.h>

namespace tessaly {

namespace {

std::optional<double> readClock(clockid_t id) {
    timespec ts{};
    if (clock_gettime(id, &ts) != 0) return std::nullopt;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

std::optional<double> X11SystemProbes::kernelBootTime() const {
    const auto now = readClock(CLOCK_REALTIME);
    const auto sinceBoot = readClock(CLOCK_BOOTTIME);
    if (!now || !sinceBoot) return std::nullopt;
    return *now - *sinceBoot;
}

std::unique_ptr<X11Platform> X11Platform::open(const std::string& display) {
    auto backend = X11Backend::open(display);
    if (!backend) return nullptr;
    return std::unique_ptr<X11Platform>(new X11Platform(std::move(backend)));
}

PlatformServices X11Platform::services(std::shared_ptr<Clock> clock, std::shared_ptr<MainExecutor> main,
                                       std::shared_ptr<QueueFactory> queues) const {
    PlatformServices s;
    s.accessibility = std::make_shared<X11Accessibility>(backend_, main);
    s.windowList = std::make_shared<X11WindowList>(backend_, main);
    s.displays = std::make_shared<X11Displays>(backend_);
    s.workspace = std::make_shared<X11Workspace>(backend_, main);
    s.privateSymbols = std::make_shared<X11WindowServer>(backend_);
    s.dockBadges = std::make_shared<X11LauncherBadges>();
    s.systemProbes = std::make_shared<X11SystemProbes>();
    s.moveAssist = X11MoveAssist::create(backend_);
    s.windowHints = std::make_shared<X11WindowHints>(backend_);
    s.memberFollow = std::make_shared<MemberFollow>(clock, [backend = backend_.get()](const FollowMove& move,
                                                                                     const Rect& frame) {
        return backend->windows().sendFrameIfKnown(move.window, frame, move.pid);
    }, [backend = backend_.get()](WindowID window) {
        // From memory only: the reader never waits for the server.
        const X11WindowCache* cache = backend->windows().cache();
        const auto kept = cache ? cache->sizeHints(window) : std::nullopt;
        return kept && *kept ? (*kept)->increment : Size{};
    }, backend_->frameRecord());
    backend_->setMemberFollow(s.memberFollow);
    if (queues) backend_->setWorkQueue(queues->makeSerialQueue("tessaly.x11.work"));
    s.clock = std::move(clock);
    s.mainExecutor = std::move(main);
    s.queueFactory = std::move(queues);
    return s;
}

std::unique_ptr<InputMonitor> X11Platform::makeInputMonitor() const {
    return std::make_unique<X11InputMonitor>(backend_);
}

std::unique_ptr<HotkeyService> X11Platform::makeHotkeyService(std::shared_ptr<MainExecutor> main) const {
    return X11HotkeyService::create(backend_, std::move(main));
}

std::shared_ptr<KeyboardLayout> X11Platform::readKeyboardLayout() const {
    return X11KeyboardLayout::read(backend_->display());
}

}  // namespace tessaly
