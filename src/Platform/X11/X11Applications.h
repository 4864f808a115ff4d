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
};

// Looks a desktop entry up in the XDG data directories' "applications"
// folders: by application id first, then by StartupWMClass, then by a file
// named after the class or instance (case-insensitive).
std::optional<X11DesktopEntry> findDesktopEntry(const std::string& applicationID, const std::string& wmInstance,
                                                const std::string& wmClass,
                                                const std::vector<std::filesystem::path>& applicationDirs);
// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS/applications.
std::vector<std::filesystem::path> desktopEntryDirectories();

bool processIsAlive(ProcessID pid);
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
