#include "Platform/Sim/SimDesktop.h"

#include "Platform/AXObserverBase.h"
#include "Platform/CoalescedNotice.h"
#include "Platform/FrameLanding.h"
#include "Platform/WorkspaceObservers.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessaly {

namespace {

// Element ids: the low 32 bits hold the window id, the next 8 bits the kind
// of element, the 16 above them an index among siblings.
enum class ElementKind : std::uint64_t { window = 0, closeButton = 1, tabGroup = 2, tabButton = 3, child = 4 };

std::uint64_t makeElementID(WindowID window, ElementKind kind, std::uint64_t index = 0) {
    return std::uint64_t{window} | (static_cast<std::uint64_t>(kind) << 32) | (index << 40);
}
WindowID elementWindow(const AXElement& element) { return static_cast<WindowID>(element.id & 0xFFFFFFFFu); }
ElementKind elementKind(const AXElement& element) { return static_cast<ElementKind>((element.id >> 32) & 0xFFu); }
std::size_t elementIndex(const AXElement& element) { return static_cast<std::size_t>((element.id >> 40) & 0xFFFFu); }

class SimTransaction final : public WindowServerTransaction {
public:
    std::vector<SimDesktop::Ordering> orders;
};

struct PendingAXNotification {
    AXElement target;   // the element the notification is registered on
    AXElement element;  // the element it is about
    std::string name;
};

}  // namespace

struct SimDesktop::State {
    State(VirtualClock& c, MainExecutor& m) : clock(c), main(m) {}

    VirtualClock& clock;
    MainExecutor& main;
    mutable std::mutex mutex;

    std::map<ProcessID, SimApp> apps;
    std::vector<ProcessID> appOrder;
    std::map<WindowID, SimWindow> windows;
    std::vector<WindowID> stack;  // front to back
    std::optional<ProcessID> frontmost;
    std::uint32_t space = 0;
    std::uint32_t spaceCount = 1;
    std::vector<DisplayInfo> displays;

    bool trusted = true;
    int prompts = 0;
    std::optional<bool> stageManager;
    std::optional<double> bootTime;
    std::optional<ProcessID> dockPID;
    std::vector<DockTile> dockTiles;
    bool privateWindowServer = true;
    bool axGetWindow = true;
    bool listUnavailable = false;
    std::function<void(std::vector<WindowInfo>&)> listHook;
    bool overview = true;
    std::optional<double> maximizeStepDelay;
    // Finishes a maximise in steps later: installed by the desktop, which
    // can send what the finish changes.
    std::function<void(double delay, WindowID, MaximizedAxes, Rect)> finishMaximizeLater;
    std::optional<double> rollDelay;
    // Rolls a window later: installed by the desktop, as above.
    std::function<void(double delay, WindowID, bool shaded)> rollLater;
    bool rollsDownWhenRaised = false;
    // Maximises asked of these windows are carried out so many seconds
    // late, by the function the desktop installs.
    std::map<WindowID, double> maximizeLags;
    std::function<void(double delay, WindowID, MaximizedAxes)> maximizeLater;
    // What these windows do is reported so many seconds late.
    std::map<WindowID, double> reportLags;
    std::shared_ptr<CoalescedNotice> listChanges = std::make_shared<CoalescedNotice>();

    std::vector<SimAXCall> calls;
    std::map<ProcessID, int> activations;
    std::vector<std::string> urls;
    std::vector<Ordering> orderings;
    std::vector<std::weak_ptr<AXObserverState>> observers;
    // Apart from the desktop, so that deliveries still queued on the main
    // executor can outlive it.
    std::shared_ptr<WorkspaceObservers> workspaceObservers = std::make_shared<WorkspaceObservers>();

    // Notifications gathered under the lock, sent after it is released.
    std::vector<std::pair<ProcessID, PendingAXNotification>> pendingAX;
    std::vector<WorkspaceEvent> pendingWorkspace;

    // --- helpers, all called with `mutex` held

    SimWindow* findWindow(WindowID id) {
        const auto it = windows.find(id);
        return it == windows.end() ? nullptr : &it->second;
    }
    SimApp* findApp(ProcessID pid) {
        const auto it = apps.find(pid);
        return it == apps.end() ? nullptr : &it->second;
    }

    // Scripted edits of one application or window, under the lock; an
    // unknown one is left alone.
    template <typename Fn>
    void editApp(ProcessID pid, Fn fn) {
        std::lock_guard lock(mutex);
        if (SimApp* app = findApp(pid)) fn(*app);
    }
    template <typename Fn>
    void editWindow(WindowID id, Fn fn) {
        std::lock_guard lock(mutex);
        if (SimWindow* w = findWindow(id)) fn(*w);
    }

    // What the window list tells beyond frames, to see whether a change
    // changed it.
    std::vector<std::uint64_t> listShape() const {
        std::vector<std::uint64_t> shape{space};
        for (const WindowID id : stack) {
            const SimWindow& w = windows.at(id);
            shape.insert(shape.end(), {id, isOnScreen(w), w.spec.space.value_or(space),
                                       static_cast<std::uint64_t>(w.spec.layer)});
        }
        return shape;
    }

    bool isOnScreen(const SimWindow& w) const {
        const auto app = apps.find(w.pid());
        if (app == apps.end() || !app->second.alive || app->second.hidden) return false;
        if (w.spec.minimized || w.tabHost) return false;
        const std::uint32_t s = w.spec.space.value_or(space);
        return s == space || s == allSpaces;
    }

    RunningApplication running(const SimApp& app) const {
        RunningApplication r;
        r.pid = app.spec.pid;
        if (!app.spec.bundleID.empty()) r.bundleIdentifier = app.spec.bundleID;
        if (!app.spec.name.empty()) r.localizedName = app.spec.name;
        if (!app.spec.path.empty()) r.bundlePath = app.spec.path;
        r.activationPolicy = app.spec.policy;
        r.isHidden = app.hidden;
        r.isTerminated = !app.alive;
        return r;
    }

    void notifyAX(ProcessID pid, const AXElement& target, const AXElement& element, std::string name) {
        pendingAX.push_back({pid, PendingAXNotification{target, element, std::move(name)}});
    }
    void notifyWindow(const SimWindow& w, const char* name) {
        const AXElement e = windowElement(w.pid(), w.id());
        notifyAX(w.pid(), e, e, name);
    }
    void notifyWorkspace(WorkspaceNotification kind, std::optional<RunningApplication> app = std::nullopt,
                         std::optional<WindowID> window = std::nullopt) {
        pendingWorkspace.push_back(WorkspaceEvent{kind, std::move(app), window});
    }

    void bringToFront(WindowID id) {
        const auto it = std::find(stack.begin(), stack.end(), id);
        if (it != stack.end()) stack.erase(it);
        stack.insert(stack.begin(), id);
    }

    void setFocused(SimApp& app, std::optional<WindowID> id) {
        if (app.focusedWindow == id) return;
        if (const SimWindow* w = id ? findWindow(*id) : nullptr; w && w->refusesFocus) return;
        app.focusedWindow = id;
        if (id) {
            notifyAX(app.spec.pid, AXElement::application(app.spec.pid), windowElement(app.spec.pid, *id),
                     "AXFocusedWindowChanged");
        }
    }

    // The frontmost remaining window of the application, for focus.
    std::optional<WindowID> frontWindowOf(ProcessID pid) const {
        for (const WindowID id : stack) {
            const auto it = windows.find(id);
            if (it != windows.end() && it->second.pid() == pid && !it->second.spec.minimized) return id;
        }
        return std::nullopt;
    }

    void applyFrame(SimWindow& w, Rect frame) {
        const Rect old = w.spec.frame;
        w.spec.frame = frame;
        if (frame.origin != old.origin) notifyWindow(w, "AXWindowMoved");
        if (frame.size != old.size) notifyWindow(w, "AXWindowResized");
    }

    void removeWindow(WindowID id, bool tellObservers) {
        SimWindow* w = findWindow(id);
        if (!w) return;
        const ProcessID pid = w->pid();
        if (tellObservers) notifyWindow(*w, "AXUIElementDestroyed");
        // Windows folded into this one come back out.
        for (auto& [otherID, other] : windows) {
            if (other.tabHost == id) other.tabHost.reset();
        }
        leaveTabs(*w);
        windows.erase(id);
        stack.erase(std::remove(stack.begin(), stack.end(), id), stack.end());
        if (SimApp* app = findApp(pid); app && app->focusedWindow == id) {
            app->focusedWindow.reset();
            if (tellObservers) setFocused(*app, frontWindowOf(pid));
        }
    }

    // Takes the window out of its host's native tabs; a host left with a
    // single tab has no tab group any more.
    void leaveTabs(SimWindow& w) {
        if (!w.tabHost) return;
        if (SimWindow* host = findWindow(*w.tabHost)) host->nativeTabs = host->nativeTabs > 2 ? host->nativeTabs - 1 : 0;
        w.tabHost.reset();
    }

    // Waits for the application as a blocking request would: on the virtual
    // clock, at most for the time-out. Answers whether it answered in time.
    bool waitFor(const SimApp& app, AXTimeout timeout) {
        const double limit = timeout > 0 ? timeout : defaultMessagingTimeout;
        if (app.latency >= limit) {
            clock.advance(limit);
            return false;
        }
        if (app.latency > 0) clock.advance(app.latency);
        return true;
    }

    // A request to the application: reachable, then answered in time.
    AXError enter(ProcessID pid, AXTimeout timeout) {
        const AXError reachable = reach(pid);
        if (reachable != AXError::success) return reachable;
        return waitFor(*findApp(pid), timeout) ? AXError::success : AXError::cannotComplete;
    }

    // Whether requests about the application's elements can be made at all
    // (trust, a live process), without waiting for it.
    AXError reach(ProcessID pid) const {
        if (!trusted) return AXError::apiDisabled;
        const auto app = apps.find(pid);
        if (app == apps.end() || !app->second.alive) return AXError::invalidElement;
        return AXError::success;
    }

    void record(SimAXCall::Kind kind, const AXElement& element, std::string_view name, AXError answer) {
        calls.push_back(SimAXCall{kind, element, std::string(name), answer});
    }

    AXAnswer readApplication(const SimApp& app, std::string_view attribute) {
        if (attribute == "AXWindows") {
            std::vector<AXElement> list;
            for (const WindowID id : stack) {
                const auto it = windows.find(id);
                if (it != windows.end() && it->second.pid() == app.spec.pid) list.push_back(windowElement(app.spec.pid, id));
            }
            return {AXError::success, list};
        }
        if (attribute == "AXFocusedWindow") {
            if (!app.focusedWindow) return {AXError::noValue, {}};
            return {AXError::success, windowElement(app.spec.pid, *app.focusedWindow)};
        }
        if (attribute == "AXEnhancedUserInterface") {
            if (!app.enhancedUserInterface) return {AXError::attributeUnsupported, {}};
            return {AXError::success, *app.enhancedUserInterface};
        }
        if (attribute == "AXRole") return {AXError::success, std::string("AXApplication")};
        if (attribute == "AXTitle") return {AXError::success, app.spec.name};
        return {AXError::attributeUnsupported, {}};
    }

    AXAnswer readWindow(const SimWindow& w, const SimApp& app, std::string_view attribute) {
        if (w.failingReads.count(std::string(attribute))) return {AXError::cannotComplete, {}};
        const auto text = [](const std::optional<std::string>& v) -> AXAnswer {
            if (!v) return {AXError::noValue, {}};
            return {AXError::success, *v};
        };
        if (attribute == "AXRole") return text(w.spec.role);
        if (attribute == "AXSubrole") return text(w.spec.subrole);
        if (attribute == "AXTitle") return {AXError::success, w.spec.title};
        if (attribute == "AXMinimized") return {AXError::success, w.spec.minimized};
        if (attribute == "AXFullScreen") return {AXError::success, w.fullScreen};
        if (attribute == "AXMaximized") return {AXError::success, w.maximized.flags()};
        if (attribute == "AXShaded") return {AXError::success, w.shaded};
        if (attribute == "AXPosition") return {AXError::success, w.spec.frame.origin};
        if (attribute == "AXSize") return {AXError::success, w.spec.frame.size};
        if (attribute == "AXDocument") return text(w.spec.document);
        if (attribute == "AXMain") return {AXError::success, app.focusedWindow == w.id()};
        if (attribute == "AXCloseButton") {
            if (!w.spec.hasCloseButton) return {AXError::noValue, {}};
            return {AXError::success, AXElement{w.pid(), makeElementID(w.id(), ElementKind::closeButton)}};
        }
        if (attribute == "AXChildren") {
            std::vector<AXElement> children;
            for (std::size_t i = 0; i < w.childRoles.size(); ++i) {
                children.push_back(AXElement{w.pid(), makeElementID(w.id(), ElementKind::child, i)});
            }
            if (w.nativeTabs > 0) children.push_back(AXElement{w.pid(), makeElementID(w.id(), ElementKind::tabGroup)});
            return {AXError::success, children};
        }
        return {AXError::attributeUnsupported, {}};
    }

    AXAnswer readPart(const SimWindow& w, ElementKind kind, std::size_t index, std::string_view attribute) {
        if (attribute == "AXRole") {
            switch (kind) {
                case ElementKind::closeButton: return {AXError::success, std::string("AXButton")};
                case ElementKind::tabGroup: return {AXError::success, std::string("AXTabGroup")};
                case ElementKind::tabButton: return {AXError::success, std::string("AXRadioButton")};
                case ElementKind::child:
                    if (index < w.childRoles.size()) return {AXError::success, w.childRoles[index]};
                    return {AXError::invalidElement, {}};
                case ElementKind::window: break;
            }
            return {AXError::invalidElement, {}};
        }
        if (attribute == "AXChildren") {
            std::vector<AXElement> children;
            if (kind == ElementKind::tabGroup) {
                for (int i = 0; i < w.nativeTabs; ++i) {
                    children.push_back(
                        AXElement{w.pid(), makeElementID(w.id(), ElementKind::tabButton, static_cast<std::uint64_t>(i))});
                }
            }
            return {AXError::success, children};
        }
        return {AXError::attributeUnsupported, {}};
    }

    AXError writeWindow(SimWindow& w, SimApp& app, std::string_view attribute, const AXValue& value) {
        if (w.failingWrites.count(std::string(attribute))) return AXError::cannotComplete;
        const SimFrameBehaviour& behaviour = w.frameBehaviour;
        if (attribute == "AXPosition") {
            const Point* p = std::get_if<Point>(&value);
            if (!p) return AXError::illegalArgument;
            if (behaviour.kind == SimFrameBehaviour::Kind::refuse) return AXError::success;
            leaveMaximized(w);
            Point origin = *p;
            if (behaviour.kind == SimFrameBehaviour::Kind::clamp) {
                origin = Point{std::max(origin.x, behaviour.minOrigin.x), std::max(origin.y, behaviour.minOrigin.y)};
            }
            applyFrame(w, Rect(origin, w.spec.frame.size));
            return AXError::success;
        }
        if (attribute == "AXSize") {
            const Size* s = std::get_if<Size>(&value);
            if (!s) return AXError::illegalArgument;
            if (behaviour.kind == SimFrameBehaviour::Kind::refuse) return AXError::success;
            leaveMaximized(w);
            Size size = *s;
            if (behaviour.kind == SimFrameBehaviour::Kind::clamp) {
                size.width = std::clamp(size.width, behaviour.minSize.width, behaviour.maxSize.width);
                size.height = std::clamp(size.height, behaviour.minSize.height, behaviour.maxSize.height);
            }
            applyFrame(w, Rect(w.spec.frame.origin, size));
            return AXError::success;
        }
        if (attribute == "AXMaximized") {
            const std::int64_t* flags = std::get_if<std::int64_t>(&value);
            if (!flags) return AXError::illegalArgument;
            if (const auto lag = maximizeLags.find(w.id()); lag != maximizeLags.end() && maximizeLater) {
                maximizeLater(lag->second, w.id(), MaximizedAxes::fromFlags(*flags));
                return AXError::success;
            }
            setMaximized(w, MaximizedAxes::fromFlags(*flags), std::nullopt);
            return AXError::success;
        }
        if (attribute == "AXMinimized" || attribute == "AXMain" || attribute == "AXFullScreen" || attribute == "AXShaded") {
            const bool* b = std::get_if<bool>(&value);
            if (!b) return AXError::illegalArgument;
            if (attribute == "AXMinimized") setMinimized(w, *b);
            else if (attribute == "AXFullScreen") setFullScreen(w, *b);
            else if (attribute == "AXShaded" && rollDelay && rollLater) rollLater(*rollDelay, w.id(), *b);
            else if (attribute == "AXShaded") setShaded(w, *b);
            else if (*b) setFocused(app, w.id());
            return AXError::success;
        }
        return AXError::attributeUnsupported;
    }

    void setMinimized(SimWindow& w, bool minimized) {
        if (w.spec.minimized == minimized) return;
        w.spec.minimized = minimized;
        notifyWindow(w, minimized ? "AXWindowMiniaturized" : "AXWindowDeminiaturized");
        if (SimApp* app = findApp(w.pid())) {
            if (minimized && app->focusedWindow == w.id()) {
                app->focusedWindow.reset();
                setFocused(*app, frontWindowOf(w.pid()));
            } else if (!minimized) {
                bringToFront(w.id());
                setFocused(*app, w.id());
            }
        }
    }

    void setFullScreen(SimWindow& w, bool fullScreen) {
        if (w.fullScreen == fullScreen) return;
        w.fullScreen = fullScreen;
        if (fullScreen) {
            w.frameBeforeFullScreen = w.spec.frame;
            applyFrame(w, displays.empty() ? w.spec.frame : displays.front().frame);
        } else {
            const Rect back = w.frameBeforeFullScreen.value_or(w.spec.frame);
            w.frameBeforeFullScreen.reset();
            applyFrame(w, back);
        }
    }

    // The frame stays; the change is told as a resize, as on X11.
    void setShaded(SimWindow& w, bool shaded) {
        if (w.shaded == shaded) return;
        w.shaded = shaded;
        notifyWindow(w, "AXWindowResized");
    }

    // The work area of the display sharing the most with the frame (the
    // first display's when none does).
    Rect workArea(const Rect& frame) const {
        Rect best = displays.empty() ? frame : displays.front().visibleFrame;
        double most = 0;
        for (const DisplayInfo& display : displays) {
            const Rect shared = display.frame.intersection(frame);
            const double area = shared.isNull() ? 0 : shared.width() * shared.height();
            if (area > most) {
                most = area;
                best = display.visibleFrame;
            }
        }
        return best;
    }

    void setMaximized(SimWindow& w, MaximizedAxes axes, const std::optional<Rect>& frame) {
        if (w.maximized == axes && !frame) return;
        const Rect before = w.spec.frame;
        if (!w.maximized.any()) w.frameBeforeMaximize = before;
        const Rect normal = w.frameBeforeMaximize.value_or(before);
        Rect target = normal;
        if (frame) {
            target = *frame;
        } else if (axes.any()) {
            const Rect area = workArea(normal);
            if (axes.horizontal) target = Rect(area.minX(), target.minY(), area.width(), target.height());
            if (axes.vertical) target = Rect(target.minX(), area.minY(), target.width(), area.height());
        }
        if (maximizeStepDelay && finishMaximizeLater && axes == MaximizedAxes::both() && !w.maximized.any() &&
            !frame) {
            // The height first, the rest and the state a moment later.
            const Rect area = workArea(normal);
            applyFrame(w, Rect(normal.minX(), area.minY(), normal.width(), area.height()));
            finishMaximizeLater(*maximizeStepDelay, w.id(), axes, target);
            return;
        }
        finishMaximize(w, axes, target);
    }

    void finishMaximize(SimWindow& w, MaximizedAxes axes, const Rect& target) {
        const Rect before = w.spec.frame;
        w.maximized = axes;
        if (!axes.any()) w.frameBeforeMaximize.reset();
        applyFrame(w, target);
        // A state change alone is reported as a frame change too.
        if (target == before) notifyWindow(w, "AXWindowResized");
    }

    // A frame written to a maximised window takes it out of its maximised
    // state (without moving it back: the write moves it).
    static void leaveMaximized(SimWindow& w) {
        w.maximized = {};
        w.frameBeforeMaximize.reset();
    }

    void activate(ProcessID pid) {
        SimApp* app = findApp(pid);
        if (!app || !app->alive || app->ignoresActivation) return;
        if (frontmost == pid) return;
        // An application that becomes active brings its focused window forward.
        const auto focus = app->focusedWindow ? app->focusedWindow : frontWindowOf(pid);
        if (focus) bringToFront(*focus);
        // A window that takes no focus cannot make its application active.
        if (const SimWindow* w = focus ? findWindow(*focus) : nullptr; w && w->refusesFocus) return;
        frontmost = pid;
        notifyWorkspace(WorkspaceNotification::didActivateApplication, running(*app));
    }
};

SimDesktop::SimDesktop(VirtualClock& clock, MainExecutor& main) : state_(std::make_shared<State>(clock, main)) {
    state_->displays.push_back(DisplayInfo{1, "Main", Rect(0, 0, 1920, 1080), Rect(0, 25, 1920, 1055)});
    // Called only from a move of this desktop's, while it lives.
    follow_ = std::make_shared<MemberFollow>(std::shared_ptr<Clock>(std::shared_ptr<Clock>(), &clock),
                                             [this](const FollowMove& move, const Rect& frame) {
                                                 const AXElement element = windowElement(move.pid, move.window);
                                                 const auto current = window(move.window);
                                                 if (!current) return false;
                                                 if (!(current->frame().size == frame.size)) {
                                                     setAttributeValue(element, "AXSize", frame.size, 0);
                                                 }
                                                 return setAttributeValue(element, "AXPosition", frame.origin, 0) ==
                                                        AXError::success;
                                             },
                                             [this](WindowID window) { return FrameLanding::increments(this, window); });
}

SimDesktop::~SimDesktop() = default;

PlatformServices SimDesktop::services(const std::shared_ptr<SimDesktop>& self, std::shared_ptr<Clock> clock,
                                      std::shared_ptr<MainExecutor> main, std::shared_ptr<QueueFactory> queues) {
    PlatformServices s;
    s.accessibility = self;
    s.windowList = self;
    s.displays = self;
    s.workspace = self;
    s.privateSymbols = self;
    s.dockBadges = self;
    s.systemProbes = self;
    s.windowHints = self;
    s.memberFollow = self->memberFollow();
    s.clock = std::move(clock);
    s.mainExecutor = std::move(main);
    s.queueFactory = std::move(queues);
    return s;
}

namespace {

void deliverAX(const std::vector<std::weak_ptr<AXObserverState>>& observers, ProcessID pid,
               const PendingAXNotification& n, bool registeredOnly = true) {
    for (const auto& weak : observers) {
        const auto observer = weak.lock();
        if (!observer || observer->pid() != pid) continue;
        if (registeredOnly) observer->deliver(n.element, n.name, {n.target});
        else observer->deliverUnregistered(n.element, n.name);
    }
}

// Sends the gathered notifications: accessibility ones to the observers
// registered for them (queued on their threads), workspace ones to the main
// executor.
void flushState(SimDesktop::State& state) {
    std::vector<std::pair<ProcessID, PendingAXNotification>> ax;
    std::vector<WorkspaceEvent> ws;
    std::vector<std::weak_ptr<AXObserverState>> observers;
    std::map<WindowID, double> lags;
    {
        std::lock_guard lock(state.mutex);
        ax.swap(state.pendingAX);
        ws.swap(state.pendingWorkspace);
        std::erase_if(state.observers, [](const auto& weak) { return weak.expired(); });
        observers = state.observers;
        lags = state.reportLags;
    }
    for (const auto& [pid, n] : ax) {
        const auto lag = lags.find(n.element.id);
        if (lag == lags.end() || !(n.element == SimDesktop::windowElement(pid, lag->first))) {
            deliverAX(observers, pid, n);
            continue;
        }
        state.main.postAfter(lag->second, [observers, pid = pid, n = n] { deliverAX(observers, pid, n); });
    }
    for (auto& event : ws) state.workspaceObservers->post(state.main, std::move(event));
}

// Runs a change under the lock, then sends what it gathered, and tells the
// list's observers when the list changed.
template <typename Fn>
void change(SimDesktop::State& state, Fn fn) {
    bool listChanged = false;
    {
        std::lock_guard lock(state.mutex);
        const auto before = state.listShape();
        fn();
        listChanged = state.listShape() != before;
    }
    flushState(state);
    if (listChanged) CoalescedNotice::post(state.listChanges, state.main);
}

// Changes window `id` `after` seconds from now, as a request on its way
// lands: unless the desktop or the window is gone by then.
void changeLater(const std::weak_ptr<SimDesktop::State>& weak, double after, WindowID id,
                 std::function<void(SimDesktop::State&, SimWindow&)> apply) {
    const auto state = weak.lock();
    if (!state) return;
    state->main.postAfter(after, [weak, id, apply = std::move(apply)] {
        const auto alive = weak.lock();
        if (!alive) return;
        change(*alive, [&] {
            if (SimWindow* w = alive->findWindow(id)) apply(*alive, *w);
        });
    });
}

}  // namespace

// ------------------------------------------------------------------ scripting

void SimDesktop::addApplication(const SimAppSpec& spec) {
    std::lock_guard lock(state_->mutex);
    SimApp app;
    app.spec = spec;
    if (!state_->apps.count(spec.pid)) state_->appOrder.push_back(spec.pid);
    state_->apps[spec.pid] = app;
}

void SimDesktop::terminate(ProcessID pid) {
    change(*state_, [&] {
        SimApp* app = state_->findApp(pid);
        if (!app || !app->alive) return;
        std::vector<WindowID> ids;
        for (const auto& [id, w] : state_->windows) {
            if (w.pid() == pid) ids.push_back(id);
        }
        for (const WindowID id : ids) state_->removeWindow(id, false);
        app->alive = false;
        app->focusedWindow.reset();
        if (state_->frontmost == pid) state_->frontmost.reset();
        state_->notifyWorkspace(WorkspaceNotification::didTerminateApplication, state_->running(*app));
        // Its observers fall silent.
        for (const auto& weak : state_->observers) {
            if (const auto observer = weak.lock(); observer && observer->pid() == pid) observer->clearRegistrations();
        }
    });
}

void SimDesktop::setHidden(ProcessID pid, bool hidden) {
    change(*state_, [&] {
        if (SimApp* app = state_->findApp(pid)) app->hidden = hidden;
    });
}

void SimDesktop::setLatency(ProcessID pid, double seconds) {
    state_->editApp(pid, [&](SimApp& app) { app.latency = seconds; });
}

void SimDesktop::setEnhancedUserInterface(ProcessID pid, std::optional<bool> value) {
    state_->editApp(pid, [&](SimApp& app) { app.enhancedUserInterface = value; });
}

void SimDesktop::setObserverUnavailable(ProcessID pid, bool unavailable) {
    state_->editApp(pid, [&](SimApp& app) { app.observerUnavailable = unavailable; });
}

void SimDesktop::setIgnoresActivation(ProcessID pid, bool ignores) {
    state_->editApp(pid, [&](SimApp& app) { app.ignoresActivation = ignores; });
}

void SimDesktop::bringToFront(ProcessID pid) { change(*state_, [&] { state_->activate(pid); }); }

void SimDesktop::addWindow(const SimWindowSpec& spec) {
    change(*state_, [&] {
        SimApp* app = state_->findApp(spec.pid);
        if (!app || !app->alive || spec.id == 0) return;
        state_->removeWindow(spec.id, false);
        SimWindow w;
        w.spec = spec;
        state_->windows[spec.id] = w;
        state_->bringToFront(spec.id);
        const AXElement e = windowElement(spec.pid, spec.id);
        state_->notifyAX(spec.pid, AXElement::application(spec.pid), e, "AXWindowCreated");
        if (!spec.minimized) state_->setFocused(*app, spec.id);
    });
}

void SimDesktop::moveWindow(WindowID id, const Rect& frame) {
    change(*state_, [&] {
        if (SimWindow* w = state_->findWindow(id)) state_->applyFrame(*w, frame);
    });
    followMove(id);
}

void SimDesktop::setLeftButtonSource(std::function<bool()> isDown) { leftButtonDown_ = std::move(isDown); }

void SimDesktop::followMove(WindowID id) {
    const auto moved = window(id);
    if (!moved) return;
    FollowRequest request;
    request.source = id;
    request.frame = moved->frame();
    request.buttonUp = leftButtonDown_ && !leftButtonDown_();
    request.fullScreen = moved->fullScreen;
    request.maximized = moved->maximized.any();
    request.minimized = moved->spec.minimized;
    request.shaded = moved->shaded;
    follow_->follow(request);
}

void SimDesktop::setTitle(WindowID id, const std::string& title) {
    change(*state_, [&] {
        SimWindow* w = state_->findWindow(id);
        if (!w || w->spec.title == title) return;
        w->spec.title = title;
        state_->notifyWindow(*w, "AXTitleChanged");
    });
}

void SimDesktop::setMinimized(WindowID id, bool minimized) {
    change(*state_, [&] {
        if (SimWindow* w = state_->findWindow(id)) state_->setMinimized(*w, minimized);
    });
}

void SimDesktop::setFullScreen(WindowID id, bool fullScreen) {
    change(*state_, [&] {
        if (SimWindow* w = state_->findWindow(id)) state_->setFullScreen(*w, fullScreen);
    });
}

void SimDesktop::setShaded(WindowID id, bool shaded) {
    change(*state_, [&] {
        if (SimWindow* w = state_->findWindow(id)) state_->setShaded(*w, shaded);
    });
}

void SimDesktop::setMaximized(WindowID id, MaximizedAxes axes, std::optional<Rect> frame) {
    change(*state_, [&] {
        if (SimWindow* w = state_->findWindow(id)) state_->setMaximized(*w, axes, frame);
    });
}

void SimDesktop::setRollsAfter(double delay) {
    std::lock_guard lock(state_->mutex);
    state_->rollDelay = delay;
    state_->rollLater = [weak = std::weak_ptr<State>(state_)](double after, WindowID id, bool shaded) {
        changeLater(weak, after, id, [shaded](State& state, SimWindow& w) { state.setShaded(w, shaded); });
    };
}

void SimDesktop::setRollsDownWhenRaised(bool rolls) {
    std::lock_guard lock(state_->mutex);
    state_->rollsDownWhenRaised = rolls;
}

void SimDesktop::setMaximizeLag(WindowID id, double delay) {
    std::lock_guard lock(state_->mutex);
    state_->maximizeLags[id] = delay;
    state_->maximizeLater = [weak = std::weak_ptr<State>(state_)](double after, WindowID window, MaximizedAxes axes) {
        changeLater(weak, after, window,
                    [axes](State& state, SimWindow& w) { state.setMaximized(w, axes, std::nullopt); });
    };
}

void SimDesktop::setReportLag(WindowID id, double delay) {
    std::lock_guard lock(state_->mutex);
    if (delay > 0) state_->reportLags[id] = delay;
    else state_->reportLags.erase(id);
}

void SimDesktop::setMaximizesInSteps(double delay) {
    std::lock_guard lock(state_->mutex);
    state_->maximizeStepDelay = delay;
    state_->finishMaximizeLater = [weak = std::weak_ptr<State>(state_)](double after, WindowID id,
                                                                         MaximizedAxes axes, Rect target) {
        // Unless something else took the window out of its normal state meanwhile.
        changeLater(weak, after, id, [axes, target](State& state, SimWindow& w) {
            if (!w.maximized.any()) state.finishMaximize(w, axes, target);
        });
    };
}

void SimDesktop::destroyWindow(WindowID id) { change(*state_, [&] { state_->removeWindow(id, true); }); }

void SimDesktop::raiseWindow(WindowID id) {
    change(*state_, [&] {
        SimWindow* w = state_->findWindow(id);
        if (!w) return;
        state_->bringToFront(id);
        if (SimApp* app = state_->findApp(w->pid())) state_->setFocused(*app, id);
    });
}

void SimDesktop::setFrameBehaviour(WindowID id, const SimFrameBehaviour& behaviour) {
    state_->editWindow(id, [&](SimWindow& w) { w.frameBehaviour = behaviour; });
}

void SimDesktop::setFailingRead(WindowID id, const std::string& attribute, bool fails) {
    state_->editWindow(id, [&](SimWindow& w) {
        if (fails) w.failingReads.insert(attribute);
        else w.failingReads.erase(attribute);
    });
}

void SimDesktop::setFailingWrite(WindowID id, const std::string& attributeOrAction, bool fails) {
    state_->editWindow(id, [&](SimWindow& w) {
        if (fails) w.failingWrites.insert(attributeOrAction);
        else w.failingWrites.erase(attributeOrAction);
    });
}

void SimDesktop::setHidesNumber(WindowID id, bool hides) {
    state_->editWindow(id, [&](SimWindow& w) { w.hidesNumber = hides; });
}

void SimDesktop::setTitleBarHeight(WindowID id, std::optional<double> height) {
    state_->editWindow(id, [&](SimWindow& w) { w.titleBarHeight = height; });
}

std::optional<Rect> SimDesktop::titleBar(WindowID window) const {
    std::lock_guard lock(state_->mutex);
    const SimWindow* w = state_->findWindow(window);
    if (!w || !w->titleBarHeight) return std::nullopt;
    return Rect(w->frame().minX(), w->frame().minY(), w->frame().width(), *w->titleBarHeight);
}

void SimDesktop::setRefusesFocus(WindowID id, bool refuses) {
    state_->editWindow(id, [&](SimWindow& w) { w.refusesFocus = refuses; });
}

bool SimDesktop::refusesFocus(WindowID window) const {
    std::lock_guard lock(state_->mutex);
    const SimWindow* w = state_->findWindow(window);
    return w && w->refusesFocus;
}

std::optional<SizeHints> SimDesktop::sizeHints(WindowID window) const {
    std::lock_guard lock(state_->mutex);
    const SimWindow* w = state_->findWindow(window);
    return w ? w->sizeHints : std::nullopt;
}

void SimDesktop::setChildRoles(WindowID id, std::vector<std::string> roles) {
    state_->editWindow(id, [&](SimWindow& w) { w.childRoles = std::move(roles); });
}

void SimDesktop::setNativeTabs(WindowID id, int tabs) {
    state_->editWindow(id, [&](SimWindow& w) { w.nativeTabs = std::max(0, tabs); });
}

void SimDesktop::setLayerAndAlpha(WindowID id, int layer, double alpha) {
    state_->editWindow(id, [&](SimWindow& w) {
        w.spec.layer = layer;
        w.spec.alpha = alpha;
    });
}

void SimDesktop::foldIntoTabs(WindowID id, WindowID hostID) {
    change(*state_, [&] {
        SimWindow* w = state_->findWindow(id);
        SimWindow* host = state_->findWindow(hostID);
        if (!w || !host || id == hostID || w->tabHost || w->pid() != host->pid()) return;
        w->tabHost = hostID;
        host->nativeTabs = std::max(host->nativeTabs, 1) + 1;
        state_->applyFrame(*w, host->spec.frame);
        state_->bringToFront(hostID);
        if (SimApp* app = state_->findApp(w->pid())) state_->setFocused(*app, hostID);
    });
}

void SimDesktop::unfoldFromTabs(WindowID id) {
    change(*state_, [&] {
        SimWindow* w = state_->findWindow(id);
        if (!w || !w->tabHost) return;
        state_->leaveTabs(*w);
        state_->bringToFront(id);
    });
}

void SimDesktop::setSpaceCount(std::uint32_t count) {
    std::lock_guard lock(state_->mutex);
    state_->spaceCount = std::max<std::uint32_t>(1, count);
}

void SimDesktop::switchSpace(std::uint32_t space) {
    change(*state_, [&] {
        if (space >= state_->spaceCount || space == state_->space) return;
        state_->space = space;
        state_->notifyWorkspace(WorkspaceNotification::activeSpaceDidChange);
    });
}

void SimDesktop::moveWindowToSpace(WindowID id, std::uint32_t space) {
    change(*state_, [&] {
        SimWindow* w = state_->findWindow(id);
        if (!w) return;
        w->spec.space = space;
        state_->notifyWorkspace(WorkspaceNotification::windowDidChangeSpace, std::nullopt, id);
    });
}

void SimDesktop::setDisplays(std::vector<DisplayInfo> displays) {
    change(*state_, [&] {
        state_->displays = std::move(displays);
        state_->notifyWorkspace(WorkspaceNotification::screenParametersDidChange);
    });
}

void SimDesktop::sleep() { change(*state_, [&] { state_->notifyWorkspace(WorkspaceNotification::willSleep); }); }
void SimDesktop::wake() { change(*state_, [&] { state_->notifyWorkspace(WorkspaceNotification::didWake); }); }
void SimDesktop::screensSleep() {
    change(*state_, [&] { state_->notifyWorkspace(WorkspaceNotification::screensDidSleep); });
}
void SimDesktop::screensWake() {
    change(*state_, [&] { state_->notifyWorkspace(WorkspaceNotification::screensDidWake); });
}

void SimDesktop::injectNotification(const AXElement& element, const std::string& name) {
    std::vector<std::weak_ptr<AXObserverState>> observers;
    {
        std::lock_guard lock(state_->mutex);
        observers = state_->observers;
    }
    deliverAX(observers, element.pid, PendingAXNotification{element, element, name}, false);
}

void SimDesktop::setTrusted(bool trusted) {
    std::lock_guard lock(state_->mutex);
    state_->trusted = trusted;
}

int SimDesktop::trustPromptCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->prompts;
}

void SimDesktop::setStageManagerPreference(std::optional<bool> value) {
    std::lock_guard lock(state_->mutex);
    state_->stageManager = value;
}

void SimDesktop::setKernelBootTime(std::optional<double> value) {
    std::lock_guard lock(state_->mutex);
    state_->bootTime = value;
}

void SimDesktop::setDockProcess(std::optional<ProcessID> pid) {
    std::lock_guard lock(state_->mutex);
    state_->dockPID = pid;
}

void SimDesktop::setDockTiles(std::vector<DockTile> tiles) {
    std::lock_guard lock(state_->mutex);
    state_->dockTiles = std::move(tiles);
}

void SimDesktop::setPrivateWindowServerAvailable(bool available) {
    std::lock_guard lock(state_->mutex);
    state_->privateWindowServer = available;
}

void SimDesktop::setAXGetWindowAvailable(bool available) {
    std::lock_guard lock(state_->mutex);
    state_->axGetWindow = available;
}

void SimDesktop::setWindowListUnavailable(bool unavailable) {
    {
        std::lock_guard lock(state_->mutex);
        state_->listUnavailable = unavailable;
    }
    CoalescedNotice::post(state_->listChanges, state_->main);
}

void SimDesktop::setWindowListHook(std::function<void(std::vector<WindowInfo>&)> hook) {
    {
        std::lock_guard lock(state_->mutex);
        state_->listHook = std::move(hook);
    }
    CoalescedNotice::post(state_->listChanges, state_->main);
}

void SimDesktop::setHasOverview(bool has) {
    std::lock_guard lock(state_->mutex);
    state_->overview = has;
}

bool SimDesktop::hasOverview() const {
    std::lock_guard lock(state_->mutex);
    return state_->overview;
}

Subscription SimDesktop::observeChanges(std::function<void()> handler) {
    return state_->listChanges->add(std::move(handler));
}

// ------------------------------------------------------------------ reading back

std::optional<SimWindow> SimDesktop::window(WindowID id) const {
    std::lock_guard lock(state_->mutex);
    if (const SimWindow* w = state_->findWindow(id)) return *w;
    return std::nullopt;
}

std::optional<SimApp> SimDesktop::application(ProcessID pid) const {
    std::lock_guard lock(state_->mutex);
    if (const SimApp* app = state_->findApp(pid)) return *app;
    return std::nullopt;
}

std::vector<WindowID> SimDesktop::stacking() const {
    std::lock_guard lock(state_->mutex);
    return state_->stack;
}

std::vector<SimAXCall> SimDesktop::axCalls() const {
    std::lock_guard lock(state_->mutex);
    return state_->calls;
}

std::vector<SimAXCall> SimDesktop::axCalls(const AXElement& element) const {
    std::lock_guard lock(state_->mutex);
    std::vector<SimAXCall> out;
    for (const auto& call : state_->calls) {
        if (call.element == element) out.push_back(call);
    }
    return out;
}

void SimDesktop::clearAXCalls() {
    std::lock_guard lock(state_->mutex);
    state_->calls.clear();
}

int SimDesktop::activationRequests(ProcessID pid) const {
    std::lock_guard lock(state_->mutex);
    const auto it = state_->activations.find(pid);
    return it == state_->activations.end() ? 0 : it->second;
}

std::vector<std::string> SimDesktop::openedURLs() const {
    std::lock_guard lock(state_->mutex);
    return state_->urls;
}

int SimDesktop::liveObserverCount() const {
    std::lock_guard lock(state_->mutex);
    int count = 0;
    for (const auto& weak : state_->observers) {
        if (const auto observer = weak.lock(); observer && observer->isValid()) ++count;
    }
    return count;
}

std::vector<SimDesktop::Ordering> SimDesktop::committedOrderings() const {
    std::lock_guard lock(state_->mutex);
    return state_->orderings;
}

// ------------------------------------------------------------------ Accessibility

AXAnswer SimDesktop::copyAttributeValue(const AXElement& element, std::string_view attribute, AXTimeout timeout) {
    std::lock_guard lock(state_->mutex);
    AXAnswer answer;
    const AXError entered = state_->enter(element.pid, timeout);
    if (entered != AXError::success) {
        answer.error = entered;
    } else if (element.isApplication()) {
        answer = state_->readApplication(*state_->findApp(element.pid), attribute);
    } else {
        SimWindow* w = state_->findWindow(elementWindow(element));
        if (!w || w->pid() != element.pid) {
            answer.error = AXError::invalidElement;
        } else if (elementKind(element) == ElementKind::window) {
            answer = state_->readWindow(*w, *state_->findApp(element.pid), attribute);
        } else {
            answer = state_->readPart(*w, elementKind(element), elementIndex(element), attribute);
        }
    }
    state_->record(SimAXCall::Kind::read, element, attribute, answer.error);
    return answer;
}

AXError SimDesktop::setAttributeValue(const AXElement& element, std::string_view attribute, const AXValue& value,
                                      AXTimeout timeout) {
    AXError result = AXError::success;
    change(*state_, [&] {
        result = state_->enter(element.pid, timeout);
        if (result == AXError::success) {
            SimApp& app = *state_->findApp(element.pid);
            if (element.isApplication()) {
                if (attribute == "AXEnhancedUserInterface" && app.enhancedUserInterface && std::get_if<bool>(&value)) {
                    app.enhancedUserInterface = std::get<bool>(value);
                } else {
                    result = AXError::attributeUnsupported;
                }
            } else {
                SimWindow* w = state_->findWindow(elementWindow(element));
                if (!w || w->pid() != element.pid) result = AXError::invalidElement;
                else if (elementKind(element) != ElementKind::window) result = AXError::attributeUnsupported;
                else result = state_->writeWindow(*w, app, attribute, value);
            }
        }
        state_->record(SimAXCall::Kind::write, element, attribute, result);
    });
    return result;
}

AXError SimDesktop::performAction(const AXElement& element, std::string_view action, AXTimeout timeout) {
    AXError result = AXError::success;
    change(*state_, [&] {
        result = state_->enter(element.pid, timeout);
        if (result == AXError::success) {
            SimWindow* w = element.isApplication() ? nullptr : state_->findWindow(elementWindow(element));
            if (!w || w->pid() != element.pid) {
                result = element.isApplication() ? AXError::actionUnsupported : AXError::invalidElement;
            } else if (w->failingWrites.count(std::string(action))) {
                result = AXError::cannotComplete;
            } else if (elementKind(element) == ElementKind::window && action == "AXRaise") {
                if (state_->rollsDownWhenRaised) state_->setShaded(*w, false);
                state_->bringToFront(w->id());
            } else if (elementKind(element) == ElementKind::closeButton && action == "AXPress") {
                state_->removeWindow(w->id(), true);
            } else {
                result = AXError::actionUnsupported;
            }
        }
        state_->record(SimAXCall::Kind::action, element, action, result);
    });
    return result;
}

std::unique_ptr<AXObserverConnection> SimDesktop::createObserver(ProcessID pid) {
    std::lock_guard lock(state_->mutex);
    const SimApp* app = state_->findApp(pid);
    if (!state_->trusted || !app || !app->alive || app->observerUnavailable) return nullptr;
    auto observer = std::make_shared<AXObserverState>(pid);
    state_->observers.push_back(observer);
    return std::make_unique<AXObserverBase>(observer);
}

bool SimDesktop::isProcessTrusted(bool prompt) {
    std::lock_guard lock(state_->mutex);
    if (prompt && !state_->trusted) ++state_->prompts;
    return state_->trusted;
}

// ------------------------------------------------------------------ WindowList

std::optional<std::vector<WindowInfo>> SimDesktop::copyWindowInfo(std::uint32_t options, WindowID relativeTo) const {
    std::function<void(std::vector<WindowInfo>&)> hook;
    std::vector<WindowInfo> list;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->listUnavailable) return std::nullopt;
        for (const WindowID id : state_->stack) {
            const SimWindow& w = state_->windows.at(id);
            if ((options & WindowListOption::includingWindow) && id != relativeTo) continue;
            if ((options & WindowListOption::excludeDesktopElements) && w.spec.isDesktopElement) continue;
            const bool onScreen = state_->isOnScreen(w);
            if ((options & WindowListOption::onScreenOnly) && !onScreen) continue;
            WindowInfo info;
            info.number = id;
            info.ownerPID = w.pid();
            if (const auto app = state_->apps.find(w.pid()); app != state_->apps.end() && !app->second.spec.name.empty()) {
                info.ownerName = app->second.spec.name;
            }
            info.bounds = w.spec.frame;
            info.layer = w.spec.layer;
            info.alpha = w.spec.alpha;
            info.isOnScreen = onScreen;
            info.space = w.spec.space.value_or(state_->space);
            list.push_back(std::move(info));
        }
        hook = state_->listHook;
    }
    if (hook) hook(list);
    return list;
}

// ------------------------------------------------------------------ Displays

std::vector<DisplayInfo> SimDesktop::screens() const {
    std::lock_guard lock(state_->mutex);
    return state_->displays;
}

// ------------------------------------------------------------------ Workspace

std::vector<RunningApplication> SimDesktop::runningApplications() const {
    std::lock_guard lock(state_->mutex);
    std::vector<RunningApplication> out;
    for (const ProcessID pid : state_->appOrder) {
        const SimApp& app = state_->apps.at(pid);
        if (app.alive) out.push_back(state_->running(app));
    }
    return out;
}

std::optional<RunningApplication> SimDesktop::runningApplication(ProcessID pid) const {
    std::lock_guard lock(state_->mutex);
    const SimApp* app = state_->findApp(pid);
    if (!app || !app->alive) return std::nullopt;
    return state_->running(*app);
}

std::vector<RunningApplication> SimDesktop::runningApplications(const std::string& bundleIdentifier) const {
    std::vector<RunningApplication> out;
    for (auto& app : runningApplications()) {
        if (app.bundleIdentifier == bundleIdentifier) out.push_back(std::move(app));
    }
    return out;
}

std::optional<RunningApplication> SimDesktop::frontmostApplication() const {
    std::lock_guard lock(state_->mutex);
    if (!state_->frontmost) return std::nullopt;
    const SimApp* app = state_->findApp(*state_->frontmost);
    if (!app || !app->alive) return std::nullopt;
    return state_->running(*app);
}

bool SimDesktop::activate(ProcessID pid) {
    bool ok = false;
    change(*state_, [&] {
        const SimApp* app = state_->findApp(pid);
        if (!app || !app->alive) return;
        ++state_->activations[pid];
        state_->activate(pid);
        ok = true;
    });
    return ok;
}

bool SimDesktop::openURL(const std::string& url) {
    std::lock_guard lock(state_->mutex);
    state_->urls.push_back(url);
    return true;
}

std::uint32_t SimDesktop::currentSpace() const {
    std::lock_guard lock(state_->mutex);
    return state_->space;
}

Subscription SimDesktop::addObserver(WorkspaceNotification kind, Handler handler) {
    return state_->workspaceObservers->add(kind, std::move(handler));
}

// ------------------------------------------------------------------ PrivateSymbols

AXGetWindowFunction SimDesktop::axGetWindow() {
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->axGetWindow) return {};
    }
    return [weak = std::weak_ptr<State>(state_)](const AXElement& element, WindowID* out) -> AXError {
        const auto state = weak.lock();
        if (!state) return AXError::invalidElement;
        std::lock_guard lock(state->mutex);
        // The window server knows its windows' numbers: a slow or hung
        // application does not hold the lookup up.
        const AXError reachable = state->reach(element.pid);
        if (reachable != AXError::success) return reachable;
        const SimWindow* w = state->findWindow(elementWindow(element));
        if (element.isApplication() || !w || w->pid() != element.pid) return AXError::invalidElement;
        if (elementKind(element) != ElementKind::window) return AXError::failure;
        *out = w->hidesNumber ? 0 : w->id();
        return AXError::success;
    };
}

std::optional<WindowServerFunctions> SimDesktop::openWindowServer() {
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->privateWindowServer) return std::nullopt;
    }
    const std::weak_ptr<State> weak = state_;
    WindowServerFunctions f;
    f.mainConnectionID = [] { return WindowServerConnection{1}; };
    f.transactionCreate = [](WindowServerConnection) -> TransactionRef { return std::make_shared<SimTransaction>(); };
    f.transactionOrderWindow = [](const TransactionRef& t, WindowID window, std::int32_t order, WindowID relativeTo) {
        if (auto* sim = dynamic_cast<SimTransaction*>(t.get())) sim->orders.push_back({window, order, relativeTo});
    };
    f.transactionCommit = [weak](const TransactionRef& t, std::int32_t) -> WindowServerError {
        auto* sim = dynamic_cast<SimTransaction*>(t.get());
        const auto state = weak.lock();
        if (!sim || !state) return kWindowServerFailure;
        std::lock_guard lock(state->mutex);
        state->orderings.insert(state->orderings.end(), sim->orders.begin(), sim->orders.end());
        sim->orders.clear();
        return kWindowServerSuccess;
    };
    f.orderWindow = [weak](WindowServerConnection, WindowID window, std::int32_t order, WindowID relativeTo) {
        const auto state = weak.lock();
        if (!state) return kWindowServerFailure;
        std::lock_guard lock(state->mutex);
        state->orderings.push_back({window, order, relativeTo});
        return kWindowServerSuccess;
    };
    f.registerNotifyProc = [](WindowServerNotifyProc, std::uint32_t, void*) { return kWindowServerSuccess; };
    f.requestNotificationsForWindows = [](WindowServerConnection, const WindowID*, std::int32_t) {
        return kWindowServerSuccess;
    };
    f.getWindowBounds = [weak](WindowServerConnection, WindowID window, Rect* out) -> WindowServerError {
        const auto state = weak.lock();
        if (!state) return kWindowServerFailure;
        std::lock_guard lock(state->mutex);
        const SimWindow* w = state->findWindow(window);
        if (!w) return kWindowServerIllegalArgument;
        *out = w->spec.frame;
        return kWindowServerSuccess;
    };
    f.transactionSetWindowLevel = [](const TransactionRef&, WindowID, std::int32_t) {};
    return f;
}

// ------------------------------------------------------------------ DockBadges

std::optional<ProcessID> SimDesktop::dockProcess() const {
    std::lock_guard lock(state_->mutex);
    return state_->dockPID;
}

std::vector<DockTile> SimDesktop::tiles(ProcessID host, AXTimeout timeout) const {
    std::lock_guard lock(state_->mutex);
    if (state_->dockPID != host) return {};
    if (const SimApp* app = state_->findApp(host); app && !state_->waitFor(*app, timeout)) return {};
    return state_->dockTiles;
}

// ------------------------------------------------------------------ SystemProbes

std::optional<bool> SimDesktop::stageManagerPreference() const {
    std::lock_guard lock(state_->mutex);
    return state_->stageManager;
}

std::optional<double> SimDesktop::kernelBootTime() const {
    std::lock_guard lock(state_->mutex);
    return state_->bootTime;
}

const char* SimDesktop::accessibilitySettingsURL() const { return "sim://settings/accessibility"; }

}  // namespace tessaly
