#include "Platform/X11/X11Applications.h"

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tessaly {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The keys of a desktop file's main group this backend uses; absent when
// the entry is hidden or not an application.
struct EntryKeys {
    std::string name;
    std::string wmClass;
    std::string icon;
};

std::optional<EntryKeys> readEntry(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    // As far as the file goes (lookups read every entry), at most the limit.
    std::error_code error;
    const auto size = fs::file_size(file, error);
    const bool sized = !error && size > 0;  // else it may still hold text (a pipe, a file of /proc)
    std::string text(sized ? std::min<std::uintmax_t>(size, kMaxDesktopEntryBytes) : kMaxDesktopEntryBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    EntryKeys keys;
    bool inMain = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inMain = line == "[Desktop Entry]";
            continue;
        }
        if (!inMain) continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = trimmed(line.substr(0, eq));
        const std::string value = trimmed(line.substr(eq + 1));
        if (key == "Name") keys.name = value;
        else if (key == "StartupWMClass") keys.wmClass = value;
        else if (key == "Icon") keys.icon = value;
        else if ((key == "Hidden" || key == "NoDisplay") && value == "true") return std::nullopt;
        else if (key == "Type" && value != "Application") return std::nullopt;
    }
    return keys;
}

X11DesktopEntry entryOf(const fs::path& file, const EntryKeys& keys) {
    return X11DesktopEntry{file.stem().string(), keys.name, file.string(), keys.icon};
}

// The last part of a reverse-domain name ("editor" of "org.example.editor").
std::string lastPart(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace

std::optional<X11DesktopEntry> readDesktopEntry(const fs::path& file) {
    const auto keys = readEntry(file);
    if (!keys) return std::nullopt;
    return entryOf(file, *keys);
}

std::vector<fs::path> desktopEntryDirectories() {
    std::vector<fs::path> dirs;
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome && *dataHome) {
        dirs.push_back(fs::path(dataHome) / "applications");
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        dirs.push_back(fs::path(home) / ".local/share/applications");
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::stringstream list(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
    std::string dir;
    while (std::getline(list, dir, ':')) {
        if (!dir.empty()) dirs.push_back(fs::path(dir) / "applications");
    }
    return dirs;
}

std::optional<X11DesktopEntry> findDesktopEntry(const std::string& applicationID, const std::string& wmInstance,
                                                const std::string& wmClass, const std::vector<fs::path>& dirs) {
    std::error_code ec;
    if (!applicationID.empty()) {
        std::string id = applicationID;
        if (id.size() > 8 && id.ends_with(".desktop")) id.resize(id.size() - 8);
        for (const auto& dir : dirs) {
            const fs::path file = dir / (id + ".desktop");
            if (fs::is_regular_file(file, ec)) {
                if (auto entry = readDesktopEntry(file)) return entry;
            }
        }
    }
    if (wmClass.empty() && wmInstance.empty()) return std::nullopt;
    const std::string cls = lower(wmClass);
    const std::string inst = lower(wmInstance);
    const auto named = [&](const std::string& name) { return !name.empty() && (name == cls || name == inst); };
    std::optional<X11DesktopEntry> byFileName;
    std::optional<X11DesktopEntry> byLastPart;
    for (const auto& dir : dirs) {
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path& file = it->path();
            if (file.extension() != ".desktop") continue;
            const auto keys = readEntry(file);
            if (!keys) continue;
            if (named(lower(keys->wmClass))) return entryOf(file, *keys);
            const std::string stem = lower(file.stem().string());
            if (!byFileName && named(stem)) byFileName = entryOf(file, *keys);
            if (!byLastPart && named(lastPart(stem))) byLastPart = entryOf(file, *keys);
        }
    }
    return byFileName ? byFileName : byLastPart;
}

bool processHasExited(ProcessID pid) { return pid <= 0 || (kill(pid, 0) != 0 && errno == ESRCH); }

bool processIsAlive(ProcessID pid) {
    if (pid <= 0) return false;
    if (kill(pid, 0) != 0 && errno == ESRCH) return false;
    // A zombie has exited already.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const auto close = text.rfind(')');
    if (close != std::string::npos && close + 2 < text.size()) return text[close + 2] != 'Z' && text[close + 2] != 'X';
    return true;
}

std::string processCommand(ProcessID pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string comm;
    std::getline(in, comm);
    return comm;
}

X11Applications::X11Applications(std::shared_ptr<X11Backend> backend, std::vector<fs::path> applicationDirs)
    : backend_(std::move(backend)), dirs_(std::move(applicationDirs)) {}

RunningApplication X11Applications::describe(ProcessID pid, const X11WindowInfo* window) const {
    RunningApplication app;
    app.pid = pid;
    app.activationPolicy = ActivationPolicy::regular;
    std::optional<X11DesktopEntry> entry;
    if (window) {
        const std::string key = window->applicationID + "|" + window->instanceName + "|" + window->className;
        std::lock_guard lock(cacheMutex_);
        auto it = entries_.find(key);
        if (it == entries_.end()) {
            it = entries_.emplace(key, findDesktopEntry(window->applicationID, window->instanceName, window->className, dirs_))
                     .first;
        }
        entry = it->second;
    }
    if (entry) {
        app.bundleIdentifier = entry->id;
        app.bundlePath = entry->path;
        if (!entry->name.empty()) app.localizedName = entry->name;
    }
    // Without a desktop entry the application goes by its window class
    // (its name: the class, its identifier: the instance, as the program
    // names itself there), else by its process's command name.
    if (!app.bundleIdentifier && window && !window->instanceName.empty()) app.bundleIdentifier = window->instanceName;
    if (!app.localizedName && window && !window->className.empty()) app.localizedName = window->className;
    if (!app.bundleIdentifier || !app.localizedName) {
        if (const std::string comm = processCommand(pid); !comm.empty()) {
            if (!app.bundleIdentifier) app.bundleIdentifier = comm;
            if (!app.localizedName) app.localizedName = comm;
        }
    }
    app.isTerminated = !processIsAlive(pid);
    return app;
}

std::vector<RunningApplication> X11Applications::running() const {
    const auto& windows = backend_->windows();
    const auto infos = windows.read(windows.clientList());
    std::vector<RunningApplication> apps;
    for (const auto& info : infos) {
        if (!info.pid) continue;
        if (std::any_of(apps.begin(), apps.end(), [&](const RunningApplication& a) { return a.pid == *info.pid; })) continue;
        apps.push_back(describe(*info.pid, &info));
    }
    return apps;
}

std::optional<RunningApplication> X11Applications::application(ProcessID pid) const {
    if (!processIsAlive(pid)) return std::nullopt;
    const auto& windows = backend_->windows();
    const auto list = windows.clientList();
    const auto pids = windows.pids(list);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (pids[i] != pid) continue;
        if (const auto info = windows.read(list[i])) return describe(pid, &*info);
    }
    return describe(pid, nullptr);
}

}  // namespace tessaly
