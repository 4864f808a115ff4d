#include "TessalyApp/Qt/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <initializer_list>

namespace tessaly {

namespace {

constexpr std::initializer_list<int> kSignals = {SIGTERM, SIGINT, SIGHUP};

// The write end, read by the handler: only async-signal-safe work there.
std::atomic<int> writeEnd{-1};

void onSignal(int number) {
    const int saved = errno;
    const int fd = writeEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(number);
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onTerminate) : onTerminate_(std::move(onTerminate)) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    readEnd_ = fds[0];
    writeEnd.store(fds[1]);
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { readPending(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : kSignals) sigaction(number, &action, nullptr);
    notifier_.reset();
    const int fd = writeEnd.exchange(-1);
    if (fd >= 0) ::close(fd);
    if (readEnd_ >= 0) ::close(readEnd_);
}

void TerminationSignals::readPending() {
    unsigned char byte = 0;
    while (::read(readEnd_, &byte, 1) == 1) {
        if (onTerminate_) onTerminate_(byte);
    }
}

}  // namespace tessaly
