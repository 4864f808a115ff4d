#pragma once
// Stops a child process, every thread of it, as a machine too busy to run
// it would, until the stop goes: what reaches the process meanwhile is taken
// in late.
#include "ChildProcess.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace tessaly::e2e {

class ProcessStop {
public:
    explicit ProcessStop(ChildProcess& process) : process_(process) { process_.signal(SIGSTOP); }
    ~ProcessStop() { process_.signal(SIGCONT); }
    ProcessStop(const ProcessStop&) = delete;
    ProcessStop& operator=(const ProcessStop&) = delete;

    // Whether every thread has stopped.
    bool stopped() const {
        std::error_code error;
        const auto tasks = std::filesystem::path("/proc") / std::to_string(process_.pid()) / "task";
        for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
            std::ifstream file(task.path() / "stat");
            const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            const auto name = stat.rfind(')');  // the state follows the name, which may hold anything
            if (name == std::string::npos || name + 2 >= stat.size() || stat[name + 2] != 'T') return false;
        }
        return !error;
    }

private:
    ChildProcess& process_;
};

}  // namespace tessaly::e2e
