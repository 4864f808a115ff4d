#pragma once
// A running group session on the simulated desktop, with the recording
// overlay, the simulated mouse and a small window manager: a press in a
// window's title strip raises and focuses the window and its application and
// then moves the window with the pointer; a press in its lower-right corner
// resizes it. Time moves only when a test runs the desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "OverlayUI/FakeOverlay.h"
#include "Platform/Log.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/Sim/SimInput.h"
#include "Platform/WindowHints.h"
#include "Platform/WindowMoveAssist.h"
#include "TessalySession/GroupSession.h"

namespace tessaly::testing {

class ScriptedWindowHints final : public WindowHints {
public:
    std::map<WindowID, SizeHints> hints;
    std::shared_ptr<const SimDesktop> desktop;  // answers the focus and the title bar
    std::optional<SizeHints> sizeHints(WindowID window) const override {
        const auto found = hints.find(window);
        if (found == hints.end()) return std::nullopt;
        return found->second;
    }
    bool refusesFocus(WindowID window) const override { return desktop && desktop->refusesFocus(window); }
    std::optional<Rect> titleBar(WindowID window) const override {
        return desktop ? desktop->titleBar(window) : std::nullopt;
    }
};

class RecordingMoveAssist final : public WindowMoveAssist {
public:
    std::vector<EventFlags> calls;
    bool takesShift = false;  // as KWin, which drops Shift-dragged windows into its tiles
    void setGroupingModifiers(EventFlags modifiers) override { calls.push_back(modifiers); }
    bool takesShiftDrags() const override { return takesShift; }
};

class NoIcons final : public AppIconSource {
public:
    std::shared_ptr<const AppIcon> icon(ProcessID) override { return nullptr; }
};

// Every log line written while it lives.
class LogCapture {
public:
    LogCapture() {
        Log::setSink([this](LogLevel, LogCategory category, std::string_view message) {
            std::lock_guard guard(mutex_);
            lines_.push_back({category, std::string(message)});
        });
    }
    ~LogCapture() { Log::setSink(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Lines of the category that contain the text.
    std::vector<std::string> matching(LogCategory category, const std::string& text) const {
        std::lock_guard guard(mutex_);
        std::vector<std::string> found;
        for (const auto& [c, line] : lines_) {
            if (c == category && line.find(text) != std::string::npos) found.push_back(line);
        }
        return found;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<LogCategory, std::string>> lines_;
};

// Where most scenarios keep their group, a place on the same display well
// away from it, and the main display's work area (below its menu strip).
constexpr Rect home{100, 100, 700, 500};
constexpr Rect away{1000, 200, 700, 500};
constexpr Rect workArea{0, 25, 1920, 1055};

class SessionDesktop : public ::testing::Test {
protected:
    static constexpr double titleStrip = 28;
    static constexpr double cornerGrip = 10;
    static constexpr ProcessID editor = 101;
    static constexpr ProcessID terminal = 102;
    static constexpr ProcessID browser = 103;
    // The simulated desktop's display, and one to its right.
    static inline const DisplayInfo mainDisplay{1, "Main", Rect(0, 0, 1920, 1080), Rect(0, 25, 1920, 1055)};
    static inline const DisplayInfo sideDisplay{2, "Side", Rect(1920, 0, 1920, 1080), Rect(1920, 0, 1920, 1080)};

    SessionDesktop() {
        hints->desktop = env.desktop;
        env.services.windowHints = hints;
        env.services.moveAssist = moveAssist;
        env.desktop->addApplication({editor, "org.example.Editor", "Editor", "/usr/share/applications/editor.desktop"});
        env.desktop->addApplication(
            {terminal, "org.example.Terminal", "Terminal", "/usr/share/applications/terminal.desktop"});
        env.desktop->addApplication(
            {browser, "org.example.Browser", "Browser", "/usr/share/applications/browser.desktop"});
        input->setPointerObserver([this](const MouseTapEvent& e) { windowManager(e); });
        // Members follow a user's move at once, as on X11, whenever the button is up.
        env.desktop->setLeftButtonSource([input = input] { return input->isLeftButtonDown(); });
    }
    ~SessionDesktop() override {
        session.reset();
        input->setPointerObserver(nullptr);
    }

    void start(bool dragGrouping = true) {
        session = std::make_unique<GroupSession>(
            GroupSession::Services{env.services, input, input, overlay, std::make_shared<NoIcons>()}, true);
        if (dragGrouping) {
            EXPECT_TRUE(session->enableDragGrouping(DragSettings{}));
        }
        settle();
    }

    // ---- Time ----
    void settle() { env.settle(); }
    // Runs the desktop for `seconds` in small steps: timers fire, the
    // accessibility and tap queues hand their work over, the main queue runs.
    void run(double seconds, double step = 1.0 / 240) {
        const double end = env.clock->monotonic() + seconds;
        while (env.clock->monotonic() + 1e-9 < end) {
            env.main->advance(std::min(step, end - env.clock->monotonic()));
            settle();
        }
        settle();
    }
    void play(const std::vector<PointerStep>& path, double seconds) {
        input->schedulePointerPath(path);
        run(seconds);
    }

    // ---- Windows ----
    void addWindow(WindowID id, ProcessID pid, const Rect& frame, std::optional<std::uint32_t> space = std::nullopt) {
        SimWindowSpec spec;
        spec.id = id;
        spec.pid = pid;
        spec.frame = frame;
        spec.title = "Window " + std::to_string(id);
        spec.space = space;
        env.desktop->addWindow(spec);
        settle();
    }
    Rect frameOf(WindowID id) const { return env.desktop->window(id).value().frame(); }
    // Whether `member` stands on `front`'s frame, behind it: out of sight.
    bool isBehind(WindowID member, WindowID front) const {
        const std::vector<WindowID> stack = env.desktop->stacking();
        const auto at = [&](WindowID id) { return std::find(stack.begin(), stack.end(), id); };
        return frameOf(member) == frameOf(front) && at(front) < at(member) && at(member) != stack.end();
    }
    AXWindowRef element(WindowID id) const {
        const auto w = env.desktop->window(id);
        return std::make_shared<const AXWindow>(session->windowSystem().axServices(),
                                                SimDesktop::windowElement(w ? w->pid() : 0, id), w ? w->pid() : 0,
                                                1.0f);
    }
    // Groups two windows as a drop of `dragged` onto `target` would.
    TabGroup groupWindows(WindowID dragged, WindowID target) {
        EXPECT_TRUE(session->group(element(dragged), element(target)));
        run(1.0);
        return session->engine().group(dragged).value_or(TabGroup());
    }
    // The user focuses a window: it comes to the front and its application
    // becomes the active one.
    void focus(WindowID id) {
        env.desktop->raiseWindow(id);
        env.desktop->bringToFront(env.desktop->window(id)->pid());
        settle();
    }
    // Writes of the attribute ("AXPosition" or "AXSize") to the window since
    // the last clear.
    int frameWrites(WindowID id, const std::string& attribute = "AXPosition") const {
        const auto w = env.desktop->window(id);
        int count = 0;
        for (const SimAXCall& call : env.desktop->axCalls(SimDesktop::windowElement(w ? w->pid() : 0, id))) {
            if (call.kind == SimAXCall::Kind::write && call.name == attribute) ++count;
        }
        return count;
    }

    // ---- The pointer ----
    // A press in the title strip of `id`, a drag to `to` in `steps` steps and,
    // when asked, the release; `modifiers` held throughout.
    std::vector<PointerStep> titleDrag(WindowID id, Point to, int steps = 30, bool release = true,
                                       EventFlags modifiers = 0) const {
        const Rect f = frameOf(id);
        const Point from{f.midX(), f.minY() + titleStrip / 2};
        auto path = SimInput::straightDrag(from, to, steps, 1.0 / 60, release);
        path.insert(path.begin(), PointerStep{0, PointerStep::Kind::modifiers, {}, modifiers});
        return path;
    }
    static Point titlePointFor(const Rect& target) { return {target.midX(), target.minY() + 100}; }

    SimEnvironment env;
    std::shared_ptr<SimInput> input = std::make_shared<SimInput>(*env.main);
    std::shared_ptr<FakeOverlayFactory> overlay = std::make_shared<FakeOverlayFactory>();
    std::shared_ptr<ScriptedWindowHints> hints = std::make_shared<ScriptedWindowHints>();
    std::shared_ptr<RecordingMoveAssist> moveAssist = std::make_shared<RecordingMoveAssist>();
    std::unique_ptr<GroupSession> session;

private:
    struct Grab {
        WindowID id;
        bool resize;
        Point start;
        Rect startFrame;
    };

    void windowManager(const MouseTapEvent& e) {
        switch (e.type) {
            case MouseTapEventType::leftMouseDown: grab(e.location); break;
            case MouseTapEventType::leftMouseDragged:
                if (grabbed_) moveGrabbed(e.location);
                break;
            case MouseTapEventType::leftMouseUp: grabbed_.reset(); break;
            default: break;
        }
    }
    void grab(Point at) {
        grabbed_.reset();
        for (const WindowID id : env.desktop->stacking()) {
            const auto w = env.desktop->window(id);
            if (!w || w->spec.minimized || w->spec.layer != 0 || !w->frame().contains(at)) continue;
            if (w->spec.space && *w->spec.space != env.desktop->currentSpace()) continue;
            if (pressFocuses) {
                env.desktop->raiseWindow(id);
                env.desktop->bringToFront(w->pid());
            }
            const Rect f = w->frame();
            if (at.y < f.minY() + titleStrip) grabbed_ = Grab{id, false, at, f};
            else if (at.x >= f.maxX() - cornerGrip && at.y >= f.maxY() - cornerGrip) grabbed_ = Grab{id, true, at, f};
            return;
        }
    }
    void moveGrabbed(Point at) {
        const double dx = at.x - grabbed_->start.x;
        const double dy = at.y - grabbed_->start.y;
        const Rect f = grabbed_->startFrame;
        env.desktop->moveWindow(grabbed_->id, grabbed_->resize ? Rect(f.origin.x, f.origin.y, f.size.width + dx,
                                                                       f.size.height + dy)
                                                                : f.offsetBy(dx, dy));
    }

    std::optional<Grab> grabbed_;

protected:
    // Whether a press raises and focuses the window before moving it (many
    // X11 window managers do neither for a press with a modifier held).
    bool pressFocuses = true;
};

}  // namespace tessaly::testing
