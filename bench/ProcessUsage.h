#pragma once
// What a running process costs, read from /proc: resident memory, and its
// threads' time on a CPU and wake-ups from the kernel's per-thread counters
// (nanoseconds and context switches, not clock ticks).
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
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

// The process's threads at one moment, summed: time on a CPU (schedstat,
// in nanoseconds) and context switches (each one a wake-up or a
// preemption). A thread that ends between two readings takes its counts
// with it: compare readings whose thread sets are equal.
struct ThreadUsage {
    double cpuSeconds = 0;
    std::uint64_t contextSwitches = 0;
    std::map<pid_t, std::string> threads;  // thread id -> its name (comm)

    static ThreadUsage of(pid_t pid) {
        ThreadUsage usage;
        std::error_code error;
        const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
        for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
            std::ifstream schedstat(task.path() / "schedstat");
            double runNanoseconds = 0;
            if (!(schedstat >> runNanoseconds)) continue;  // ended meanwhile
            usage.cpuSeconds += runNanoseconds / 1e9;
            std::ifstream status(task.path() / "status");
            std::string line;
            while (std::getline(status, line)) {
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                    usage.contextSwitches += std::stoull(line.substr(line.find(':') + 1));
                }
            }
            std::string name;
            std::getline(std::ifstream(task.path() / "comm"), name);
            usage.threads.emplace(static_cast<pid_t>(std::stoi(task.path().filename().string())), name);
        }
        return usage;
    }

    // The threads that came ("+name (id)") or went ("-name (id)") since
    // `earlier`, separated by spaces; empty when none did.
    std::string changesSince(const ThreadUsage& earlier) const {
        std::string changes;
        const auto note = [&](char sign, const std::pair<const pid_t, std::string>& thread) {
            if (!changes.empty()) changes += ' ';
            changes += sign + thread.second + " (" + std::to_string(thread.first) + ")";
        };
        for (const auto& thread : threads) {
            if (!earlier.threads.count(thread.first)) note('+', thread);
        }
        for (const auto& thread : earlier.threads) {
            if (!threads.count(thread.first)) note('-', thread);
        }
        return changes;
    }

    // How many threads go by each name, digits counted as one ("tessaly.ax.#"
    // for every application's thread).
    std::map<std::string, int> countsByName() const {
        std::map<std::string, int> counts;
        for (const auto& [id, name] : threads) {
            std::string kind;
            for (const char c : name) {
                if (c < '0' || c > '9') kind += c;
                else if (kind.empty() || kind.back() != '#') kind += '#';
            }
            ++counts[kind];
        }
        return counts;
    }
};

}  // namespace tessaly::bench
