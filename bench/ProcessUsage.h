#pragma once
// What a running process costs, read from /proc: resident memory, and time
// on a CPU of all its threads.
#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

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

// Time on a CPU of all the process's threads so far, those that ended
// included, in seconds (to the clock tick: a sum over the live threads
// alone would lose the time of every thread that ended in between).
inline double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return 0;
    const auto name = line.rfind(')');  // the command may hold spaces and parentheses
    if (name == std::string::npos) return 0;
    std::istringstream fields(line.substr(name + 1));
    std::string field;
    // After the command: the state, then ten fields before utime and stime.
    for (int i = 0; i < 11; ++i) fields >> field;
    double user = 0, system = 0;
    if (!(fields >> user >> system)) return 0;
    return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace tessaly::bench
