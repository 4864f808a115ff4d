#pragma once
// What a running process costs, read from /proc: resident memory, and time
// on a CPU summed over its threads with nanosecond resolution (unlike the
// tick counts of /proc/PID/stat).
#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace tessaly::bench {

// Resident set size, in bytes; 0 when the process is gone.
inline double residentBytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) * 1024;
    }
    return 0;
}

// Time on a CPU of all the process's threads so far, in seconds.
inline double cpuSeconds(pid_t pid) {
    const auto tasks = std::filesystem::path("/proc") / std::to_string(pid) / "task";
    double total = 0;
    std::error_code ignored;
    for (const auto& task : std::filesystem::directory_iterator(tasks, ignored)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double onCpu = 0;
        if (schedstat >> onCpu) total += onCpu / 1e9;
    }
    return total;
}

}  // namespace tessaly::bench
