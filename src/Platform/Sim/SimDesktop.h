#pragma once
// A deterministic simulated desktop: applications, their windows and
// accessibility trees, the window list, displays, virtual desktops (Spaces),
// launcher badges, the private window-server functions and the system probes.
//
// Tests script it: add applications and windows, move them as the user
// would, let an application refuse or clamp a frame, answer late or never,
// hide or die, fold a window into its application's own tabs, switch the
// desktop, sleep and wake. Nothing happens behind a test's back:
// - accessibility notifications are queued on the observer's thread queue;
// - workspace notifications are posted to the main executor;
// - an application that answers late, or never, makes the caller wait on the
//   virtual clock (the clock moves by the delay, at most by the messaging
//   time-out, and a call that times out answers AXError::cannotComplete);
//   the private window-number lookup is the window server's and never waits.
// State is guarded by one lock that is never held while calling out.
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Platform/Accessibility.h"
#include "Platform/Clock.h"
#include "Platform/Displays.h"
#include "Platform/DockBadges.h"
#include "Platform/MainExecutor.h"
#include "Platform/MaximizedAxes.h"
#include "Platform/MemberFollow.h"
#include "Platform/PlatformServices.h"
#include "Platform/PrivateWindowServer.h"
#include "Platform/SystemProbes.h"
#include "Platform/WindowList.h"
#include "Platform/Workspace.h"

namespace tessaly {

struct SimAppSpec {
    ProcessID pid = 0;
    std::string bundleID;
    std::string name;
    std::string path;
    ActivationPolicy policy = ActivationPolicy::regular;
};

struct SimWindowSpec {
    WindowID id = 0;
    ProcessID pid = 0;
    Rect frame;
    std::string title;
    std::optional<std::string> role = std::string("AXWindow");
    std::optional<std::string> subrole = std::string("AXStandardWindow");
    int layer = 0;
    double alpha = 1.0;
    std::optional<std::uint32_t> space;  // absent: the current Space; SimDesktop::allSpaces: every Space
    bool minimized = false;
    bool hasCloseButton = true;
    std::optional<std::string> document;  // "AXDocument"
    bool isDesktopElement = false;        // left out of lists that exclude desktop elements
};

// How an application treats frames written to one of its windows.
struct SimFrameBehaviour {
    enum class Kind { accept, refuse, clamp };
    Kind kind = Kind::accept;
    Size minSize;                                   // clamp only
    Size maxSize{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    // clamp only: a window manager that keeps windows on screen puts the
    // top-left corner no further up or left than this
    Point minOrigin{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
};

// One accessibility request as the desktop saw it.
struct SimAXCall {
    enum class Kind { read, write, action };
    Kind kind = Kind::read;
    AXElement element;
    std::string name;  // attribute or action
    AXError answer = AXError::success;

    friend bool operator==(const SimAXCall&, const SimAXCall&) = default;
};

// The state of one simulated window, as tests read it back.
struct SimWindow {
    SimWindowSpec spec;
    bool fullScreen = false;
    std::optional<Rect> frameBeforeFullScreen;
    MaximizedAxes maximized;  // as the window manager holds it
    bool shaded = false;      // rolled up to its title bar
    std::optional<Rect> frameBeforeMaximize;
    std::optional<WindowID> tabHost;  // folded into the host's native tabs
    bool hidesNumber = false;         // the private window-number lookup fails
    SimFrameBehaviour frameBehaviour;
    std::vector<std::string> childRoles;   // extra direct children of the window element
    int nativeTabs = 0;                    // tabs of its native tab group (0: none)
    std::set<std::string> failingReads;    // attributes whose reads fail
    std::set<std::string> failingWrites;   // attributes and actions that fail
    std::optional<SizeHints> sizeHints;    // what the window asks of its size (absent: nothing)
    bool refusesFocus = false;             // takes no input focus: raised, it leaves the focus where it was
    std::optional<double> titleBarHeight;  // the window manager's title bar across the frame's top (absent: unknown)

    WindowID id() const { return spec.id; }
    ProcessID pid() const { return spec.pid; }
    const Rect& frame() const { return spec.frame; }
};

struct SimApp {
    SimAppSpec spec;
    bool hidden = false;
    bool alive = true;
    double latency = 0;  // seconds each request takes; infinity: hung
    std::optional<bool> enhancedUserInterface;  // absent: attribute unsupported
    bool observerUnavailable = false;
    std::optional<WindowID> focusedWindow;
    bool ignoresActivation = false;
};

class SimDesktop final : public Accessibility,
                         public WindowList,
                         public Displays,
                         public Workspace,
                         public PrivateSymbols,
                         public DockBadges,
                         public SystemProbes,
                         public WindowHints {
public:
    static constexpr std::uint32_t allSpaces = 0xFFFFFFFFu;
    static constexpr AXTimeout defaultMessagingTimeout = 6.0;

    // The clock and the executor must outlive the desktop. A 1920x1080 main
    // display with a 25-point menu bar exists from the start.
    SimDesktop(VirtualClock& clock, MainExecutor& main);
    ~SimDesktop() override;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    // Every platform service backed by this desktop (which must be owned by
    // `self`), with the given runtime pieces.
    static PlatformServices services(const std::shared_ptr<SimDesktop>& self, std::shared_ptr<Clock> clock,
                                     std::shared_ptr<MainExecutor> main, std::shared_ptr<QueueFactory> queues);

    // ---------------------------------------------------------------- scripting
    // Applications.
    void addApplication(const SimAppSpec& spec);
    // The application quits: its windows vanish (destroyed notifications),
    // every request to it fails, observers fall silent, and the workspace
    // posts didTerminateApplication.
    void terminate(ProcessID pid);
    void setHidden(ProcessID pid, bool hidden);
    // Seconds every request to the application takes; infinity hangs it.
    void setLatency(ProcessID pid, double seconds);
    void hang(ProcessID pid) { setLatency(pid, std::numeric_limits<double>::infinity()); }
    void setEnhancedUserInterface(ProcessID pid, std::optional<bool> value);
    void setObserverUnavailable(ProcessID pid, bool unavailable);
    void setIgnoresActivation(ProcessID pid, bool ignores);
    // Makes the application frontmost as the user would (posts the activation).
    void bringToFront(ProcessID pid);

    // Windows. A new window opens in front of all others and becomes its
    // application's focused window; its application is told (AXWindowCreated).
    void addWindow(const SimWindowSpec& spec);
    // The user moves or resizes the window (moved/resized notifications).
    void moveWindow(WindowID id, const Rect& frame);
    void setTitle(WindowID id, const std::string& title);
    void setMinimized(WindowID id, bool minimized);
    void setFullScreen(WindowID id, bool fullScreen);
    // Rolls the window up to its title bar or down again, as a window
    // manager's menu does; its frame stays (writing "AXShaded" does the same).
    void setShaded(WindowID id, bool shaded);
    // The window manager maximises the window along the axes, or restores it
    // (none), as its maximise button or a pager asks: maximised, it fills the
    // work area of its display that way; restored, it goes back to its frame
    // from before. With `frame` it takes that frame instead (borders a window
    // manager hides beyond the work area, a state published before or after
    // the frame). Writing "AXMaximized" does the same, and a frame written to
    // a maximised window restores it first, as the X11 backend does.
    void setMaximized(WindowID id, MaximizedAxes axes, std::optional<Rect> frame = std::nullopt);
    // From now on the window manager maximises as fluxbox does: the window
    // first takes the work area's height (and top), without the state;
    // `delay` seconds later it takes its whole maximised frame and the state
    // is published. A window maximised along one axis only takes it at once.
    void setMaximizesInSteps(double delay);
    // From now on the window manager rolls a window up or down `delay`
    // seconds after "AXShaded" is written, as a request on its way to a
    // real one lands; setShaded (the user's roll) still rolls at once.
    void setRollsAfter(double delay);
    // From now on the window manager rolls down a rolled-up window it is
    // asked to raise (metacity, marco and icewm do).
    void setRollsDownWhenRaised(bool rolls);
    // From now on the window manager carries out a maximise asked of the
    // window (a write of "AXMaximized") `delay` seconds late: after what it
    // was asked meanwhile, and after the user's own requests.
    void setMaximizeLag(WindowID id, double delay);
    // From now on what the window does reaches the observers `delay`
    // seconds late (0: at once), as from a window system's event reader
    // lagging behind on a busy machine: a read meanwhile sees it already.
    void setReportLag(WindowID id, double delay);
    // The window closes (destroyed notification).
    void destroyWindow(WindowID id);
    // Members of the window's group may move the moment a user's move is
    // read, as on X11 (see MemberFollow; the desktop's moves are writes to
    // their frames). That needs the left button known to be up: until a
    // source for it is given, it never is.
    const std::shared_ptr<MemberFollow>& memberFollow() const { return follow_; }
    void setLeftButtonSource(std::function<bool()> isDown);
    // The window comes to the front of the stack and becomes its
    // application's focused window.
    void raiseWindow(WindowID id);
    void setFrameBehaviour(WindowID id, const SimFrameBehaviour& behaviour);
    void setFailingRead(WindowID id, const std::string& attribute, bool fails = true);
    void setFailingWrite(WindowID id, const std::string& attributeOrAction, bool fails = true);
    void setHidesNumber(WindowID id, bool hides);
    void setTitleBarHeight(WindowID id, std::optional<double> height);
    // WindowHints: what was set for the window.
    std::optional<SizeHints> sizeHints(WindowID window) const override;
    // WindowHints: the band of the set height along the window's frame.
    std::optional<Rect> titleBar(WindowID window) const override;
    // A window that takes no focus: raising it, or activating its
    // application, brings it to the front and leaves focus and the active
    // application as they were.
    void setRefusesFocus(WindowID id, bool refuses);
    bool refusesFocus(WindowID window) const override;
    void setChildRoles(WindowID id, std::vector<std::string> roles);
    // Gives the window a native tab group with that many tabs (0: none).
    void setNativeTabs(WindowID id, int tabs);
    void setLayerAndAlpha(WindowID id, int layer, double alpha);
    // Folds the window into the host's native tabs (the host shows; the
    // window leaves the screen but lives on) or takes it out again.
    void foldIntoTabs(WindowID id, WindowID host);
    void unfoldFromTabs(WindowID id);

    // Spaces and displays.
    void setSpaceCount(std::uint32_t count);
    void switchSpace(std::uint32_t space);  // posts activeSpaceDidChange
    void moveWindowToSpace(WindowID id, std::uint32_t space);  // posts windowDidChangeSpace
    void setDisplays(std::vector<DisplayInfo> displays);  // posts screenParametersDidChange

    // Power: each posts its workspace notification.
    void sleep();
    void wake();
    void screensSleep();
    void screensWake();

    // Hands a notification about `element` to every live observer of its
    // process, registered or not (a stray or unusual notification).
    void injectNotification(const AXElement& element, const std::string& name);

    // Trust, system probes, launcher badges, private functions, window list.
    void setTrusted(bool trusted);
    int trustPromptCount() const;
    void setStageManagerPreference(std::optional<bool> value);
    void setKernelBootTime(std::optional<double> value);
    void setDockProcess(std::optional<ProcessID> pid);
    void setDockTiles(std::vector<DockTile> tiles);
    void setPrivateWindowServerAvailable(bool available);
    void setAXGetWindowAvailable(bool available);
    void setWindowListUnavailable(bool unavailable);
    // Edits every window list before it is answered (to drop or spoil fields).
    void setWindowListHook(std::function<void(std::vector<WindowInfo>&)> hook);
    // Whether the desktop has a system overview (it has by default); without
    // one, as on X11, nobody looks for its marker in the list.
    void setHasOverview(bool has);

    // ---------------------------------------------------------------- reading back
    std::optional<SimWindow> window(WindowID id) const;
    std::optional<SimApp> application(ProcessID pid) const;
    std::vector<WindowID> stacking() const;  // front to back, every live window
    std::vector<SimAXCall> axCalls() const;
    std::vector<SimAXCall> axCalls(const AXElement& element) const;
    void clearAXCalls();
    int activationRequests(ProcessID pid) const;
    std::vector<std::string> openedURLs() const;
    int liveObserverCount() const;
    struct Ordering {
        WindowID window = 0;
        std::int32_t order = 0;
        WindowID relativeTo = 0;
        friend bool operator==(const Ordering&, const Ordering&) = default;
    };
    std::vector<Ordering> committedOrderings() const;

    // Element of a window as its application exposes it.
    static AXElement windowElement(ProcessID pid, WindowID id) { return AXElement{pid, id}; }

    // ---------------------------------------------------------------- Accessibility
    AXAnswer copyAttributeValue(const AXElement& element, std::string_view attribute, AXTimeout timeout) override;
    AXError setAttributeValue(const AXElement& element, std::string_view attribute, const AXValue& value,
                              AXTimeout timeout) override;
    AXError performAction(const AXElement& element, std::string_view action, AXTimeout timeout) override;
    std::unique_ptr<AXObserverConnection> createObserver(ProcessID pid) override;
    bool isProcessTrusted(bool prompt) override;

    // ---------------------------------------------------------------- WindowList
    std::optional<std::vector<WindowInfo>> copyWindowInfo(std::uint32_t options, WindowID relativeTo) const override;
    int dockWindowLevel() const override { return WindowLayer::dock; }
    bool hasOverview() const override;
    // Told after every scripted change that changes the list in more than
    // frames (windows, their order, visibility and desktops, the current
    // desktop), and after a new hook or a change of availability.
    Subscription observeChanges(std::function<void()> handler) override;

    // ---------------------------------------------------------------- Displays
    std::vector<DisplayInfo> screens() const override;

    // ---------------------------------------------------------------- Workspace
    std::vector<RunningApplication> runningApplications() const override;
    std::optional<RunningApplication> runningApplication(ProcessID pid) const override;
    std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    bool activate(ProcessID pid) override;
    bool openURL(const std::string& url) override;
    std::uint32_t currentSpace() const override;
    Subscription addObserver(WorkspaceNotification kind, Handler handler) override;

    // ---------------------------------------------------------------- PrivateSymbols
    AXGetWindowFunction axGetWindow() override;
    std::optional<WindowServerFunctions> openWindowServer() override;

    // ---------------------------------------------------------------- DockBadges
    std::optional<ProcessID> dockProcess() const override;
    std::vector<DockTile> tiles(ProcessID host, AXTimeout timeout) const override;

    // ---------------------------------------------------------------- SystemProbes
    std::optional<bool> stageManagerPreference() const override;
    std::optional<double> kernelBootTime() const override;
    const char* accessibilitySettingsURL() const override;

    struct State;

private:
    void followMove(WindowID id);

    std::shared_ptr<State> state_;
    std::shared_ptr<MemberFollow> follow_;
    std::function<bool()> leftButtonDown_;
};

}  // namespace tessaly
