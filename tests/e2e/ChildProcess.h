#pragma once
// A child process of an end-to-end test: started on a test desktop's display
// with HOME and the XDG folders the test chooses, its standard output and
// error captured through a pipe, ended by pid. Waits poll the pipe and the
// process's pidfd with a deadline; nothing sleeps.
//
// Header-only, so the end-to-end benchmarks (which link only the desktop
// harness) use the same code.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern char** environ;

namespace tessaly::e2e {

using SteadyClock = std::chrono::steady_clock;

inline int millisecondsLeft(SteadyClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

// How a child ended.
struct ExitStatus {
    bool exited = false;  // exited by itself (else killed by `signal`)
    int code = 0;
    int signal = 0;

    static ExitStatus from(int status) {
        ExitStatus s;
        if (WIFEXITED(status)) {
            s.exited = true;
            s.code = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            s.signal = WTERMSIG(status);
        }
        return s;
    }
    std::string describe() const {
        return exited ? "exit code " + std::to_string(code) : "killed by signal " + std::to_string(signal);
    }
};

class ChildProcess {
public:
    // Variables of the test's own environment that a child never inherits:
    // they would point it at the developer's session.
    static bool isSessionVariable(std::string_view name) {
        return name == "DISPLAY" || name == "HOME" || name.starts_with("XDG_") || name == "SESSION_MANAGER" ||
               name == "WAYLAND_DISPLAY" || name == "DBUS_SESSION_BUS_ADDRESS" || name == "QT_QPA_PLATFORM" ||
               name == "JOURNAL_STREAM" || name == "XAUTHORITY";
    }

    // The leak checker's list of system libraries' leaks, for children built
    // with the sanitizers (see lsan-suppressions.txt beside this file).
    static std::string leakSuppressions() {
        return "suppressions=" + (std::filesystem::path(__FILE__).parent_path() / "lsan-suppressions.txt").string();
    }

    // Starts `argv` with the test's environment minus the session variables,
    // plus `variables` (and the leak suppressions, unless LSAN_OPTIONS is
    // given). Empty when the program cannot be found or started.
    static std::optional<ChildProcess> start(const std::vector<std::string>& argv,
                                             std::map<std::string, std::string> variables) {
        if (!variables.count("LSAN_OPTIONS")) {
            const char* inherited = std::getenv("LSAN_OPTIONS");
            variables["LSAN_OPTIONS"] = (inherited && *inherited ? std::string(inherited) + ":" : std::string()) +
                                        leakSuppressions();
        }
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string_view entry(*e);
            const auto name = entry.substr(0, entry.find('='));
            if (isSessionVariable(name) || variables.count(std::string(name))) continue;
            env.emplace_back(entry);
        }
        for (const auto& [name, value] : variables) env.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> args = argv;
        std::vector<char*> argp;
        for (auto& a : args) argp.push_back(a.data());
        argp.push_back(nullptr);
        const auto program = findExecutable(argv.at(0));
        if (!program) return std::nullopt;

        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
        // Ends the child when the test process dies, so a crashed test leaves
        // nothing running. Only async-signal-safe calls between fork and exec.
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(127);
            const int in = open("/dev/null", O_RDONLY);
            if (in < 0) _exit(127);
            dup2(in, 0);
            dup2(fds[1], 1);
            dup2(fds[1], 2);
            execve(program->c_str(), argp.data(), envp.data());
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            return std::nullopt;
        }
        fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        ChildProcess child;
        child.pid_ = pid;
        child.output_ = fds[0];
        child.pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        return child;
    }

    ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        if (this != &other) {
            release();
            pid_ = std::exchange(other.pid_, -1);
            output_ = std::exchange(other.output_, -1);
            pidfd_ = std::exchange(other.pidfd_, -1);
            text_ = std::move(other.text_);
            status_ = other.status_;
        }
        return *this;
    }
    ~ChildProcess() { release(); }

    pid_t pid() const { return pid_; }

    // Everything the child wrote so far (read now).
    const std::string& output() {
        drain();
        return text_;
    }
    std::size_t count(std::string_view text) {
        drain();
        std::size_t n = 0;
        for (auto at = text_.find(text); at != std::string::npos; at = text_.find(text, at + text.size())) ++n;
        return n;
    }
    // Waits until the child has written `text` `times` times (or has ended,
    // or time is up).
    bool waitForOutput(std::string_view text, std::chrono::milliseconds timeout, std::size_t times = 1) {
        const auto deadline = SteadyClock::now() + timeout;
        while (true) {
            if (count(text) >= times) return true;
            if (status_ || SteadyClock::now() >= deadline) return false;
            pollfd p[2] = {{output_, POLLIN, 0}, {pidfd_, POLLIN, 0}};
            const int ready = poll(p, pidfd_ >= 0 ? 2 : 1, std::min(200, millisecondsLeft(deadline)));
            if (ready > 0 && (p[1].revents & POLLIN)) reap(false);
        }
    }

    // Every thread's stack of the running child, from gdb when it is
    // installed and may attach: what a child that hangs is waiting for.
    std::string stacks() {
        if (status()) return "(it has ended)";
        auto gdb = start({"gdb", "-nx", "-batch", "-p", std::to_string(pid_), "-ex", "thread apply all bt"}, {});
        if (!gdb) return "(no gdb to show its stacks)";
        gdb->waitForExit(std::chrono::seconds(60));
        return gdb->output();
    }

    // The status once the child has ended; empty while it runs.
    std::optional<ExitStatus> status() {
        reap(false);
        return status_;
    }
    std::optional<ExitStatus> waitForExit(std::chrono::milliseconds timeout) {
        const auto deadline = SteadyClock::now() + timeout;
        while (!reap(false) && SteadyClock::now() < deadline) {
            drain();  // a child blocked on a full pipe never ends
            pollfd p[2] = {{pidfd_, POLLIN, 0}, {output_, POLLIN, 0}};
            poll(p, 2, std::min(200, millisecondsLeft(deadline)));
        }
        drain();
        return status_;
    }
    void signal(int number) const {
        if (pid_ > 0 && !status_) kill(pid_, number);
    }
    // TERM, then KILL after `grace`; answers how it ended.
    std::optional<ExitStatus> stop(std::chrono::milliseconds grace = std::chrono::seconds(5)) {
        if (pid_ <= 0) return std::nullopt;
        signal(SIGTERM);
        if (auto s = waitForExit(grace)) return s;
        signal(SIGKILL);
        return waitForExit(std::chrono::seconds(10));
    }

private:
    ChildProcess() = default;

    static std::optional<std::string> findExecutable(const std::string& name) {
        if (name.find('/') != std::string::npos) return name;
        const char* path = std::getenv("PATH");
        std::stringstream dirs(path ? path : "/usr/bin:/bin");
        std::string dir;
        while (std::getline(dirs, dir, ':')) {
            const auto candidate = std::filesystem::path(dir) / name;
            if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
        }
        return std::nullopt;
    }

    void drain() {
        if (output_ < 0) return;
        char buffer[4096];
        while (true) {
            const ssize_t n = read(output_, buffer, sizeof buffer);
            if (n <= 0) return;
            text_.append(buffer, static_cast<std::size_t>(n));
        }
    }
    // Reaps the child once it has ended; answers whether it has.
    bool reap(bool block) {
        if (status_) return true;
        if (pid_ <= 0) return false;
        int raw = 0;
        const pid_t done = waitpid(pid_, &raw, block ? 0 : WNOHANG);
        if (done != pid_) return false;
        status_ = ExitStatus::from(raw);
        return true;
    }
    void release() {
        if (pid_ > 0 && !reap(false)) {
            kill(pid_, SIGKILL);
            reap(true);
        }
        if (output_ >= 0) close(output_);
        if (pidfd_ >= 0) close(pidfd_);
        pid_ = -1;
        output_ = -1;
        pidfd_ = -1;
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int pidfd_ = -1;
    std::string text_;
    std::optional<ExitStatus> status_;
};

}  // namespace tessaly::e2e
