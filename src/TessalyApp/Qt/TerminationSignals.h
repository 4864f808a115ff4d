#pragma once
// SIGTERM, SIGINT and SIGHUP as an ordinary event of the main loop: the
// handler only writes the signal's number to a pipe, and a socket notifier
// on the main thread reads it and calls onTerminate, so shut-down runs as
// orderly main-thread code (session shut down, bars closed). One instance
// per process, made on the main thread once the QCoreApplication exists.
#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace tessaly {

class TerminationSignals {
public:
    // Installs the handlers; onTerminate gets the signal's number. A second
    // signal while the first is being handled is passed on too.
    explicit TerminationSignals(std::function<void(int)> onTerminate);
    // Puts the default handlers back.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;


private:
    void readPending();

    std::function<void(int)> onTerminate_;
    int readEnd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tessaly
