#pragma once
// Stops a process, every thread of it, as a machine too busy to run it
// would, until the stop goes: what reaches the process meanwhile is taken
// in late.
#include <sys/types.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>

namespace tessaly {

class ProcessStop {
public:
    ProcessStop() = default;  // stops nothing
    explicit ProcessStop(pid_t pid) : pid_(pid > 0 && kill(pid, SIGSTOP) == 0 ? pid : -1) {}
    ProcessStop(ProcessStop&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    ProcessStop& operator=(ProcessStop&&) = delete;
    ~ProcessStop() {
        if (pid_ > 0) kill(pid_, SIGCONT);
    }

    explicit operator bool() const { return pid_ > 0; }

    // Whether every thread has stopped.
    bool stopped() const {
        if (pid_ <= 0) return false;
        std::error_code error;
        const auto tasks = std::filesystem::path("/proc") / std::to_string(pid_) / "task";
        for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
            std::ifstream file(task.path() / "stat");
            const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            const auto name = stat.rfind(')');  // the state follows the name, which may hold anything
            if (name == std::string::npos || name + 2 >= stat.size() || stat[name + 2] != 'T') return false;
        }
        return !error;
    }

private:
    pid_t pid_ = -1;
};

}  // namespace tessaly
