#pragma once
// Holds the main thread of a child process still while its other threads
// run on, as a main thread kept busy would be: ptrace stops that one thread
// (the process's first, whose id is the process's). What the program does
// meanwhile is done off its main thread. Let go when the hold goes.
#include <sys/ptrace.h>
#include <sys/types.h>
#include <sys/wait.h>

namespace tessaly::e2e {

class MainThreadHold {
public:
    explicit MainThreadHold(pid_t pid) {
        if (ptrace(PTRACE_SEIZE, pid, nullptr, nullptr) != 0) return;  // not allowed here
        pid_ = pid;
        int status = 0;
        held_ = ptrace(PTRACE_INTERRUPT, pid, nullptr, nullptr) == 0 && waitpid(pid, &status, __WALL) == pid &&
                WIFSTOPPED(status);
    }
    ~MainThreadHold() {
        if (pid_ > 0) ptrace(PTRACE_DETACH, pid_, nullptr, nullptr);
    }
    MainThreadHold(const MainThreadHold&) = delete;
    MainThreadHold& operator=(const MainThreadHold&) = delete;

    explicit operator bool() const { return held_; }

private:
    pid_t pid_ = -1;
    bool held_ = false;
};

}  // namespace tessaly::e2e
