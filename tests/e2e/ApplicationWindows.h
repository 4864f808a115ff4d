#pragma once
// Many small applications (xlogo), one process each (windows of one process
// share one focus and activation, as an application's do), started
// together and ready once the window manager shows every window at its
// place. They end, by pid, with this object.
#include "ChildProcess.h"

#include "Platform/X11/X11Desktop.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::e2e {

// The display, and HOME and XDG folders under `dir` (home, config, cache,
// data, runtime).
inline std::map<std::string, std::string> desktopVariables(const std::string& display, const std::filesystem::path& dir) {
    return {{"DISPLAY", display},
            {"HOME", (dir / "home").string()},
            {"XDG_CONFIG_HOME", (dir / "config").string()},
            {"XDG_CACHE_HOME", (dir / "cache").string()},
            {"XDG_DATA_HOME", (dir / "data").string()},
            {"XDG_RUNTIME_DIR", (dir / "runtime").string()}};
}
// What a program started on the desktop gets: its display, HOME and XDG
// folders.
inline std::map<std::string, std::string> desktopVariables(test::X11Desktop& desktop) {
    return desktopVariables(desktop.display(), desktop.directory());
}

class ApplicationWindows {
public:
    // One application per place, its frame's top-left there, `size` its
    // window's size; empty when they do not all come up.
    static std::optional<ApplicationWindows> launch(test::X11Desktop& desktop, const std::vector<Point>& places,
                                                    Size size) {
        ApplicationWindows apps;
        const std::string extent =
            std::to_string(static_cast<int>(size.width)) + "x" + std::to_string(static_cast<int>(size.height));
        for (const Point p : places) {
            auto child = ChildProcess::start(
                {"xlogo", "-geometry",
                 extent + "+" + std::to_string(static_cast<int>(p.x)) + "+" + std::to_string(static_cast<int>(p.y))},
                desktopVariables(desktop));
            if (!child) return std::nullopt;
            apps.processes_.push_back(std::move(*child));
        }
        // Ready: for every place a managed, shown client whose frame stands there.
        apps.windows_.assign(places.size(), kNoWindow);
        const bool ready = desktop.waitUntil([&] {
            for (const auto& info : desktop.windows().read(desktop.windows().clientList())) {
                if (info.frameWindow == info.window || !info.viewable) continue;
                for (std::size_t i = 0; i < places.size(); ++i) {
                    if (info.frame.origin == places[i]) apps.windows_[i] = info.window;
                }
            }
            return std::find(apps.windows_.begin(), apps.windows_.end(), kNoWindow) == apps.windows_.end();
        });
        if (!ready) return std::nullopt;
        return apps;
    }

    const std::vector<xcb_window_t>& windows() const { return windows_; }
    // The process of each window, in the same order.
    std::vector<pid_t> pids() const {
        std::vector<pid_t> pids;
        for (const auto& p : processes_) pids.push_back(p.pid());
        return pids;
    }

private:
    std::vector<ChildProcess> processes_;
    std::vector<xcb_window_t> windows_;
};

}  // namespace tessaly::e2e
