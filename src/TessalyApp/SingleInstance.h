#pragma once
// One running Tessaly per user. The first process to claim the instance
// holds a lock for its whole life and listens on a Unix socket beside it; a
// later launch finds the lock taken, connects, and so asks the running one
// to reopen (show its settings window), then exits.
//
// The lock is an flock on a file in a private folder: the kernel drops it
// when its holder ends in any way, so a crash never leaves it stale. A second
// lock serialises the start itself: a launch that wins the instance lock
// keeps the start lock until its socket listens, so a launch at the same
// instant finds either nothing (and becomes the instance) or a socket that
// answers.
//
//   SingleInstance instance(*SingleInstance::defaultFolder());
//   switch (instance.claim(&why)) {
//   case SingleInstance::Claim::primary: watch instance.descriptor(), call acceptPending(); break;
//   case SingleInstance::Claim::handedToRunning: return 0;
//   case SingleInstance::Claim::runningButSilent: report why, return 1;
//   case SingleInstance::Claim::unavailable: log why and run without the guard;
//   }
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tessaly {

class SingleInstance {
public:
    enum class Claim {
        primary,           // this process is the instance
        handedToRunning,   // another one runs and took the reopen
        runningButSilent,  // another one holds the lock but did not answer
        unavailable,       // no private folder, lock or socket could be had
    };

    struct Patience {
        double start = 5.0;   // seconds a launch waits for another launch's start
        double answer = 3.0;  // seconds a launch waits for the running one's answer
    };

    // $XDG_RUNTIME_DIR/tessaly, else a folder of its own in the user's cache
    // folder (mode 0700); absent without either.
    static std::optional<std::filesystem::path> defaultFolder();

    explicit SingleInstance(std::filesystem::path folder);
    SingleInstance(std::filesystem::path folder, Patience patience);
    // The instance removes its socket and gives the lock up.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Claims the instance, or hands a reopen to the one that holds it. Only
    // the first call does anything; later calls answer the first outcome.
    Claim claim(std::string* why = nullptr);

    bool isPrimary() const { return listener_ >= 0; }
    // The instance's listening socket (non-blocking): readable when a launch
    // asks to reopen. -1 unless primary.
    int descriptor() const { return listener_; }
    // Takes every waiting request: each connection from this user is one
    // reopen, answered and closed, and calls onReopen once. Never blocks.
    void acceptPending();

    // Runs on the thread that calls acceptPending().
    std::function<void()> onReopen;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path socketPath() const { return folder_ / "instance.sock"; }

private:
    Claim claimOnce(std::string* why);
    Claim becomePrimary(std::string* why);
    Claim handToRunning(std::string* why);

    std::filesystem::path folder_;
    Patience patience_;
    std::optional<Claim> outcome_;
    int instanceLock_ = -1;
    int listener_ = -1;
};

}  // namespace tessaly
