#include "Platform/X11/X11Desktop.h"

#include "Platform/X11/OpenFaults.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

extern char** environ;

namespace tessaly::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

std::optional<std::string> findExecutable(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const fs::path candidate = fs::path(dir) / name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return std::nullopt;
}

// marco aborts at start without the settings schema of the MATE settings daemon,
// muffin without the peripherals schema of Cinnamon's.
constexpr const char* kMateSettingsSchema = "/usr/share/glib-2.0/schemas/org.mate.SettingsDaemon.plugins.gschema.xml";
constexpr const char* kCinnamonSettingsSchema =
    "/usr/share/glib-2.0/schemas/org.cinnamon.settings-daemon.peripherals.gschema.xml";
// Without Plasma's Breeze decoration KWin draws no title bars at all.
constexpr const char* kBreezeDecoration = "qt5/plugins/org.kde.kdecoration2/breezedecoration.so";

// Whether a library file lies in one of the multiarch library folders.
bool libraryInstalled(const fs::path& relative) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/usr/lib", error)) {
        if (entry.is_directory(error) && fs::exists(entry.path() / relative, error)) return true;
    }
    return false;
}

// Window managers whose settings (or whose start) need a session bus.
bool needsSessionBus(X11WindowManager manager) {
    using W = X11WindowManager;
    return manager == W::xfwm4 || manager == W::kwin || manager == W::kwinComposited || manager == W::mutter ||
           manager == W::muffin;
}

// glibc's <sys/pidfd.h> lacks C linkage for C++ here: call the kernel directly.
int openPidfd(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

// Reads the first line a child writes to its end of a pipe (Xvfb's
// -displayfd: the display number, once it accepts connections).
std::optional<std::string> readFirstLine(int fd, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::string text;
    while (text.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, remainingMs(deadline));
        if (ready <= 0) return std::nullopt;
        char buffer[32];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    text.erase(text.find('\n'));
    if (text.empty()) return std::nullopt;
    return text;
}

// A pipe whose write end sits above 3, so that dup2 onto 3 in the child
// makes a copy without close-on-exec.
bool makeReportPipe(int& readEnd, int& writeEnd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    readEnd = fds[0];
    writeEnd = fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
    close(fds[1]);
    return writeEnd >= 0;
}

// Whether a child of `parent` runs `program` (it has been executed, not
// merely forked). The kernel keeps 15 characters of a program's name.
bool runsProgram(pid_t parent, const std::string& program) {
    const std::string name = fs::path(program).filename().string().substr(0, 15);
    const std::string self = std::to_string(parent);
    std::ifstream children("/proc/" + self + "/task/" + self + "/children");
    pid_t child = 0;
    while (children >> child) {
        std::ifstream comm("/proc/" + std::to_string(child) + "/comm");
        std::string running;
        if (std::getline(comm, running) && running == name) return true;
    }
    return false;
}

// The command a terminal was told to run (xterm's -e), if any.
// Whether the window manager composites with OpenGL (KWin with compositing,
// mutter and muffin). Only their servers, and those that ask for it, offer
// GLX: loading the server's software OpenGL (and LLVM with it) took half a
// second of processor per desktop, more than most window managers' start.
bool compositesWithOpenGl(X11WindowManager manager) {
    return manager == X11WindowManager::kwinComposited || manager == X11WindowManager::mutter ||
           manager == X11WindowManager::muffin;
}

std::optional<std::string> terminalCommand(const std::vector<std::string>& argv) {
    if (argv.empty() || fs::path(argv[0]).filename() != "xterm") return std::nullopt;
    const auto e = std::find(argv.begin(), argv.end(), "-e");
    if (e == argv.end() || e + 1 == argv.end()) return std::nullopt;
    return *(e + 1);
}

}  // namespace

void X11DesktopTest::SetUp() {
    if (const auto fault = openFault(desktopOptions().manager)) GTEST_SKIP() << *fault;
    std::string why;
    bool serverMissing = false;
    desktop = X11Desktop::start(desktopOptions(), why, serverMissing);
    if (!desktop) {
        if (serverMissing) GTEST_SKIP() << "no X11 test desktop: " << why;
        FAIL() << "the X11 test desktop did not start: " << why;
    }
}

void X11BackendTest::SetUp() {
    X11DesktopTest::SetUp();
    if (!desktop) return;
    backend = X11Backend::open(desktop->display());
    ASSERT_TRUE(backend);
}

std::unique_ptr<X11Desktop> X11Desktop::start(const Options& options, std::string& why, bool& serverMissing) {
    serverMissing = false;
    std::unique_ptr<X11Desktop> desktop(new X11Desktop());
    try {
        desktop->folder_ = std::make_unique<testing::TempFolder>();
    } catch (const fs::filesystem_error& error) {
        why = error.what();
        return nullptr;
    }
    desktop->dir_ = desktop->folder_->path();
    for (const char* sub : {"home", "config", "cache", "data", "runtime"}) fs::create_directories(desktop->dir_ / sub);
    fs::permissions(desktop->dir_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    if (options.windowManager) {
        if (const auto missing = missingPrograms(options.manager); !missing.empty()) {
            serverMissing = true;
            why = name(options.manager) + " is not installed (missing " + missing + ")";
            return nullptr;
        }
    }
    if (options.compositor && options.manager != X11WindowManager::xfwm4 && !findExecutable("picom")) {
        serverMissing = true;
        why = "picom is not installed";
        return nullptr;
    }
    if (!desktop->startServer(options, why, serverMissing)) return nullptr;
    desktop->primeKeyboard();
    if (options.windowManager && !desktop->startWindowManager(options, why)) return nullptr;
    if (options.compositor && !desktop->startCompositor(why)) return nullptr;
    return desktop;
}

const std::vector<X11WindowManager>& X11Desktop::windowManagers() {
    using W = X11WindowManager;
    static const std::vector<W> all{W::openboxTest, W::openbox, W::xfwm4, W::fluxbox,        W::icewm,  W::metacity,
                                    W::marco,       W::i3,      W::kwin,  W::kwinComposited, W::mutter, W::muffin};
    return all;
}

std::string X11Desktop::name(X11WindowManager manager) {
    switch (manager) {
    case X11WindowManager::openboxTest: return "openbox_test";
    case X11WindowManager::openbox: return "openbox";
    case X11WindowManager::xfwm4: return "xfwm4";
    case X11WindowManager::fluxbox: return "fluxbox";
    case X11WindowManager::icewm: return "icewm";
    case X11WindowManager::metacity: return "metacity";
    case X11WindowManager::marco: return "marco";
    case X11WindowManager::i3: return "i3";
    case X11WindowManager::kwin: return "kwin";
    case X11WindowManager::kwinComposited: return "kwin_composited";
    case X11WindowManager::mutter: return "mutter";
    case X11WindowManager::muffin: return "muffin";
    }
    return "unknown";
}

ProcessStop X11Desktop::holdWindowManager() {
    ProcessStop held(windowManager_);
    if (!held || !waitUntil([&] { return held.stopped(); })) return {};
    return held;
}

std::vector<std::uint8_t> X11Desktop::pointerMapping() {
    X11Connection& x = connection();
    const auto reply = xcbReply(x.get(), xcb_get_pointer_mapping_reply, xcb_get_pointer_mapping(x.get()));
    if (!reply) return {};
    const auto* map = xcb_get_pointer_mapping_map(reply.get());
    return {map, map + xcb_get_pointer_mapping_map_length(reply.get())};
}

bool X11Desktop::setPointerMapping(const std::vector<std::uint8_t>& map) {
    X11Connection& x = connection();
    const auto reply = xcbReply(x.get(), xcb_set_pointer_mapping_reply,
                                xcb_set_pointer_mapping(x.get(), static_cast<std::uint8_t>(map.size()), map.data()));
    return reply && reply->status == XCB_MAPPING_STATUS_SUCCESS;
}

bool X11Desktop::floatOnTilingManager(xcb_window_t window) {
    if (manager_ != X11WindowManager::i3) return true;
    std::ostringstream command;
    command << "[id=" << window << "] floating enable";
    // Until the client has taken its floating size inside the frame.
    return run({"i3-msg", "-q", command.str()}) == 0 && waitUntil([&] {
               const auto i = windows_->read(window);
               if (!i) return false;
               const auto& e = i->extents;
               return i->frame.width() < 1000 && e.left < 10 && e.right < 10 && e.top < 40 && e.bottom < 10;
           });
}

xcb_window_t X11Desktop::createOwnWindow(const Rect& frame) {
    xcb_connection_t* c = x_->get();
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {x_->screen().white_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, x_->root(), static_cast<std::int16_t>(frame.minX()),
                      static_cast<std::int16_t>(frame.minY()), static_cast<std::uint16_t>(frame.width()),
                      static_cast<std::uint16_t>(frame.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
    const auto pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, x_->atoms().NET_WM_PID, XCB_ATOM_CARDINAL, 32, 1, &pid);
    return w;
}

void X11Desktop::setTitle(xcb_window_t window, const std::string& title) {
    xcb_change_property(x_->get(), XCB_PROP_MODE_REPLACE, window, x_->atoms().NET_WM_NAME, x_->atoms().UTF8_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    x_->flush();
}

xcb_window_t X11Desktop::showDock(std::uint32_t height) {
    xcb_connection_t* c = x_->get();
    const std::uint32_t width = x_->screen().width_in_pixels;
    const std::uint32_t bottom = x_->screen().height_in_pixels;
    const xcb_window_t dock = xcb_generate_id(c);
    const std::uint32_t values[] = {x_->screen().black_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, dock, x_->root(), 0, static_cast<std::int16_t>(bottom - height),
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
    const xcb_atom_t dockType = x_->atoms().NET_WM_WINDOW_TYPE_DOCK;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, dock, x_->atoms().NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 32, 1, &dockType);
    const std::uint32_t strut[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, dock, x_->atoms().NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 32, 12,
                        strut);
    xcb_map_window(c, dock);
    x_->flush();
    const bool shown = waitUntil([&] {
        const auto a = xcbReply(c, xcb_get_window_attributes_reply, xcb_get_window_attributes(c, dock));
        return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    });
    return shown ? dock : kNoWindow;
}

std::string X11Desktop::missingPrograms(X11WindowManager manager) {
    std::vector<std::string> needed;
    switch (manager) {
    case X11WindowManager::openboxTest:
    case X11WindowManager::openbox: needed = {"openbox"}; break;
    case X11WindowManager::xfwm4: needed = {"xfwm4", "dbus-daemon"}; break;  // its settings come over the bus
    case X11WindowManager::fluxbox: needed = {"fluxbox"}; break;
    case X11WindowManager::icewm: needed = {"icewm"}; break;
    case X11WindowManager::metacity: needed = {"metacity"}; break;
    case X11WindowManager::marco: needed = {"marco", kMateSettingsSchema}; break;  // aborts without the schema
    case X11WindowManager::i3: needed = {"i3"}; break;
    case X11WindowManager::kwin:
    case X11WindowManager::kwinComposited: needed = {"kwin_x11", "dbus-daemon", kBreezeDecoration}; break;
    case X11WindowManager::mutter: needed = {"mutter", "dbus-daemon"}; break;
    case X11WindowManager::muffin: needed = {"muffin", "dbus-daemon", kCinnamonSettingsSchema}; break;
    }
    std::string missing;
    for (const auto& program : needed) {
        const bool found = program.front() == '/'                     ? fs::exists(program)
                           : program.find('/') != std::string::npos ? libraryInstalled(program)
                                                                     : findExecutable(program).has_value();
        if (!found) missing += (missing.empty() ? "" : ", ") + program;
    }
    return missing;
}

X11Desktop::~X11Desktop() {
    for (auto it = clients_.rbegin(); it != clients_.rend(); ++it) stopProcess(*it);
    if (compositor_ > 0) stopProcess(compositor_);
    if (windowManager_ > 0) stopWindowManager();
    if (bus_ > 0) stopProcess(bus_);
    windows_.reset();
    x_.reset();
    if (server_ > 0) stopProcess(server_);
}

pid_t X11Desktop::spawn(const std::vector<std::string>& argv, const fs::path& log, int displayFd) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry(*e);
        const auto name = entry.substr(0, entry.find('='));
        if (name == "DISPLAY" || name == "HOME" || name.starts_with("XDG_") || name == "SESSION_MANAGER") continue;
        if (bus_ > 0 && name == "DBUS_SESSION_BUS_ADDRESS") continue;  // the desktop's own bus instead
        env.emplace_back(entry);
    }
    env.insert(env.end(), environment_.begin(), environment_.end());
    if (!display_.empty()) env.push_back("DISPLAY=" + display_);
    env.push_back("HOME=" + (dir_ / "home").string());
    env.push_back("XDG_CONFIG_HOME=" + (dir_ / "config").string());
    env.push_back("XDG_CACHE_HOME=" + (dir_ / "cache").string());
    env.push_back("XDG_DATA_HOME=" + (dir_ / "data").string());
    env.push_back("XDG_RUNTIME_DIR=" + (dir_ / "runtime").string());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& a : args) argp.push_back(a.data());
    argp.push_back(nullptr);

    const auto program = findExecutable(argv.at(0));
    if (!program) return -1;
    const std::string logPath = log.string();

    // fork rather than posix_spawn: the child asks to be ended when the test
    // process dies, so a crashed test leaves no server behind. Between fork
    // and exec only async-signal-safe calls.
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (in < 0 || out < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    if (displayFd >= 0) dup2(displayFd, 3);
    execve(program->c_str(), argp.data(), envp.data());
    _exit(127);
}

bool X11Desktop::startServer(const Options& options, std::string& why, bool& serverMissing) {
    if (!findExecutable("Xvfb")) {
        serverMissing = true;
        why = "Xvfb is not installed";
        return false;
    }
    int readEnd = -1, writeEnd = -1;
    if (!makeReportPipe(readEnd, writeEnd)) {
        why = "pipe failed";
        return false;
    }
    const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    std::vector<std::string> argv{"Xvfb", "-screen", "0", screen, "-nolisten", "tcp", "-noreset", "-displayfd", "3"};
    if (!options.openGl && !(options.windowManager && compositesWithOpenGl(options.manager))) {
        argv.insert(argv.end(), {"-extension", "GLX"});
    }
    server_ = spawn(argv, dir_ / "xvfb.log", writeEnd);
    close(writeEnd);
    if (server_ <= 0) {
        close(readEnd);
        serverMissing = true;
        why = "Xvfb could not be started";
        return false;
    }
    const auto display = readFirstLine(readEnd, kX11Patience);
    close(readEnd);
    if (!display) {
        why = "Xvfb did not report a display";
        serverMissing = waitForExit(server_, milliseconds(0));  // died at once: no usable server here
        return false;
    }
    display_ = ":" + *display;
    x_ = X11Connection::open(display_);
    if (!x_) {
        why = "cannot connect to " + display_;
        return false;
    }
    windows_ = std::make_unique<X11Windows>(*x_);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                               XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_->get(), x_->root(), XCB_CW_EVENT_MASK, &mask);
    x_->sync();
    return true;
}

std::string X11Desktop::writeOpenboxConfig(const Options& options) {
    std::ifstream in("/etc/xdg/openbox/rc.xml");
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string rc = buffer.str();
    // The window manager's own desktop-switching keys would take the
    // program's default hotkeys.
    rc = std::regex_replace(rc, std::regex(R"re(<keybind key="C-A-(Left|Right)">[\s\S]*?</keybind>)re"), "");
    rc = std::regex_replace(rc, std::regex(R"(<animateIconify>yes</animateIconify>)"), "<animateIconify>no</animateIconify>");
    rc = std::regex_replace(rc, std::regex(R"((<desktops>[\s\S]*?<number>)\d+(</number>))"),
                            "$01" + std::to_string(options.desktops) + "$2");
    const std::string shiftDrag =
        R"(<mousebind button="S-Left" action="Drag"><action name="Move"/></mousebind>)";
    for (const char* context : {R"(<context name="Frame">)", R"(<context name="Titlebar">)"}) {
        const auto at = rc.find(context);
        if (at != std::string::npos) rc.insert(at + std::strlen(context), shiftDrag);
    }
    const fs::path file = dir_ / "openbox-rc.xml";
    std::ofstream(file) << rc;
    return file.string();
}

std::string X11Desktop::writeI3Config() {
    // The stock configuration without what it starts besides the window
    // manager (a status bar, session helpers): without a configuration of
    // its own, i3 starts a first-run wizard instead.
    std::ifstream in("/etc/i3/config");
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string rc = buffer.str();
    rc = std::regex_replace(rc, std::regex(R"((^|\n)\s*exec[^\n]*)"), "$1");
    rc = std::regex_replace(rc, std::regex(R"((^|\n)bar \{[\s\S]*?\n\})"), "$1");
    if (rc.empty()) rc = "# i3 config file (v4)\nfont pango:monospace 8\n";
    const fs::path file = dir_ / "i3-config";
    std::ofstream(file) << rc;
    return file.string();
}

std::vector<std::string> X11Desktop::windowManagerCommand(const Options& options) {
    switch (options.manager) {
    case X11WindowManager::openboxTest: return {"openbox", "--sm-disable", "--config-file", writeOpenboxConfig(options)};
    case X11WindowManager::openbox: return {"openbox", "--sm-disable"};
    case X11WindowManager::xfwm4: return {"xfwm4", "--sm-client-disable"};
    case X11WindowManager::fluxbox: return {"fluxbox"};
    case X11WindowManager::icewm: return {"icewm"};
    case X11WindowManager::metacity: return {"metacity"};
    case X11WindowManager::marco: return {"marco"};
    case X11WindowManager::i3: return {"i3", "-c", writeI3Config()};
    case X11WindowManager::kwin:
    case X11WindowManager::kwinComposited: return {"kwin_x11"};
    case X11WindowManager::mutter: return {"mutter", "--x11", "--sm-disable"};
    case X11WindowManager::muffin: return {"muffin", "--sm-disable"};
    }
    return {};
}

// The first key typed through XTEST makes the server switch the core
// keyboard over to the XTEST device, and a window manager reads the keyboard
// anew when it hears of that: a shortcut typed meanwhile loses its modifier
// there (mutter's Alt+F10, KWin's Meta+Page Up were lost now and then on a
// busy machine). One Shift typed before any window manager runs puts that
// switch behind every test.
void X11Desktop::primeKeyboard() {
    xcb_connection_t* c = x_->get();
    const std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(c),
                                                                                       &xcb_key_symbols_free);
    constexpr xcb_keysym_t shiftL = 0xffe1;
    const XReply<xcb_keycode_t> codes(symbols ? xcb_key_symbols_get_keycode(symbols.get(), shiftL) : nullptr);
    if (!codes) return;
    xcb_test_fake_input(c, XCB_KEY_PRESS, codes.get()[0], 0, XCB_NONE, 0, 0, XCB_NONE);
    xcb_test_fake_input(c, XCB_KEY_RELEASE, codes.get()[0], 0, XCB_NONE, 0, 0, XCB_NONE);
    x_->sync();
}

bool X11Desktop::startWindowManager(const Options& options, std::string& why) {
    manager_ = options.manager;
    if (manager_ == X11WindowManager::kwin) {
        // Compositing turned off, as a user does in the settings.
        std::ofstream(dir_ / "config" / "kwinrc") << "[Compositing]\nEnabled=false\n";
    }
    if (needsSessionBus(manager_)) {
        // Their settings come over the session bus: a private one.
        int readEnd = -1, writeEnd = -1;
        if (!makeReportPipe(readEnd, writeEnd)) {
            why = "pipe failed";
            return false;
        }
        bus_ = spawn({"dbus-daemon", "--session", "--nofork", "--print-address=3"}, dir_ / "bus.log", writeEnd);
        close(writeEnd);
        const auto address = bus_ > 0 ? readFirstLine(readEnd, kX11Patience) : std::nullopt;
        close(readEnd);
        if (!address) {
            why = "the session bus for " + name(manager_) + " did not start";
            return false;
        }
        environment_.push_back("DBUS_SESSION_BUS_ADDRESS=" + *address);
    }
    windowManagerArgv_ = windowManagerCommand(options);
    windowManager_ = spawn(windowManagerArgv_, dir_ / (name(manager_) + ".log"));
    if (windowManager_ <= 0) {
        why = name(manager_) + " could not be started";
        return false;
    }
    if (!waitForWindowManager(windowManager_, why)) {
        if (waitForExit(windowManager_, milliseconds(0))) windowManager_ = -1;
        return false;
    }
    // Its desktop is ready once its compositor runs: GTK decides as it
    // starts whether to draw a shadow (a window started before a busy
    // KWin's compositor took the screen drew none).
    if (compositesAsShipped(manager_)) waitUntil([&] { return composited(); });
    return true;
}

bool X11Desktop::composited() {
    xcb_connection_t* c = x_->get();
    const xcb_atom_t selection = x_->internAtom("_NET_WM_CM_S0");
    const auto owner = xcbReply(c, xcb_get_selection_owner_reply, xcb_get_selection_owner(c, selection));
    return owner && owner->owner != XCB_NONE;
}

bool X11Desktop::startCompositor(std::string& why, const std::vector<std::string>& arguments) {
    if (composited()) return true;
    std::vector<std::string> argv{"picom", "--backend", "xrender"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    compositor_ = spawn(argv, dir_ / "picom.log");
    if (compositor_ <= 0) {
        why = "picom could not be started";
        return false;
    }
    if (!waitUntil([&] { return composited() || waitForExit(compositor_, milliseconds(0)); }) || !composited()) {
        why = "picom did not take the compositing selection (see " + (dir_ / "picom.log").string() + ")";
        return false;
    }
    return true;
}

bool X11Desktop::stopCompositor() {
    if (compositor_ > 0) stopProcess(compositor_);
    compositor_ = -1;
    return waitUntil([&] { return !composited(); });
}

bool X11Desktop::replaceWindowManager(std::string& why) {
    const pid_t old = windowManager_;
    std::vector<std::string> argv = windowManagerArgv_;
    argv.push_back("--replace");
    const pid_t next = spawn(argv, dir_ / (name(manager_) + ".log"));
    if (next <= 0) {
        why = name(manager_) + " could not be started again";
        return false;
    }
    windowManager_ = next;
    // The old instance leaves once the new one has taken the screen over.
    if (!waitForWindowManager(next, why)) return false;
    if (!waitForExit(old, kX11Patience)) {
        why = "the replaced " + name(manager_) + " did not exit";
        return false;
    }
    return true;
}

bool X11Desktop::restartWindowManager(std::string& why) {
    stopWindowManager();
    // Gone once the server has closed its connection, with its check
    // window: a new instance may be given the same identifiers (a busy
    // marco's new check window was taken for the old one's).
    waitUntil([&] { return x_->windowManagerCheckWindow() == kNoWindow; });
    const pid_t next = spawn(windowManagerArgv_, dir_ / (name(manager_) + ".log"));
    if (next <= 0) {
        why = name(manager_) + " could not be started again";
        return false;
    }
    windowManager_ = next;
    return waitForWindowManager(next, why);
}

bool X11Desktop::waitForWindowManager(pid_t pid, std::string& why) {
    // A sentinel window: the window manager is ready once it reparents it.
    // The check window read before it starts is the one of an instance it
    // replaces, which may still answer for a while.
    xcb_connection_t* c = x_->get();
    const xcb_window_t before = x_->windowManagerCheckWindow();
    const xcb_window_t sentinel = xcb_generate_id(c);
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, sentinel, x_->root(), 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    bool mapped = false;
    bool reparented = false;
    const auto deadline = Clock::now() + kX11Patience;
    std::uint32_t nudge = 0;
    while (!reparented && Clock::now() < deadline) {
        if (!mapped) {
            const xcb_window_t check = x_->windowManagerCheckWindow();
            if (check != kNoWindow && check != before) {
                xcb_map_window(c, sentinel);
                mapped = true;
            }
        }
        x_->flush();
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        const int ready = poll(&p, 1, std::min(100, remainingMs(deadline)));
        while (XEvent event{xcb_poll_for_event(c)}) {
            if ((event->response_type & 0x7f) == XCB_REPARENT_NOTIFY &&
                reinterpret_cast<xcb_reparent_notify_event_t*>(event.get())->window == sentinel) {
                reparented = true;
            }
        }
        if (waitForExit(pid, milliseconds(0))) {
            why = name(manager_) + " exited at start (see " + (dir_ / (name(manager_) + ".log")).string() + ")";
            return false;
        }
        if (ready == 0) {
            // A window manager may hold events it has read but not handled
            // until more input arrives: give it some.
            ++nudge;
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, x_->root(), x_->atoms().TESSALY_WAKE, XCB_ATOM_CARDINAL, 32, 1,
                                &nudge);
        }
    }
    xcb_destroy_window(c, sentinel);
    x_->flush();
    if (!reparented) {
        why = name(manager_) + " did not manage a window in time";
        return false;
    }
    // Keep client lists clean: the sentinel leaves _NET_CLIENT_LIST.
    waitUntil([&] {
        const auto list = windows_->clientList();
        return std::find(list.begin(), list.end(), sentinel) == list.end();
    });
    return true;
}

void X11Desktop::drainEvents() {
    while (XEvent event{xcb_poll_for_event(x_->get())}) {
    }
}

bool X11Desktop::waitUntil(const std::function<bool()>& condition, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        drainEvents();
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        x_->flush();
        pollfd p{xcb_get_file_descriptor(x_->get()), POLLIN, 0};
        poll(&p, 1, std::min(50, remainingMs(deadline)));
    }
}

void X11Desktop::watch(xcb_window_t window) {
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_->get(), window, XCB_CW_EVENT_MASK, &mask);
    x_->flush();
}

std::optional<X11Desktop::Client> X11Desktop::launch(const std::vector<std::string>& argv, milliseconds timeout) {
    const pid_t pid = spawn(argv, dir_ / "clients.log");
    if (pid <= 0) return std::nullopt;
    clients_.push_back(pid);
    Client client{pid, kNoWindow};
    std::vector<xcb_window_t> known;
    const bool found = waitUntil(
        [&] {
            const auto list = windows_->clientList();
            std::vector<xcb_window_t> fresh;
            for (const auto w : list) {
                if (std::find(known.begin(), known.end(), w) == known.end()) fresh.push_back(w);
            }
            for (const auto& info : windows_->read(fresh)) {
                if (info.pid != pid) known.push_back(info.window);
                // Managed and shown (the window manager maps it, in a frame
                // unless it leaves it without one, as metacity and marco do an
                // undecorated window): ready for input.
                if (info.pid == pid && info.viewable) {
                    client.window = info.window;
                    return true;
                }
            }
            return waitForExit(pid, milliseconds(0));  // gave up: it died
        },
        timeout);
    if (!found || client.window == kNoWindow) return std::nullopt;
    // xterm maps its window before its command runs, and answers a close
    // by hanging up the command's process group: a close that comes before
    // the command has started is lost. It is ready once the command runs.
    if (const auto command = terminalCommand(argv)) {
        if (!waitUntil([&] { return runsProgram(pid, *command) || waitForExit(pid, milliseconds(0)); }, timeout) ||
            !runsProgram(pid, *command)) {
            return std::nullopt;
        }
    }
    return client;
}

std::optional<X11Desktop::Client> X11Desktop::launchXterm(const std::string& title, const std::string& geometry) {
    return launch({"xterm", "-T", title, "-geometry", geometry, "-e", "cat"});
}

std::optional<X11Desktop::Client> X11Desktop::launchXlogo(const std::string& geometry) {
    return launch({"xlogo", "-geometry", geometry});
}

std::optional<std::string> X11Desktop::startService(const std::vector<std::string>& argv, milliseconds timeout) {
    int readEnd = -1, writeEnd = -1;
    if (!makeReportPipe(readEnd, writeEnd)) return std::nullopt;
    const pid_t pid = spawn(argv, dir_ / "services.log", writeEnd);
    close(writeEnd);
    if (pid <= 0) {
        close(readEnd);
        return std::nullopt;
    }
    clients_.push_back(pid);
    auto line = readFirstLine(readEnd, timeout);
    close(readEnd);
    return line;
}

int X11Desktop::run(const std::vector<std::string>& argv, milliseconds timeout) {
    const pid_t pid = spawn(argv, dir_ / "commands.log");
    if (pid <= 0) return -1;
    const int fd = openPidfd(pid);
    if (fd >= 0) {
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, static_cast<int>(timeout.count()));
        close(fd);
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool X11Desktop::waitForExit(pid_t pid, milliseconds timeout) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno == ECHILD)) return true;
    if (timeout.count() <= 0) return false;
    const int fd = openPidfd(pid);
    if (fd < 0) return waitpid(pid, &status, WNOHANG) != 0;
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, static_cast<int>(timeout.count()));
    close(fd);
    const pid_t reaped = waitpid(pid, &status, WNOHANG);
    return reaped == pid || (reaped < 0 && errno == ECHILD);
}

void X11Desktop::stopWindowManager() {
    const pid_t pid = windowManager_;
    windowManager_ = -1;
    if (manager_ == X11WindowManager::fluxbox && !waitForExit(pid, milliseconds(0))) {
        // Its TERM handler makes X calls and hangs when the signal comes
        // while it waits inside Xlib. Nothing of it needs to be kept.
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        return;
    }
    stopProcess(pid);
}

void X11Desktop::stopProcess(pid_t pid, milliseconds grace) {
    if (pid <= 0 || waitForExit(pid, milliseconds(0))) return;
    kill(pid, SIGTERM);
    if (waitForExit(pid, grace)) return;
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace tessaly::test
