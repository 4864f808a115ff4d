#pragma once
// Running applications on X11: the processes that own managed client
// windows, named after their desktop entry (_GTK_APPLICATION_ID,
// _KDE_NET_WM_DESKTOP_FILE, else WM_CLASS matched to a desktop file). An
// application without an entry is identified by its WM_CLASS instance and
// named by its WM_CLASS class, else both come from /proc/PID/comm.
#include "Platform/Types.h"
#include "Platform/Workspace.h"
#include "Platform/X11/X11Backend.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

struct X11DesktopEntry {
    std::string id;    // file name without ".desktop"
    std::string name;  // Name=
    std::string path;
    std::string icon;  // Icon=: a file or a name in the icon theme
};

// Desktop files larger than this are read only this far.
inline constexpr std::size_t kMaxDesktopEntryBytes = 64 * 1024;

// The application entry a desktop file holds; none when the file is
// unreadable, hidden or not an application.
std::optional<X11DesktopEntry> readDesktopEntry(const std::filesystem::path& file);

// Looks a desktop entry up in the XDG data directories' "applications"
// folders: by application id first, then by StartupWMClass, then by a file
// named after the class or instance, then by a reverse-domain file name
// whose last part is the class or instance (org.example.Editor for
// "editor"); names compare case-insensitively.
std::optional<X11DesktopEntry> findDesktopEntry(const std::string& applicationID, const std::string& wmInstance,
                                                const std::string& wmClass,
                                                const std::vector<std::filesystem::path>& applicationDirs);
// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS/applications.
std::vector<std::filesystem::path> desktopEntryDirectories();

bool processIsAlive(ProcessID pid);
// Signal 0 only probes, cheaply enough for every move. A zombie still
// answers: its windows are gone already and a write to them does nothing.
bool processHasExited(ProcessID pid);
// /proc/PID/comm, or "" when unreadable.
std::string processCommand(ProcessID pid);

class X11Applications {
public:
    explicit X11Applications(std::shared_ptr<X11Backend> backend,
                             std::vector<std::filesystem::path> applicationDirs = desktopEntryDirectories());

    // Every process with a managed client, in client-list order.
    std::vector<RunningApplication> running() const;
    // The application of `pid` while it lives (with or without windows).
    std::optional<RunningApplication> application(ProcessID pid) const;

private:
    RunningApplication describe(ProcessID pid, const X11WindowInfo* window) const;

    std::shared_ptr<X11Backend> backend_;
    std::vector<std::filesystem::path> dirs_;
    mutable std::mutex cacheMutex_;
    mutable std::map<std::string, std::optional<X11DesktopEntry>> entries_;  // by id|instance|class
};

}  // namespace tessaly
