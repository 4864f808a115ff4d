#include "TessalyApp/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>
#include <utility>

#include "Platform/AtomicFile.h"
#include "Platform/FileDescriptor.h"
#include "Platform/XdgDirectories.h"

namespace tessaly {

namespace {

constexpr char kAnswer[] = "ok\n";

using SteadyClock = std::chrono::steady_clock;

bool fail(std::string* why, std::string message) {
    if (why) *why = std::move(message);
    return false;
}

std::string describe(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

// The folder exists, is a real folder of this user, and nobody else may
// enter it (a looser mode on our own folder is tightened).
bool preparePrivateFolder(const std::filesystem::path& folder, std::string* why) {
    std::string error;
    if (!AtomicFile::createDirectories(folder, 0700, &error)) return fail(why, error);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return fail(why, describe("cannot inspect", folder));
    if (!S_ISDIR(info.st_mode)) return fail(why, "not a folder: " + folder.string());
    if (info.st_uid != ::getuid()) return fail(why, "the folder belongs to another user: " + folder.string());
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        return fail(why, describe("cannot make private", folder));
    }
    return true;
}

int openLockFile(const std::filesystem::path& file) {
    return ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
}

bool fillAddress(const std::filesystem::path& path, sockaddr_un& address, std::string* why) {
    address = {};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path) return fail(why, "the socket path is too long: " + text);
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

int millisecondsUntil(SteadyClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

SteadyClock::time_point deadlineAfter(double seconds) {
    return SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
}

std::string secondsText(double seconds) {
    std::ostringstream text;
    text << seconds;
    return text.str();
}

// A short pause between two tries of something another process is about to
// finish (its start, its exit).
void pauseBriefly() { ::poll(nullptr, 0, 10); }

}  // namespace

std::optional<std::filesystem::path> SingleInstance::defaultFolder() {
    if (auto runtime = XdgDirectories::runtimeDir()) return *runtime / "tessaly";
    auto cache = XdgDirectories::cacheHome();
    if (!cache) return std::nullopt;
    // The cache folder may be shared by several machines; a socket is not.
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') std::strcpy(host, "localhost");
    return *cache / (std::string("tessaly-runtime-") + host);
}

SingleInstance::SingleInstance(std::filesystem::path folder) : SingleInstance(std::move(folder), Patience{}) {}

SingleInstance::SingleInstance(std::filesystem::path folder, Patience patience)
    : folder_(std::move(folder)), patience_(patience) {}

SingleInstance::~SingleInstance() {
    if (listener_ >= 0) {
        ::close(listener_);
        // Still holding the lock: the socket is ours to remove.
        ::unlink(socketPath().c_str());
    }
    if (instanceLock_ >= 0) ::close(instanceLock_);
}

SingleInstance::Claim SingleInstance::claim(std::string* why) {
    if (!outcome_) outcome_ = claimOnce(why);
    return *outcome_;
}

SingleInstance::Claim SingleInstance::claimOnce(std::string* why) {
    if (!preparePrivateFolder(folder_, why)) return Claim::unavailable;

    // The start lock: whoever holds it is either becoming the instance or
    // asking the instance; the instance gives it back once it listens.
    FileDescriptor startLock(openLockFile(folder_ / "start.lock"));
    if (startLock.get() < 0) {
        fail(why, describe("cannot open", folder_ / "start.lock"));
        return Claim::unavailable;
    }
    const auto deadline = deadlineAfter(patience_.start);
    while (::flock(startLock.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            fail(why, describe("cannot lock", folder_ / "start.lock"));
            return Claim::unavailable;
        }
        if (SteadyClock::now() >= deadline) {
            fail(why, "another start of Tessaly did not finish within " +
                          secondsText(patience_.start) + " s");
            return Claim::runningButSilent;
        }
        pauseBriefly();
    }

    FileDescriptor instanceLock(openLockFile(folder_ / "instance.lock"));
    if (instanceLock.get() < 0) {
        fail(why, describe("cannot open", folder_ / "instance.lock"));
        return Claim::unavailable;
    }
    // A running instance that is just ending removes its socket before its
    // lock goes: try both again until one of them answers.
    while (true) {
        if (::flock(instanceLock.get(), LOCK_EX | LOCK_NB) == 0) {
            instanceLock_ = instanceLock.release();
            return becomePrimary(why);
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            fail(why, describe("cannot lock", folder_ / "instance.lock"));
            return Claim::unavailable;
        }
        const Claim handed = handToRunning(why);
        if (handed != Claim::unavailable || SteadyClock::now() >= deadline) {
            return handed == Claim::unavailable ? Claim::runningButSilent : handed;
        }
        pauseBriefly();
    }
}

SingleInstance::Claim SingleInstance::becomePrimary(std::string* why) {
    sockaddr_un address{};
    if (!fillAddress(socketPath(), address, why)) return Claim::unavailable;
    // Holding the lock, any socket file left here is a dead instance's.
    ::unlink(socketPath().c_str());
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.get() < 0) {
        fail(why, describe("cannot make a socket for", socketPath()));
        return Claim::unavailable;
    }
    // The socket file takes the socket's mode (less the umask) when bound:
    // for this user alone, whatever the folder around it.
    if (::fchmod(socket.get(), 0600) != 0) {
        fail(why, describe("cannot make private the socket for", socketPath()));
        return Claim::unavailable;
    }
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket.get(), 16) != 0) {
        fail(why, describe("cannot listen on", socketPath()));
        return Claim::unavailable;
    }
    listener_ = socket.release();
    return Claim::primary;
}

SingleInstance::Claim SingleInstance::handToRunning(std::string* why) {
    sockaddr_un address{};
    if (!fillAddress(socketPath(), address, why)) return Claim::runningButSilent;
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0) {
        fail(why, describe("cannot make a socket for", socketPath()));
        return Claim::unavailable;
    }
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        fail(why, describe("cannot reach the running Tessaly at", socketPath()));
        return Claim::unavailable;
    }
    // The connection is the request; the running one answers once it took it.
    const auto deadline = deadlineAfter(patience_.answer);
    std::string answer;
    while (answer.size() < sizeof kAnswer - 1) {
        pollfd entry{socket.get(), POLLIN, 0};
        const int ready = ::poll(&entry, 1, millisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        char buffer[8];
        const ssize_t n = ::read(socket.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    if (answer.rfind(kAnswer, 0) == 0) return Claim::handedToRunning;
    fail(why, "Tessaly is already running but did not answer within " +
                  secondsText(patience_.answer) + " s");
    return Claim::runningButSilent;
}

void SingleInstance::acceptPending() {
    if (listener_ < 0) return;
    int reopens = 0;
    while (true) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            break;  // EAGAIN: nobody else is waiting
        }
        ucred peer{};
        socklen_t length = sizeof peer;
        const bool sameUser = ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
                              peer.uid == ::getuid();
        if (sameUser) {
            ::send(connection, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            ++reopens;
        }
        ::close(connection);
    }
    for (int i = 0; i < reopens; ++i) {
        if (onReopen) onReopen();
    }
}

}  // namespace tessaly
