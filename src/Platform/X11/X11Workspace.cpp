#include "Platform/X11/X11Workspace.h"

#include "Platform/WorkspaceObservers.h"
#include "Platform/X11/X11BusSignals.h"
#include "Platform/X11/X11Monitors.h"

#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

extern char** environ;

namespace tessaly {

namespace {

// glibc's <sys/pidfd.h> lacks C linkage for C++ here: call the kernel directly.
int openPidfd(ProcessID pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

}  // namespace

struct X11Workspace::State : std::enable_shared_from_this<X11Workspace::State> {
    State(std::shared_ptr<X11Backend> b, std::shared_ptr<MainExecutor> m, std::string bus)
        : backend(b), applications(std::move(b)), main(std::move(m)), sleepBusAddress(std::move(bus)) {}

    std::shared_ptr<X11Backend> backend;
    const X11Applications applications;  // keeps the desktop entries it has looked up
    std::shared_ptr<MainExecutor> main;
    const std::string sleepBusAddress;
    std::unique_ptr<X11BusSignals> sleepMonitor;  // set once while starting, dropped in stop()

    const std::shared_ptr<WorkspaceObservers> observers = std::make_shared<WorkspaceObservers>();

    std::mutex mutex;  // guards everything below
    bool observing = false;      // claimed by the first observer
    Subscription subscription;
    std::optional<ProcessID> frontmost;
    std::map<ProcessID, int> pidfds;                   // processes watched for their exit
    std::map<ProcessID, RunningApplication> described; // as last seen alive
    std::vector<X11Monitor> screens;                   // as last told of

    int wakeFd = -1;
    bool stopping = false;
    std::thread watcher;

    void deliver(WorkspaceEvent event) { observers->post(*main, std::move(event)); }

    void wake() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd, &one, sizeof one);
    }

    // Watches the exit of every process that owns a client.
    void watchClients(const std::vector<xcb_window_t>& clients) {
        const auto pids = backend->windows().pids(clients);
        bool added = false;
        for (std::size_t i = 0; i < clients.size(); ++i) {
            if (!pids[i]) continue;
            std::lock_guard lock(mutex);
            if (pidfds.count(*pids[i])) continue;
            const int fd = openPidfd(*pids[i]);
            if (fd < 0) continue;
            pidfds[*pids[i]] = fd;
            added = true;
        }
        if (added) wake();
        // Remember what each is called while it still answers.
        for (const auto& app : applications.running()) {
            std::lock_guard lock(mutex);
            described[app.pid] = app;
        }
    }

    void watch() {
        while (true) {
            std::vector<pollfd> fds{{wakeFd, POLLIN, 0}};
            std::vector<ProcessID> order;
            {
                std::lock_guard lock(mutex);
                if (stopping) return;
                for (const auto& [pid, fd] : pidfds) {
                    fds.push_back({fd, POLLIN, 0});
                    order.push_back(pid);
                }
            }
            if (poll(fds.data(), fds.size(), -1) < 0) continue;
            if (fds[0].revents & POLLIN) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto got = read(wakeFd, &count, sizeof count);
            }
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                const ProcessID pid = order[i - 1];
                RunningApplication app;
                app.pid = pid;
                {
                    std::lock_guard lock(mutex);
                    if (const auto it = pidfds.find(pid); it != pidfds.end()) {
                        close(it->second);
                        pidfds.erase(it);
                    }
                    if (const auto d = described.find(pid); d != described.end()) {
                        app = d->second;
                        described.erase(d);
                    }
                    if (frontmost == pid) frontmost.reset();
                }
                app.isTerminated = true;
                deliver({WorkspaceNotification::didTerminateApplication, app});
            }
        }
    }

    // Whether the displays differ from those last told of; remembers them.
    // A window manager that starts announces the same work area again.
    bool screensChanged() {
        auto now = backend->monitors();
        std::lock_guard lock(mutex);
        if (now == screens) return false;
        screens = std::move(now);
        return true;
    }

    // What asks the server (the new active window's process and its
    // description, the processes of the clients, the displays) is handled
    // off the reader's thread; what is told as it comes, on it.
    static X11Backend::Turn placement(const X11Event& event) {
        using Kind = X11Event::Kind;
        using Turn = X11Backend::Turn;
        switch (event.kind) {
        case Kind::activeWindowChanged:  // focus passes through None on its way: nothing to tell
            return event.window == kNoWindow ? Turn::skip : Turn::worker;
        case Kind::clientListChanged:
        case Kind::screenChanged: return Turn::worker;
        case Kind::currentDesktopChanged:
        case Kind::desktopChanged:
        case Kind::screenSaverChanged: return Turn::reader;
        default: return Turn::skip;
        }
    }

    void handle(const X11Event& event) {
        using Kind = X11Event::Kind;
        switch (event.kind) {
        case Kind::activeWindowChanged: {
            if (event.window == kNoWindow) return;  // focus passes through None on its way
            const auto pid = backend->windows().pids({event.window}).front();
            if (!pid) return;
            {
                std::lock_guard lock(mutex);
                if (frontmost == pid) return;
                frontmost = pid;
            }
            auto app = applications.application(*pid);
            if (app) deliver({WorkspaceNotification::didActivateApplication, app});
            return;
        }
        case Kind::clientListChanged: watchClients(event.clients); return;
        case Kind::currentDesktopChanged: deliver({WorkspaceNotification::activeSpaceDidChange, std::nullopt}); return;
        case Kind::desktopChanged:
            deliver({WorkspaceNotification::windowDidChangeSpace, std::nullopt, event.window});
            return;
        case Kind::screenChanged:
            if (screensChanged()) deliver({WorkspaceNotification::screenParametersDidChange, std::nullopt});
            return;
        case Kind::screenSaverChanged:
            deliver({event.screenSaverOn ? WorkspaceNotification::screensDidSleep : WorkspaceNotification::screensDidWake,
                     std::nullopt});
            return;
        default: return;
        }
    }

    // Subscribes and starts the exit watcher with the first observer.
    void startObserving() {
        {
            std::lock_guard lock(mutex);
            if (observing || stopping) return;
            wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
            if (wakeFd < 0) return;
            observing = true;
        }
        const auto& windows = backend->windows();
        {
            const xcb_window_t active = windows.activeWindow();
            const auto pid = active ? windows.pids({active}).front() : std::nullopt;
            std::lock_guard lock(mutex);
            frontmost = pid;
        }
        watcher = std::thread([this] { watch(); });
        // What runs now is described on the main thread's next turn: reading
        // every process's details would hold up the program's start.
        main->post([weak = weak_from_this()] {
            if (auto self = weak.lock(); self && !self->isStopping()) {
                self->watchClients(self->backend->windows().clientList());
            }
        });
        // Without a system bus (a container, a test) there is no sleep to tell.
        // logind says true before sleeping and false after waking. Only logind
        // sends it on the system bus; a private bus has no logind to name.
        X11BusSignals::Match match;
        match.sender = sleepBusAddress.empty() ? "org.freedesktop.login1" : nullptr;
        match.path = "/org/freedesktop/login1";
        match.interface = "org.freedesktop.login1.Manager";
        match.member = "PrepareForSleep";
        sleepMonitor = X11BusSignals::listen(
            X11BusSignals::Bus::system, sleepBusAddress, match, [weak = weak_from_this()](sd_bus_message* message) {
                int sleeping = 0;
                if (sd_bus_message_read(message, "b", &sleeping) < 0) return;
                if (auto self = weak.lock()) {
                    self->deliver({sleeping ? WorkspaceNotification::willSleep : WorkspaceNotification::didWake,
                                   std::nullopt});
                }
            });
        screensChanged();
        std::weak_ptr<State> weak = weak_from_this();
        auto handle = backend->subscribeInTurn(placement, [weak](const X11Event& event) {
            if (auto self = weak.lock()) self->handle(event);
        });
        std::lock_guard lock(mutex);
        subscription = std::move(handle);
    }

    bool isStopping() {
        std::lock_guard lock(mutex);
        return stopping;
    }

    void stop() {
        Subscription handle;
        {
            std::lock_guard lock(mutex);
            handle = std::move(subscription);
            stopping = true;
        }
        handle.cancel();
        sleepMonitor.reset();
        if (watcher.joinable()) {
            wake();
            watcher.join();
        }
        std::lock_guard lock(mutex);
        for (const auto& [pid, fd] : pidfds) close(fd);
        pidfds.clear();
        if (wakeFd >= 0) close(wakeFd);
        wakeFd = -1;
    }
};

X11Workspace::X11Workspace(std::shared_ptr<X11Backend> backend, std::shared_ptr<MainExecutor> main,
                           std::string sleepBusAddress)
    : backend_(backend),
      state_(std::make_shared<State>(backend, std::move(main), std::move(sleepBusAddress))) {}

X11Workspace::~X11Workspace() { state_->stop(); }

std::vector<RunningApplication> X11Workspace::runningApplications() const { return state_->applications.running(); }

std::optional<RunningApplication> X11Workspace::runningApplication(ProcessID pid) const {
    return state_->applications.application(pid);
}

std::vector<RunningApplication> X11Workspace::runningApplications(const std::string& bundleIdentifier) const {
    auto apps = state_->applications.running();
    std::erase_if(apps, [&](const RunningApplication& a) { return a.bundleIdentifier != bundleIdentifier; });
    return apps;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() const {
    const xcb_window_t active = backend_->windows().activeWindow();
    if (active == kNoWindow) return std::nullopt;
    const auto pid = backend_->windows().pids({active}).front();
    if (!pid) return std::nullopt;
    return state_->applications.application(*pid);
}

bool X11Workspace::activate(ProcessID pid) {
    std::vector<xcb_window_t> own;
    for (const auto& c : backend_->clientsFrontToBack()) {
        if (c.pid == pid) own.push_back(c.window);
    }
    for (const auto& info : backend_->windows().read(own)) {
        if (!info.isMinimized()) return backend_->windows().activate(info.window);
    }
    return false;
}

bool X11Workspace::openURL(const std::string& url) {
    if (url.empty()) return false;
    std::string program = "xdg-open";
    std::string argument = url;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
    // Reap it whenever it finishes.
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

std::uint32_t X11Workspace::currentSpace() const { return backend_->windows().currentDesktop().value_or(0); }

Subscription X11Workspace::addObserver(WorkspaceNotification kind, Handler handler) {
    auto handle = state_->observers->add(kind, std::move(handler));
    state_->startObserving();
    return handle;
}

}  // namespace tessaly
