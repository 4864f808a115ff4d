#pragma once
// A real, headless X11 desktop for integration tests: Xvfb on a display the
// server picks itself, a window manager (openbox with a configuration of our
// own, or one of the window managers people run with its stock
// configuration), and real clients (xterm, xlogo). Every desktop has its own
// temporary HOME/XDG directories, so several test processes can run side by
// side.
//
// Waiting is always for something observable on the X connection (a
// property, a reparent, a client in _NET_CLIENT_LIST) with a deadline; the
// harness never sleeps.
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11Connection.h"
#include "Platform/X11/X11Windows.h"
#include "Platform/X11/ProcessStop.h"
#include "Platform/X11/X11TestTimeout.h"
#include "Platform/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

// The window managers a desktop can run. openboxTest is openbox with the
// configuration of our own (no Control+Alt+Left/Right binds, no iconify
// animation, `desktops` desktops, Shift+drag on the title bar moves); the
// others run their stock configuration (i3 with the stock one less its
// start-up programs and bar, so no first-run wizard or status bar comes up).
// KWin runs twice: kwin with compositing turned off (as in its settings),
// kwinComposited as it starts by default, compositing with OpenGL (on
// software rendering here). mutter runs as GNOME on Xorg starts it (--x11),
// muffin as Cinnamon does; both always composite.
enum class X11WindowManager {
    openboxTest,
    openbox,
    xfwm4,
    fluxbox,
    icewm,
    metacity,
    marco,
    i3,
    kwin,
    kwinComposited,
    mutter,
    muffin
};

class X11Desktop {
public:
    struct Options {
        int width = 1920;
        int height = 1080;
        int desktops = 1;  // for openboxTest
        bool windowManager = true;
        X11WindowManager manager = X11WindowManager::openboxTest;
        // Starts a compositor (picom with its xrender backend) beside a
        // window manager that has none of its own; xfwm4 composites by itself.
        bool compositor = false;
        // Offers GLX, as a user's server does: for GTK 4 windows, which draw
        // with OpenGL where they can (a maximised GTK 4 window on xfwm4 comes
        // out otherwise without it). A window manager that composites with
        // OpenGL has it whatever this says.
        bool openGl = false;
    };
    struct Client {
        pid_t pid = -1;
        xcb_window_t window = kNoWindow;
    };

    // Starts the desktop. When it cannot be started, answers nullptr and
    // says why; `serverMissing` tells a machine without Xvfb or without the
    // window manager asked for (tests skip) from a start that failed (tests
    // fail).
    static std::unique_ptr<X11Desktop> start(const Options& options, std::string& why, bool& serverMissing);

    // Every window manager the harness can start, and its name in test names
    // and tables ("openbox_test", "openbox", "xfwm4", ...).
    static const std::vector<X11WindowManager>& windowManagers();
    static std::string name(X11WindowManager manager);
    // Whether the window manager keeps a minimised window mapped, hidden by
    // its compositor (mutter and muffin, for their overviews): minimised
    // there is WM_STATE Iconic and _NET_WM_STATE_HIDDEN, never unmapped.
    static bool keepsMinimisedWindowsMapped(X11WindowManager manager) {
        return manager == X11WindowManager::mutter || manager == X11WindowManager::muffin;
    }
    // Whether the window manager composites as its desktop ships it.
    static bool compositesAsShipped(X11WindowManager manager) {
        using W = X11WindowManager;
        return manager == W::xfwm4 || manager == W::metacity || manager == W::marco || manager == W::kwinComposited ||
               manager == W::mutter || manager == W::muffin;
    }
    // What is missing to run `manager` on this machine ("" when nothing).
    static std::string missingPrograms(X11WindowManager manager);
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    const std::string& display() const { return display_; }
    pid_t serverPid() const { return server_; }
    X11WindowManager windowManager() const { return manager_; }
    pid_t windowManagerPid() const { return windowManager_; }
    // Stops the window manager until the answer goes, as one too busy to
    // carry out what the server passes on to it meanwhile; answers once it
    // has stopped (empty when it did not).
    ProcessStop holdWindowManager();
    // The server's pointer button mapping, and a change of it (false when
    // refused, as while a button is held).
    std::vector<std::uint8_t> pointerMapping();
    bool setPointerMapping(const std::vector<std::uint8_t>& map);
    // Starts another instance of the running window manager that replaces it
    // (`--replace`, as a user restarting it does) and waits until it manages
    // windows; false with the reason when it does not come up.
    bool replaceWindowManager(std::string& why);
    // Stops the running window manager (it hands its windows back to the
    // root) and starts it anew, as a user does after it quit; waits until it
    // manages windows. False with the reason when it does not come up.
    bool restartWindowManager(std::string& why);
    // Starts picom (`--backend xrender`, then `arguments`: "-c" for
    // shadows) and waits until it owns the compositing selection; false
    // with the reason when it does not.
    bool startCompositor(std::string& why, const std::vector<std::string>& arguments = {});
    // Stops the compositor started here and waits until the selection is free.
    bool stopCompositor();
    // Whether some compositor owns _NET_WM_CM_S0 now.
    bool composited();
    const std::filesystem::path& directory() const { return dir_; }
    // The harness's own connection (selects property and structure events
    // on the root to wake its waits).
    X11Connection& connection() { return *x_; }
    X11Windows& windows() { return *windows_; }

    // Starts a client and waits until a window of its process is managed
    // (listed in _NET_CLIENT_LIST, in a frame unless the window manager
    // leaves it without one) and viewable;
    // for a terminal told to run a command (xterm -e), also until the
    // command runs, before which the terminal cannot be closed.
    std::optional<Client> launch(const std::vector<std::string>& argv,
                                 std::chrono::milliseconds timeout = kX11Patience);
    std::optional<Client> launchXterm(const std::string& title = "tessaly-xterm", const std::string& geometry = "80x24+100+100");
    std::optional<Client> launchXlogo(const std::string& geometry = "200x200+400+300");
    // i3 tiles new windows, and a tiled window ignores moves: floating it
    // makes a move mean something there. True at once on other managers.
    bool floatOnTilingManager(xcb_window_t window);
    // Creates a window of this process (white, with its _NET_WM_PID), not
    // yet mapped.
    xcb_window_t createOwnWindow(const Rect& frame);
    // Sets a window's _NET_WM_NAME (and flushes).
    void setTitle(xcb_window_t window, const std::string& title);
    // Shows a dock of this process `height` pixels high along the bottom
    // edge of the screen, reserving that much through
    // _NET_WM_STRUT_PARTIAL, as a panel does (i3 takes it into its dock
    // area and does not list it among its clients); waits until it is
    // viewable. kNoWindow when it does not show.
    xcb_window_t showDock(std::uint32_t height);
    // Starts a helper process that reports readiness by writing a line to
    // its file descriptor 3 (as "--print-address=3" does); answers that line.
    // The process is stopped with the desktop's clients.
    std::optional<std::string> startService(const std::vector<std::string>& argv,
                                            std::chrono::milliseconds timeout = kX11Patience);
    // Runs a command to completion; its exit status, or -1.
    int run(const std::vector<std::string>& argv, std::chrono::milliseconds timeout = kX11Patience);

    // Re-evaluates `condition` whenever an event arrives on the harness
    // connection (and at least every 50 ms) until it holds or time is up.
    bool waitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds timeout = kX11Patience);
    // Selects property and structure events on a window so waits about it
    // wake promptly.
    void watch(xcb_window_t window);

    // Ends a process of ours: TERM, wait, then KILL. Answers once it is reaped.
    static void stopProcess(pid_t pid, std::chrono::milliseconds grace = std::chrono::seconds(3));
    // Waits until a child of ours has exited (it is reaped); false on timeout.
    static bool waitForExit(pid_t pid, std::chrono::milliseconds timeout);

private:
    X11Desktop() = default;
    bool startServer(const Options& options, std::string& why, bool& serverMissing);
    bool startWindowManager(const Options& options, std::string& why);
    void primeKeyboard();
    // Waits until the window manager `pid` announces itself and manages a
    // sentinel window.
    bool waitForWindowManager(pid_t pid, std::string& why);
    std::vector<std::string> windowManagerCommand(const Options& options);
    std::string writeOpenboxConfig(const Options& options);
    std::string writeI3Config();
    pid_t spawn(const std::vector<std::string>& argv, const std::filesystem::path& log, int displayFd = -1);
    void drainEvents();
    void stopWindowManager();

    std::unique_ptr<testing::TempFolder> folder_;
    std::filesystem::path dir_;
    std::string display_;
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    pid_t bus_ = -1;  // a session bus of the desktop's own, for window managers that need one
    pid_t compositor_ = -1;
    X11WindowManager manager_ = X11WindowManager::openboxTest;
    std::vector<std::string> windowManagerArgv_;
    std::vector<std::string> environment_;  // set for every process started here
    std::vector<pid_t> clients_;
    std::unique_ptr<X11Connection> x_;
    std::unique_ptr<X11Windows> windows_;
};

// A fixture that gives each test a fresh desktop, skipping when there is
// no Xvfb on the machine.
class X11DesktopTest : public ::testing::Test {
protected:
    virtual X11Desktop::Options desktopOptions() const { return {}; }
    void SetUp() override;
    void TearDown() override { desktop.reset(); }

    std::unique_ptr<X11Desktop> desktop;
};

// A desktop without a window manager: a test that needs one plays it.
class X11WithoutWindowManagerTest : public X11DesktopTest {
protected:
    X11Desktop::Options desktopOptions() const override {
        X11Desktop::Options o;
        o.windowManager = false;
        return o;
    }
};

// A desktop with the backend's shared state connected to it.
class X11BackendTest : public X11DesktopTest {
protected:
    void SetUp() override;
    void TearDown() override {
        backend.reset();
        X11DesktopTest::TearDown();
    }

    std::shared_ptr<X11Backend> backend;
};

// The same on each window manager people run: a value-parameterised test
// whose parameter is the window manager, started with its stock
// configuration (skipped, saying so, where it is not installed).
class X11WindowManagerTest : public X11BackendTest, public ::testing::WithParamInterface<X11WindowManager> {
protected:
    X11Desktop::Options desktopOptions() const override {
        X11Desktop::Options o;
        o.manager = GetParam();
        return o;
    }
};

// How GoogleTest shows the parameter in messages.
inline void PrintTo(X11WindowManager manager, std::ostream* out) { *out << X11Desktop::name(manager); }

// The parameter's name in test names: the window manager's.
struct X11WindowManagerName {
    std::string operator()(const ::testing::TestParamInfo<X11WindowManager>& info) const {
        return X11Desktop::name(info.param);
    }
};

}  // namespace tessaly::test
