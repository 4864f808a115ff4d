#pragma once
// The fixture of the tests of the program as a desktop utility: its tray
// icon and status menu, its one instance, its relaunch, its settings
// window. Unlike the plain end-to-end fixture, every start of the program
// in a test shares one set of HOME and XDG folders (a second launch meets
// the first one's instance lock and a relaunch finds its handoff), and the
// desktop gets a session bus with an accessibility bus, so the tests can
// read the program's windows as a screen reader does (AccessibilityBus)
// and act on what they find with XTEST.
#include "AccessibilityBus.h"
#include "EndToEndTest.h"

#include <xcb/xcb.h>

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace tessaly::e2e {

class ShellTest : public EndToEndTest {
protected:
    // The stock openbox binds Control+Alt+Left/Right and moves no window on
    // Shift and a title-bar drag; most tests want the test configuration.
    test::X11Desktop::Options desktopOptions() const override {
        auto options = EndToEndTest::desktopOptions();
        options.manager = test::X11WindowManager::openboxTest;
        options.desktops = desktops;
        if (screen) {
            options.width = static_cast<int>(screen->width);
            options.height = static_cast<int>(screen->height);
        }
        return options;
    }
    // What a fixture may change of the desktop, in its constructor.
    int desktops = 1;
    std::optional<Size> screen;  // 1600 x 1000 when empty

    void SetUp() override {
        EndToEndTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        folders_ = desktop->directory() / "tessaly-shell";
        for (const char* sub : {"home", "config", "data", "cache", "runtime"}) {
            std::filesystem::create_directories(folders_ / sub);
        }
        std::filesystem::permissions(folders_ / "runtime", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        writeDefaults({});
    }

    void TearDown() override {
        if (HasFailure()) {
            std::fprintf(stderr, "---- tessaly's log (every start) ----\n%s---- end of tessaly's log ----\n",
                         log().c_str());
            if (a11y_ && !a11y_->last.empty()) {
                std::fprintf(stderr, "---- what the program showed last ----\n%s----\n",
                             AccessibilityBus::describe(a11y_->last).c_str());
            }
        }
        user.reset();
        // A relaunched program is no child of ours: ended by its pid.
        for (const pid_t pid : instances()) stopForeign(pid);
        launches_.clear();
        a11y_.reset();
        EndToEndTest::TearDown();
    }

    // The settings file the next start reads: `defaults` are JSON values by
    // key; the welcome counts as shown unless `firstStart`.
    void writeDefaults(const std::map<std::string, std::string>& defaults, bool firstStart = false) {
        std::string json = firstStart ? "{" : "{\"welcomeShown\": true";
        for (const auto& [key, value] : defaults) json += std::string(json.size() > 1 ? ", " : "") + "\"" + key + "\": " + value;
        testing::writeFile(folders_ / "config" / "tessaly" / "defaults.json", json + "}");
    }
    std::string defaultsFile() const {
        std::ifstream in(folders_ / "config" / "tessaly" / "defaults.json");
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // The accessibility bus of the desktop (with its session bus), made on
    // first use; null (the test is then skipped) where the machine has no
    // accessibility bus launcher.
    AccessibilityBus* accessibility() {
        if (a11y_) return a11y_.get();
        if (sessionBus_.empty()) {
            const auto address = desktop->startService({"dbus-daemon", "--session", "--nofork", "--print-address=3"});
            if (!address) return nullptr;
            sessionBus_ = *address;
        }
        std::string why;
        a11y_ = AccessibilityBus::connect(sessionBus_, why);
        if (!a11y_) std::fprintf(stderr, "no accessibility bus: %s\n", why.c_str());
        return a11y_.get();
    }

    // Starts the program with the shared folders (and the accessibility bus
    // when one runs); the start's process.
    ChildProcess* launch(std::vector<std::string> arguments = {"--login-item"}) {
        auto variables = desktopVariables(desktop->display(), folders_);
        if (diagnostics) variables["TESSALY_RECONCILE_LOG"] = "1";
        if (!sessionBus_.empty()) {
            variables["DBUS_SESSION_BUS_ADDRESS"] = sessionBus_;
            variables["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1";
        }
        TessalyProgram::keepOffAutolaunchedBus(variables);
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        auto child = ChildProcess::start(argv, variables);
        if (!child) return nullptr;
        launches_.push_back(std::make_unique<ChildProcess>(std::move(*child)));
        return launches_.back().get();
    }

    // Starts the program, waits until its session runs and seats the user.
    ::testing::AssertionResult startShell(std::vector<std::string> arguments = {"--login-item"}) {
        ChildProcess* run = launch(std::move(arguments));
        if (!run) return ::testing::AssertionFailure() << "tessaly could not be started";
        if (!run->waitForOutput(TessalyProgram::sessionStartedLine, test::kX11Patience)) {
            const auto status = run->status();
            return ::testing::AssertionFailure() << "tessaly's session did not start ("
                                                 << (status ? status->describe() : std::string("still running")) << ")\n"
                                                 << run->stacks();
        }
        pid_ = run->pid();
        user = std::make_unique<DesktopUser>(*desktop, pid_);
        return ::testing::AssertionSuccess();
    }
    ChildProcess& firstLaunch() { return *launches_.front(); }
    pid_t pid() const { return pid_; }
    void followInstance(pid_t pid) {
        pid_ = pid;
        user = std::make_unique<DesktopUser>(*desktop, pid_);
    }

    // Everything every start wrote (a relaunched program writes into its
    // predecessor's output).
    std::string log() {
        std::string text;
        for (auto& run : launches_) text += run->output();
        return text;
    }
    std::size_t logCount(std::string_view line) {
        std::size_t n = 0;
        for (auto& run : launches_) n += run->count(line);
        return n;
    }
    bool waitForLog(std::string_view line, std::size_t times = 1, std::chrono::milliseconds timeout = test::kX11Patience) {
        return desktop->waitUntil([&] { return logCount(line) >= times; }, timeout);
    }

    // The running instances of the program on these folders, by their
    // executable and their runtime folder, children of ours or not.
    std::vector<pid_t> instances() const {
        std::vector<pid_t> found;
        const std::string executable = std::filesystem::weakly_canonical(TessalyProgram::path()).string();
        const std::string runtime = "XDG_RUNTIME_DIR=" + (folders_ / "runtime").string();
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            std::error_code error;
            const auto exe = std::filesystem::read_symlink(entry.path() / "exe", error).string();
            if (error || (exe != executable && exe != executable + " (deleted)")) continue;
            if (isZombie(std::stoi(name))) continue;
            std::ifstream environ(entry.path() / "environ");
            std::string variable;
            while (std::getline(environ, variable, '\0')) {
                if (variable == runtime) {
                    found.push_back(std::stoi(name));
                    break;
                }
            }
        }
        return found;
    }
    static bool isZombie(pid_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) return true;
        const auto close = line.rfind(") ");
        return close == std::string::npos || line.compare(close + 2, 1, "Z") == 0 || line.compare(close + 2, 1, "X") == 0;
    }
    // Ends a process that need not be a child of ours: TERM, a wait on its
    // pidfd, then KILL.
    void stopForeign(pid_t pid) {
        for (auto& run : launches_) {
            if (run->pid() == pid) {
                run->stop();
                return;
            }
        }
        const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        kill(pid, SIGTERM);
        if (fd >= 0) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0) kill(pid, SIGKILL);
            close(fd);
        }
    }

    // The handoff a relaunch leaves for the next start, where the program
    // keeps it.
    std::filesystem::path handoffFile() const { return folders_ / "data" / "Tessaly" / "update-handoff.json"; }
    // Files the program leaves that are not locks (the settings folder aside).
    std::vector<std::filesystem::path> leftovers() const {
        std::vector<std::filesystem::path> found;
        for (const char* sub : {"runtime", "data", "cache"}) {
            std::error_code ignored;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folders_ / sub, ignored)) {
                if (!entry.is_directory() && entry.path().extension() != ".lock") found.push_back(entry.path());
            }
        }
        return found;
    }

    // --- Windows of the program ------------------------------------------

    // The program's managed window titled `title` (any title when empty).
    std::optional<X11WindowInfo> programWindow(std::string_view title = {}) {
        for (const auto& info : desktop->windows().read(desktop->windows().clientList())) {
            if (info.pid == ProcessID{pid_} && (title.empty() || info.title == title)) return info;
        }
        return std::nullopt;
    }
    std::optional<X11WindowInfo> waitForProgramWindow(std::string_view title = {},
                                                      std::chrono::milliseconds timeout = test::kX11Patience) {
        std::optional<X11WindowInfo> found;
        desktop->waitUntil([&] { return (found = programWindow(title)) && found->viewable; }, timeout);
        return found && found->viewable ? found : std::nullopt;
    }

    // --- The settings window ------------------------------------------------

    static constexpr const char* settingsTitle = "Tessaly Settings";

    // Opens the program again (a second launch that hands over and ends),
    // which shows the settings window; answers the window once it shows.
    std::optional<X11WindowInfo> openSettingsWindow() {
        ChildProcess* again = launch({});
        if (!again || !again->waitForExit(test::kX11Patience)) return std::nullopt;
        return waitForProgramWindow(settingsTitle);
    }
    // A shown control of `role` named `name` inside the program's window
    // titled `window`, once there is one.
    std::optional<Accessible> control(std::string_view role, std::string_view name,
                                      std::string_view window = settingsTitle,
                                      std::chrono::milliseconds timeout = test::kX11Patience) {
        std::optional<Accessible> found;
        a11y_->waitUntil(
            pid_,
            [&](const std::vector<Accessible>& tree) {
                const auto top = windowNode(tree, window);
                return top && (found = AccessibilityBus::find(tree, role, name, *top)).has_value();
            },
            timeout);
        return found;
    }
    static std::optional<std::size_t> windowNode(const std::vector<Accessible>& tree, std::string_view name) {
        for (std::size_t i = 0; i < tree.size(); ++i) {
            if (tree[i].depth == 1 && tree[i].isShowing() && tree[i].name == name) return i;
        }
        return std::nullopt;
    }
    // Clicks a control found by `control`; false when there is none.
    bool clickControl(std::string_view role, std::string_view name, std::string_view window = settingsTitle) {
        const auto found = control(role, name, window);
        if (!found) return false;
        user->click(found->center());
        return true;
    }
    // Clicks a control until it has the keyboard focus (a click taken while
    // the window was still being laid out or had no focus yet is made
    // again); false when it never has.
    bool focusControl(std::string_view role, std::string_view name, std::string_view window = settingsTitle) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto found = control(role, name, window);
            if (!found) return false;
            user->click(found->center());
            const bool focused = a11y_->waitUntil(pid_, [&](const std::vector<Accessible>& tree) {
                const auto top = windowNode(tree, window);
                const auto now = top ? AccessibilityBus::find(tree, role, name, *top) : std::nullopt;
                return now && now->has(Accessible::focused);
            }, std::chrono::seconds(2));
            if (focused) return true;
        }
        return false;
    }
    // Shows a page of the settings window by a click on its entry in the
    // list of pages.
    bool openPage(std::string_view page) {
        if (!clickControl("list item", page)) return false;
        return a11y_->waitUntil(pid_, [&](const std::vector<Accessible>& tree) {
            const auto item = AccessibilityBus::find(tree, "list item", page);
            return item && item->has(Accessible::selected);
        });
    }
    // Types text as keys (letters, digits and the characters of a path).
    void type(std::string_view text) {
        for (const char ch : text) {
            // On a US layout: capitals and these symbols are shifted keys.
            constexpr std::string_view shifted = "_~!@#$%^&*()+{}|:\"<>?";
            const bool shift = (ch >= 'A' && ch <= 'Z') || shifted.find(ch) != std::string_view::npos;
            if (shift) pressCombo({KeySym::shiftL}, static_cast<xcb_keysym_t>(ch));
            else pressKey(static_cast<xcb_keysym_t>(ch));
        }
    }
    void pressKey(xcb_keysym_t key) {
        user->input.keyDown(key);
        user->input.keyUp(key);
    }
    // Presses `key` with the modifiers held, let go in reverse order.
    void pressCombo(std::initializer_list<xcb_keysym_t> modifiers, xcb_keysym_t key) {
        for (const auto m : modifiers) user->input.keyDown(m);
        pressKey(key);
        for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) user->input.keyUp(*m);
    }

    // What the screen shows in `area`: its pixels, row by row.
    std::vector<std::uint32_t> pixels(const Rect& area) {
        xcb_connection_t* c = desktop->connection().get();
        auto image = xcbReply(c, xcb_get_image_reply,
                              xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, desktop->connection().root(),
                                            static_cast<std::int16_t>(area.minX()), static_cast<std::int16_t>(area.minY()),
                                            static_cast<std::uint16_t>(area.size.width),
                                            static_cast<std::uint16_t>(area.size.height), ~0u));
        if (!image) return {};
        const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.get()));
        return {data, data + xcb_get_image_data_length(image.get()) / 4};
    }
    // How many pixels two captures of one area differ in.
    static std::size_t differingPixels(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
        std::size_t n = a.size() == b.size() ? 0 : std::max(a.size(), b.size());
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) n += (a[i] & 0xffffff) != (b[i] & 0xffffff);
        return n;
    }

    // --- Groups ------------------------------------------------------------

    struct Pair {
        xcb_window_t active = kNoWindow;
        xcb_window_t inactive = kNoWindow;
    };

    // Two xterms side by side at `top`, grouped by a Shift-drag of the
    // second onto the first (retried when a drop did not take).
    std::optional<Pair> groupedXterms(const std::string& name, int top, int left = 60) {
        const auto a = desktop->launchXterm(name + "-left", "60x12+" + std::to_string(left) + "+" + std::to_string(top));
        const auto b = desktop->launchXterm(name + "-right", "60x12+" + std::to_string(left + 560) + "+" + std::to_string(top));
        if (!a || !b) {
            ADD_FAILURE() << "the xterms did not start";
            return std::nullopt;
        }
        std::string why;
        if (!user->groupByDragRetrying(b->window, a->window, why)) {
            ADD_FAILURE() << "the windows could not be grouped: " << why;
            return std::nullopt;
        }
        return activeOf(a->window, b->window);
    }
    // The pair with its active member: the one the bar stands above.
    std::optional<Pair> activeOf(xcb_window_t a, xcb_window_t b) {
        std::optional<Pair> pair;
        user->waitUntil([&] {
            if (user->barAbove(a)) pair = Pair{a, b};
            else if (user->barAbove(b)) pair = Pair{b, a};
            return pair.has_value();
        });
        if (!pair) ADD_FAILURE() << "no bar directly above the group's active window";
        return pair;
    }
    // The program's bar standing on `client`'s frame, whatever its height.
    std::optional<ShownWindow> barOn(xcb_window_t client) {
        const Rect frame = user->frame(client);
        for (const auto& w : user->overlays()) {
            if (w.rect.maxY() == frame.minY() && w.rect.minX() == frame.minX() && w.rect.size.width == frame.size.width) {
                return w;
            }
        }
        return std::nullopt;
    }
    // Both members in one frame, with the bar above the active one.
    bool isGrouped(const Pair& pair) {
        return user->shareFrame(pair.active, pair.inactive) && user->barAbove(pair.active).has_value();
    }

    // The number of tabs the program's bar at `bar` shows, as a screen
    // reader counts them (each tab offers its detach button); empty while
    // no bar is there.
    std::optional<std::size_t> tabCount(const Rect& bar) {
        const auto tree = a11y_->snapshot(pid_);
        for (std::size_t i = 0; i < tree.size(); ++i) {
            if (tree[i].depth != 1 || !tree[i].isShowing() || tree[i].extents != bar) continue;
            std::size_t tabs = 0;
            for (std::size_t j = i + 1; j < tree.size() && tree[j].depth > 1; ++j) {
                if (tree[j].isShowing() && tree[j].role == "push button" && tree[j].name == "Detach from group") ++tabs;
            }
            return tabs;
        }
        return std::nullopt;
    }

    // --- Tray --------------------------------------------------------------

    // Starts an XEmbed tray on the desktop and waits until it owns the
    // tray selection.
    bool startTray() {
        if (!startOnDesktop({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                             "--SetDockType", "true"})) {
            return false;
        }
        xcb_connection_t* c = desktop->connection().get();
        const std::string selection = "_NET_SYSTEM_TRAY_S0";
        auto atom = xcbReply(c, xcb_intern_atom_reply,
                             xcb_intern_atom(c, 0, static_cast<std::uint16_t>(selection.size()), selection.c_str()));
        if (!atom) return false;
        return desktop->waitUntil([&] {
            auto owner = xcbReply(c, xcb_get_selection_owner_reply, xcb_get_selection_owner(c, atom->atom));
            return owner && owner->owner != XCB_NONE;
        });
    }

    // The program's icon in the tray: a shown window of the program nested
    // in the tray's panel, in root coordinates.
    std::optional<Rect> trayIcon() {
        xcb_connection_t* c = desktop->connection().get();
        std::vector<xcb_window_t> nested;
        const std::function<void(xcb_window_t, int)> walk = [&](xcb_window_t window, int depth) {
            auto tree = xcbReply(c, xcb_query_tree_reply, xcb_query_tree(c, window));
            if (!tree) return;
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
                if (depth > 0) nested.push_back(children[i]);
                walk(children[i], depth + 1);
            }
        };
        walk(desktop->connection().root(), 0);
        const auto pids = desktop->windows().pids(nested);
        for (std::size_t i = 0; i < nested.size(); ++i) {
            if (pids[i] != ProcessID{pid_}) continue;
            auto attributes = xcbReply(c, xcb_get_window_attributes_reply, xcb_get_window_attributes(c, nested[i]));
            auto geometry = xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, nested[i]));
            if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
            auto at = xcbReply(c, xcb_translate_coordinates_reply,
                               xcb_translate_coordinates(c, nested[i], desktop->connection().root(), 0, 0));
            if (!at || geometry->width > 128 || geometry->height > 128) continue;
            // Not inside one of the program's own top-level windows.
            bool ownTopLevel = false;
            for (const auto& shown : user->screen.stack()) {
                if (shown.pid == ProcessID{pid_} && shown.rect.contains(Point{double(at->dst_x), double(at->dst_y)})) {
                    ownTopLevel = true;
                }
            }
            if (!ownTopLevel) return Rect(at->dst_x, at->dst_y, geometry->width, geometry->height);
        }
        return std::nullopt;
    }

    // Opens the status menu with a click on the tray icon; its rows (menu
    // items and separators), top to bottom, or empty when it did not open.
    std::vector<Accessible> openStatusMenu() {
        std::optional<Rect> icon;
        if (!desktop->waitUntil([&] { return (icon = trayIcon()).has_value(); })) {
            ADD_FAILURE() << "no tray icon of the program";
            return {};
        }
        std::vector<Accessible> rows;
        const auto shown = [&] {
            rows.clear();
            for (const auto& a : a11y_->shownPopups(pid_)) {
                if (a.depth == 1) rows.push_back(a);
            }
            return !rows.empty();
        };
        // A click in the moment the tray embeds the icon may go nowhere: a
        // user clicks again. A menu that opened unannounced on the
        // accessibility bus (the toolkit's bridge still starting) is closed
        // first, and opens announced the next time.
        const std::size_t shownBefore = user->overlays().size();
        for (int click = 0; click < 3 && rows.empty(); ++click) {
            if (user->overlays().size() > shownBefore) {
                user->input.keyDown(KeySym::escape);
                user->input.keyUp(KeySym::escape);
                user->waitUntil([&] { return user->overlays().size() <= shownBefore; });
            }
            user->click(Point{std::round(icon->midX()), std::round(icon->midY())});
            a11y_->poll(shown, click == 0 ? std::chrono::milliseconds(5000) : test::kX11Patience);
        }
        if (rows.empty()) {
            const auto now = trayIcon();
            ADD_FAILURE() << "the status menu did not open (the icon was clicked at " << DesktopUser::describe(*icon)
                          << ", is now at " << (now ? DesktopUser::describe(*now) : std::string("none"))
                          << "; the program showed " << DesktopUser::describe(user->overlays()) << ")";
        }
        return rows;
    }
    static std::optional<Accessible> row(const std::vector<Accessible>& rows, std::string_view name) {
        for (const auto& r : rows) {
            if (r.name == name) return r;
        }
        return std::nullopt;
    }
    static std::string names(const std::vector<Accessible>& rows) {
        std::string text;
        for (const auto& r : rows) text += "[" + r.name + "]";
        return text;
    }

    bool diagnostics = false;  // the program's diagnostic traces (in its log)
    std::string program = TessalyProgram::path();  // the file a start runs
    std::filesystem::path folders_;
    std::vector<std::unique_ptr<ChildProcess>> launches_;
    std::string sessionBus_;
    std::unique_ptr<AccessibilityBus> a11y_;
    pid_t pid_ = -1;
};

// The same on the window manager of the test's parameter.
class ShellOnWindowManager : public ShellTest, public ::testing::WithParamInterface<test::X11WindowManager> {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = ShellTest::desktopOptions();
        options.manager = GetParam();
        return options;
    }
};

}  // namespace tessaly::e2e
