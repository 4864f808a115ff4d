#include "Platform/X11/X11Accessibility.h"

#include "Platform/AXObserverBase.h"
#include "Platform/Log.h"
#include "Platform/X11/X11Applications.h"
#include "Platform/X11/X11WindowCache.h"

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

namespace tessaly {

namespace {

std::string subroleOf(const X11WindowInfo& info) {
    if (info.isStandard()) return "AXStandardWindow";
    switch (info.type) {
    case X11WindowType::dialog: return "AXDialog";
    case X11WindowType::utility:
    case X11WindowType::toolbar: return "AXFloatingWindow";
    default: return "AXUnknown";
    }
}

}  // namespace

// Turns the event reader's events into accessibility notifications: keeps
// what it last saw of every client (owner, frame, minimised) to tell a move
// from a resize and to notice minimising, and queues each notification on
// the observers registered for it.
struct X11Accessibility::Hub : std::enable_shared_from_this<X11Accessibility::Hub> {
    // How long a window may be between two window managers (the next one
    // comes up and frames its windows within a second or two).
    static constexpr std::chrono::seconds kBetweenManagersPatience{5};

    explicit Hub(std::shared_ptr<X11Backend> b) : backend(std::move(b)) {}

    // Stops listening, synchronously: afterwards no event reaches the hub,
    // so it is never released on the reader's thread. Observers that
    // outlive the accessibility object fall silent.
    void close() {
        std::lock_guard lock(subscribeMutex);
        closed = true;
        subscription.cancel();
    }

    struct Seen {
        ProcessID pid = 0;
        Rect frame;
        bool minimized = false;
        MaximizedAxes maximized;
        bool shaded = false;
        bool framed = false;  // inside a frame of a window manager's
        // Since when it has been out of a frame it was in (see isBetweenManagers).
        std::optional<std::chrono::steady_clock::time_point> unframedSince{};
    };
    static Seen seenOf(const X11WindowInfo& info) {
        return Seen{*info.pid,          info.frame,         info.isMinimized(), info.maximized(),
                    info.state.shaded, info.frameWindow != info.window};
    }

    std::shared_ptr<X11Backend> backend;
    std::mutex subscribeMutex;
    Subscription subscription;  // under subscribeMutex
    bool closed = false;                        // under subscribeMutex
    std::mutex mutex;  // guards observers and seen
    std::vector<std::weak_ptr<AXObserverState>> observers;
    std::unordered_map<xcb_window_t, Seen> seen;

    bool attach(const std::shared_ptr<AXObserverState>& observer) {
        {
            std::lock_guard lock(mutex);
            observers.push_back(observer);
        }
        std::lock_guard lock(subscribeMutex);
        if (closed) return false;
        if (subscription) return true;
        std::weak_ptr<Hub> weak = shared_from_this();
        // Seed before subscribing so the first events compare against something.
        remember(backend->windows().read(backend->windows().clientList()));
        subscription = backend->subscribeInTurn(
            [weak](const X11Event& event) {
                const auto hub = weak.lock();
                return hub ? hub->placement(event) : X11Backend::Turn::skip;
            },
            [weak](const X11Event& event) {
                if (auto hub = weak.lock()) hub->handle(event);
            });
        return subscription.isActive();
    }

    void remember(const std::vector<X11WindowInfo>& infos) {
        std::lock_guard lock(mutex);
        for (const auto& info : infos) {
            if (info.pid) seen[info.window] = seenOf(info);
        }
    }

    // Whether a window a window manager framed is out of its frame now: let
    // go by a window manager that is being replaced, not yet framed by the
    // next, or held by the next in a frame it has not sized yet. It has no
    // frame then, and what it shows meanwhile (the bare window, wherever it
    // was handed back) is no move of its own. A window out of its frame for
    // longer is taken as it is (the next window manager frames none).
    bool isBetweenManagers(const X11WindowInfo& info) {
        if (info.frameWindow != info.window && !info.isBeingFramed()) return false;
        std::lock_guard lock(mutex);
        const auto it = seen.find(info.window);
        if (it == seen.end() || !it->second.framed) return false;
        const auto now = std::chrono::steady_clock::now();
        if (!it->second.unframedSince) it->second.unframedSince = now;
        return now - *it->second.unframedSince < kBetweenManagersPatience;
    }

    void post(ProcessID pid, const AXElement& target, const AXElement& element, const std::string& name) {
        std::vector<std::shared_ptr<AXObserverState>> live;
        {
            std::lock_guard lock(mutex);
            std::erase_if(observers, [](const auto& w) { return w.expired(); });
            for (const auto& w : observers) {
                if (auto o = w.lock(); o && o->pid() == pid) live.push_back(std::move(o));
            }
        }
        const AXElement app = AXElement::application(pid);
        for (const auto& o : live) o->deliver(element, name, {target, app});
    }

    void postWindow(const Seen& s, xcb_window_t window, const std::string& name) {
        const AXElement e = windowElement(s.pid, window);
        post(s.pid, e, e, name);
    }

    // Re-reads a client and reports what changed since it was last seen
    // (between window managers: nothing, until the next one frames it).
    void refresh(xcb_window_t window) {
        const auto info = backend->windows().read(window);
        if (!info || !info->pid || isBetweenManagers(*info)) return;
        const Seen now = seenOf(*info);
        Seen before;
        bool known = false;
        {
            std::lock_guard lock(mutex);
            if (const auto it = seen.find(window); it != seen.end()) {
                before = it->second;
                known = true;
            }
            seen[window] = now;
        }
        if (!known) return;
        if (now.minimized != before.minimized) {
            postWindow(now, window, now.minimized ? "AXWindowMiniaturized" : "AXWindowDeminiaturized");
        }
        if (now.frame.origin != before.frame.origin) postWindow(now, window, "AXWindowMoved");
        // Window managers publish a maximise and its new frame in either
        // order: the state changing alone counts as a resize, so the frame
        // is reported again with the state that goes with it. So does a
        // window rolled up to its title bar or down again.
        if (now.frame.size != before.frame.size || now.maximized != before.maximized || now.shaded != before.shaded) {
            postWindow(now, window, "AXWindowResized");
        }
    }

    void clientsChanged(const std::vector<xcb_window_t>& clients) {
        std::vector<xcb_window_t> added;
        std::vector<xcb_window_t> unlisted;
        {
            std::lock_guard lock(mutex);
            for (const auto w : clients) {
                if (!seen.count(w)) added.push_back(w);
            }
            for (const auto& [window, s] : seen) {
                if (std::find(clients.begin(), clients.end(), window) == clients.end()) unlisted.push_back(window);
            }
        }
        // A window the list lost but that is still mapped was let go by a
        // window manager that is being replaced (the list empties while it
        // goes): it lives on and is framed again. It may not be viewable
        // yet (still inside the old frame, hidden before the window is
        // handed back to the root). Only windows that are gone or withdrawn
        // (unmapped by their client) count as destroyed.
        std::vector<xcb_window_t> stillShown;
        if (!unlisted.empty()) {
            xcb_connection_t* c = backend->connection().get();
            const auto attributes = xcbPipeline(
                c, unlisted, [c](xcb_window_t w) { return xcb_get_window_attributes(c, w); },
                xcb_get_window_attributes_reply);
            for (std::size_t i = 0; i < unlisted.size(); ++i) {
                if (attributes[i] && attributes[i]->map_state != XCB_MAP_STATE_UNMAPPED) stillShown.push_back(unlisted[i]);
            }
        }
        std::vector<std::pair<xcb_window_t, Seen>> removed;
        {
            std::lock_guard lock(mutex);
            for (const auto window : unlisted) {
                if (std::find(stillShown.begin(), stillShown.end(), window) != stillShown.end()) continue;
                if (const auto it = seen.find(window); it != seen.end()) {
                    removed.emplace_back(window, it->second);
                    seen.erase(it);
                }
            }
        }
        for (const auto& [window, s] : removed) postWindow(s, window, "AXUIElementDestroyed");
        const auto infos = backend->windows().read(added);
        remember(infos);
        for (const auto& info : infos) {
            if (!info.pid) continue;
            post(*info.pid, AXElement::application(*info.pid), windowElement(*info.pid, info.window), "AXWindowCreated");
        }
    }

    // A change of the client list asks the server about the clients that
    // came and went: off the reader's thread. So does a re-read of a client
    // memory does not hold whole (its state changed, it was mapped, or it is
    // between the two reports of a resize); the rest answers from memory.
    X11Backend::Turn placement(const X11Event& event) const {
        using Kind = X11Event::Kind;
        using Turn = X11Backend::Turn;
        switch (event.kind) {
        case Kind::clientListChanged: return Turn::worker;
        case Kind::frameChanged:
        case Kind::reparented:
        case Kind::stateChanged:
        case Kind::wmStateChanged:
        case Kind::mapped:
        case Kind::unmapped: {
            const X11WindowCache* cache = backend->windows().cache();
            return cache && cache->holdsClient(event.window) ? Turn::reader : Turn::worker;
        }
        case Kind::destroyed:
        case Kind::titleChanged:
        case Kind::activeWindowChanged: return Turn::reader;
        default: return Turn::skip;
        }
    }

    void handle(const X11Event& event) {
        using Kind = X11Event::Kind;
        switch (event.kind) {
        case Kind::clientListChanged: clientsChanged(event.clients); break;
        case Kind::destroyed: {
            std::optional<Seen> s;
            {
                std::lock_guard lock(mutex);
                if (const auto it = seen.find(event.window); it != seen.end()) {
                    s = it->second;
                    seen.erase(it);
                }
            }
            if (s) postWindow(*s, event.window, "AXUIElementDestroyed");
            break;
        }
        case Kind::titleChanged: {
            std::optional<Seen> s;
            {
                std::lock_guard lock(mutex);
                if (const auto it = seen.find(event.window); it != seen.end()) s = it->second;
            }
            if (s) postWindow(*s, event.window, "AXTitleChanged");
            break;
        }
        case Kind::frameChanged:
        case Kind::reparented:  // framed again (by the next window manager)
        case Kind::stateChanged:
        case Kind::wmStateChanged:
        case Kind::mapped:
        case Kind::unmapped: refresh(event.window); break;
        case Kind::activeWindowChanged: {
            std::optional<Seen> s;
            {
                std::lock_guard lock(mutex);
                if (const auto it = seen.find(event.window); it != seen.end()) s = it->second;
            }
            if (s) {
                post(s->pid, AXElement::application(s->pid), windowElement(s->pid, event.window), "AXFocusedWindowChanged");
            }
            break;
        }
        default: break;
        }
    }
};

namespace {

class X11Observer final : public AXObserverBase {
public:
    X11Observer(std::shared_ptr<X11Accessibility::Hub> hub, ProcessID pid)
        : AXObserverBase(std::make_shared<AXObserverState>(pid)), hub_(std::move(hub)) {}

private:
    void started() override { hub_->attach(state()); }
    // Only elements of its own process.
    bool accepts(const AXElement& element) const override { return element.pid == state()->pid(); }

    std::shared_ptr<X11Accessibility::Hub> hub_;
};

}  // namespace

X11Accessibility::X11Accessibility(std::shared_ptr<X11Backend> backend, std::shared_ptr<MainExecutor> main)
    : backend_(std::move(backend)), main_(std::move(main)), applications_(backend_),
      hub_(std::make_shared<Hub>(backend_)) {}

X11Accessibility::~X11Accessibility() { hub_->close(); }

std::vector<xcb_window_t> X11Accessibility::windowsOf(ProcessID pid) const {
    std::vector<xcb_window_t> windows;
    for (const auto& client : backend_->clientsFrontToBack()) {
        if (client.pid == pid) windows.push_back(client.window);
    }
    return windows;
}

AXAnswer X11Accessibility::readApplication(ProcessID pid, std::string_view attribute) {
    if (attribute == "AXRole") return {AXError::success, std::string("AXApplication")};
    if (attribute == "AXWindows") {
        std::vector<AXElement> elements;
        for (const auto w : windowsOf(pid)) elements.push_back(windowElement(pid, w));
        return {AXError::success, elements};
    }
    if (attribute == "AXFocusedWindow" || attribute == "AXMainWindow") {
        const auto& windows = backend_->windows();
        const xcb_window_t active = windows.activeWindow();
        const auto own = windowsOf(pid);
        if (active != kNoWindow && std::find(own.begin(), own.end(), active) != own.end()) {
            return {AXError::success, windowElement(pid, active)};
        }
        // Otherwise the frontmost of its windows that is not minimised.
        for (const auto& info : windows.read(own)) {
            if (!info.isMinimized()) return {AXError::success, windowElement(pid, info.window)};
        }
        return {AXError::noValue, {}};
    }
    if (attribute == "AXTitle") {
        const auto app = applications_.application(pid);
        if (!app || !app->localizedName) return {AXError::noValue, {}};
        return {AXError::success, *app->localizedName};
    }
    if (attribute == "AXFrontmost") {
        const xcb_window_t active = backend_->windows().activeWindow();
        const auto pids = backend_->windows().pids({active});
        return {AXError::success, active != kNoWindow && pids.front() == pid};
    }
    return {AXError::attributeUnsupported, {}};
}

AXAnswer X11Accessibility::copyAttributeValue(const AXElement& element, std::string_view attribute, AXTimeout) {
    if (!backend_->connection().isAlive()) return {AXError::cannotComplete, {}};
    if (element.isApplication()) {
        if (!processIsAlive(element.pid)) return {AXError::invalidElement, {}};
        return readApplication(element.pid, attribute);
    }
    // Read from memory when the backend keeps the client; an owner that has
    // exited took its windows along, whether or not the backend has heard so yet.
    if (processHasExited(element.pid)) return {AXError::invalidElement, {}};
    const xcb_window_t window = windowOf(element);
    const auto info = backend_->windows().read(window);
    if (!info || info->pid != element.pid) return {AXError::invalidElement, {}};
    if (element.id & kCloseButtonBit) {
        if (attribute == "AXRole") return {AXError::success, std::string("AXButton")};
        if (attribute == "AXSubrole") return {AXError::success, std::string("AXCloseButton")};
        return {AXError::attributeUnsupported, {}};
    }
    if (attribute == "AXRole") return {AXError::success, std::string("AXWindow")};
    if (attribute == "AXSubrole") return {AXError::success, subroleOf(*info)};
    if (attribute == "AXTitle") return {AXError::success, info->title};
    if (attribute == "AXPosition" || attribute == "AXSize") {
        if (hub_->isBetweenManagers(*info)) return {AXError::cannotComplete, {}};
        return {AXError::success, attribute == "AXPosition" ? AXValue{info->frame.origin} : AXValue{info->frame.size}};
    }
    if (attribute == "AXMinimized") return {AXError::success, info->isMinimized()};
    if (attribute == "AXFullScreen") return {AXError::success, info->state.fullscreen};
    if (attribute == "AXMaximized") return {AXError::success, info->maximized().flags()};
    if (attribute == "AXShaded") return {AXError::success, info->state.shaded};
    if (attribute == "AXMain" || attribute == "AXFocused") {
        return {AXError::success, backend_->windows().activeWindow() == window};
    }
    if (attribute == "AXCloseButton") return {AXError::success, closeButtonElement(element.pid, window)};
    if (attribute == "AXChildren") return {AXError::success, std::vector<AXElement>{}};
    if (attribute == "AXDocument") return {AXError::noValue, {}};
    return {AXError::attributeUnsupported, {}};
}

std::optional<AXError> X11Accessibility::frameWriteRefused(const AXElement& element) const {
    // Moves and resizes (one per member when a group moves) check the owner
    // in the round trip they make anyway, or answer from what the backend
    // remembers of the window without one. An owner that has exited took
    // its windows along, whether or not the backend has heard so yet.
    if (processHasExited(element.pid)) return AXError::invalidElement;
    // A window no window manager frames now is framed anew where it stands:
    // a frame given it meanwhile would count the decoration it does not have.
    const auto info = backend_->windows().read(windowOf(element));
    if (info && hub_->isBetweenManagers(*info)) return AXError::cannotComplete;
    return std::nullopt;
}

std::optional<AXError> X11Accessibility::setFrame(const AXElement& element, const Rect& frame, AXTimeout) {
    if (!backend_->connection().isAlive()) return AXError::cannotComplete;
    if (element.isApplication() || (element.id & kCloseButtonBit)) return AXError::attributeUnsupported;
    if (const auto refused = frameWriteRefused(element)) return *refused;
    return backend_->windows().setFrame(windowOf(element), frame, element.pid) ? AXError::success
                                                                                : AXError::invalidElement;
}

AXError X11Accessibility::setAttributeValue(const AXElement& element, std::string_view attribute, const AXValue& value,
                                            AXTimeout) {
    if (!backend_->connection().isAlive()) return AXError::cannotComplete;
    if (element.isApplication()) return AXError::attributeUnsupported;
    if (element.id & kCloseButtonBit) return AXError::attributeUnsupported;
    const xcb_window_t window = windowOf(element);
    const auto& windows = backend_->windows();
    const auto done = [](bool ok) { return ok ? AXError::success : AXError::invalidElement; };
    const auto owned = [&] { return windows.pids({window}).front() == element.pid; };
    const auto wrongValue = [&] { return owned() ? AXError::illegalArgument : AXError::invalidElement; };
    if (attribute == "AXPosition" || attribute == "AXSize") {
        if (const auto refused = frameWriteRefused(element)) return *refused;
    }
    if (attribute == "AXPosition") {
        const Point* p = std::get_if<Point>(&value);
        if (!p) return wrongValue();
        return done(windows.setPosition(window, *p, element.pid));
    }
    if (attribute == "AXSize") {
        const Size* s = std::get_if<Size>(&value);
        if (!s) return wrongValue();
        return done(windows.setSize(window, *s, element.pid));
    }
    if (!owned()) return AXError::invalidElement;
    if (attribute == "AXMinimized") {
        const bool* b = std::get_if<bool>(&value);
        if (!b) return AXError::illegalArgument;
        if (!*b) return done(windows.restore(window));
        if (!windows.minimize(window)) return AXError::invalidElement;
        if (windows.minimizeMayBeIgnored()) confirmMinimize(window);
        return AXError::success;
    }
    if (attribute == "AXMain" || attribute == "AXFocused") {
        const bool* b = std::get_if<bool>(&value);
        if (!b) return AXError::illegalArgument;
        if (!*b) return AXError::success;
        return done(windows.activate(window));
    }
    if (attribute == "AXFullScreen") {
        const bool* b = std::get_if<bool>(&value);
        if (!b) return AXError::illegalArgument;
        return done(windows.setFullScreen(window, *b));
    }
    if (attribute == "AXShaded") {
        const bool* b = std::get_if<bool>(&value);
        if (!b) return AXError::illegalArgument;
        return done(windows.setShaded(window, *b));
    }
    if (attribute == "AXMaximized") {
        const std::int64_t* flags = std::get_if<std::int64_t>(&value);
        if (!flags) return AXError::illegalArgument;
        return windows.setMaximized(window, MaximizedAxes::fromFlags(*flags)) ? AXError::success : AXError::failure;
    }
    return AXError::attributeUnsupported;
}

AXError X11Accessibility::performAction(const AXElement& element, std::string_view action, AXTimeout) {
    if (!backend_->connection().isAlive()) return AXError::cannotComplete;
    if (element.isApplication()) return AXError::actionUnsupported;
    const xcb_window_t window = windowOf(element);
    const auto& windows = backend_->windows();
    if (windows.pids({window}).front() != element.pid) return AXError::invalidElement;
    if (element.id & kCloseButtonBit) {
        if (action != "AXPress") return AXError::actionUnsupported;
        return windows.close(window) ? AXError::success : AXError::failure;
    }
    if (action == "AXRaise") return windows.raise(window) ? AXError::success : AXError::invalidElement;
    return AXError::actionUnsupported;
}

void X11Accessibility::confirmMinimize(xcb_window_t window) const {
    if (!main_) return;
    constexpr double patience = std::chrono::duration<double>(X11Windows::minimizeConfirmation).count();
    // Timers are armed on the main thread, and this runs on an
    // accessibility queue. The look is one read of the window, from memory
    // while the event reader keeps it.
    main_->post([main = main_.get(), backend = std::weak_ptr<X11Backend>(backend_), window] {
        main->postAfter(patience, [backend, window] {
            const auto alive = backend.lock();
            const auto info = alive ? alive->windows().read(window) : std::nullopt;
            if (info && info->viewable && !info->isMinimized()) {
                Log::error(LogCategory::app,
                           "the window manager ignored the minimise of window " + std::to_string(window));
            }
        });
    });
}

std::unique_ptr<AXObserverConnection> X11Accessibility::createObserver(ProcessID pid) {
    if (!processIsAlive(pid)) return nullptr;
    return std::make_unique<X11Observer>(hub_, pid);
}

bool X11Accessibility::isProcessTrusted(bool) {
    return backend_->connection().isAlive() && backend_->connection().windowManagerCheckWindow() != kNoWindow;
}

}  // namespace tessaly
