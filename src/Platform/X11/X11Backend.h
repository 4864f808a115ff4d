#pragma once
// The X11 backend's shared state: one connection for requests, the window
// reader over it, and one event reader thread (started on first use) whose
// events are fanned out to every subscriber. Each platform service of the
// backend holds a shared reference to it.
//
// The window reader remembers owners, frame extents and the window manager's
// abilities for writes (X11WindowCache); the event reader keeps that memory
// current and is started by the first write when nobody subscribed before.
#include "Platform/DispatchQueue.h"
#include "Platform/Types.h"
#include "Platform/Lifetime.h"
#include "Platform/MemberFollow.h"
#include "Platform/Subscription.h"
#include "Platform/X11/X11ButtonState.h"
#include "Platform/X11/X11Connection.h"
#include "Platform/X11/X11EventReader.h"
#include "Platform/X11/X11Monitors.h"
#include "Platform/X11/X11WindowCache.h"
#include "Platform/X11/X11Windows.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class X11Backend : public std::enable_shared_from_this<X11Backend> {
public:
    // Connects to `display` (empty: $DISPLAY); nullptr without an X server.
    static std::shared_ptr<X11Backend> open(const std::string& display = {});
    ~X11Backend();
    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    const std::string& display() const { return display_; }
    const X11Connection& connection() const { return *x_; }
    const X11Windows& windows() const { return windows_; }
    // What the server was told, and is about to be told, of each window's
    // frame: by the writes made here and by the member follow.
    const std::shared_ptr<FrameRecord>& frameRecord() const { return record_; }
    // The left button as the event reader last saw it (no round trip).
    const X11ButtonState& buttons() const { return buttons_; }

    // Runs `handler` on the event reader's thread for every event from now
    // on, while the handle lives; the reader starts with the first
    // subscription. An empty handle when the reader cannot start.
    // Ending the handle is synchronous: once cancel() returns the handler
    // neither runs nor will run. It may be ended from inside a handler. A
    // subscriber ends its handle before it lets go of the backend, so that
    // the last reference is never dropped on the reader's own thread (which
    // cannot join itself). `first` handlers hear of an event before every
    // other one (right after the member follow), in the order they came.
    enum class Precedence { first, normal };
    Subscription subscribe(X11EventReader::Handler handler, Precedence precedence = Precedence::normal);
    // For a subscriber whose handler may ask the server: where each event
    // goes. `skip`: not to it. `reader`: to the handler on the reader's
    // thread, as subscribe does, unless earlier events still wait for it on
    // the work queue (then behind them). `worker`: on the work queue (see
    // setWorkQueue), so that the reader goes on reading, and members go on
    // following, while the server answers. Asked on the reader's thread: it
    // must not wait.
    enum class Turn { skip, reader, worker };
    using Placement = std::function<Turn(const X11Event&)>;
    // Like subscribe, with the handler placed by `place`: it hears of the
    // events in the order they came, one at a time, wherever it runs. Ending
    // the handle is synchronous in the same way (it waits for a handler
    // running on the work queue); the events still waiting are dropped.
    // Without a work queue every event goes to the reader's thread.
    Subscription subscribeInTurn(Placement place, X11EventReader::Handler handler);
    // Starts the event reader now (its connection, and what it watches of
    // every client) rather than at the first subscription, and reads every
    // client and the monitors into memory; from any thread. False when the
    // reader cannot start.
    bool startWatching();

    // The monitors (see X11Monitors), read once and kept while the reader
    // runs, until it reports what may change them (RandR, the root resized,
    // a strut or the work area, a client that came or went, another window
    // manager); dropped before any subscriber hears of that report. Asking
    // starts the reader. Callers on several threads at once share one read.
    // From any thread.
    std::vector<X11Monitor> monitors() const;

    // Runs `handler` once, on the event reader's thread, when the X server
    // goes away (the connection breaks): nothing of the backend works any
    // more, and the program is expected to leave. Starts the event reader
    // if it did not run; false when it cannot start (no server already).
    bool setConnectionLostHandler(std::function<void()> handler);

    // From now on a client's new frame is handed to `follow` as soon as it
    // is read, before any subscriber hears of it; the moves it sends are
    // flushed at once. Null: none.
    void setMemberFollow(std::shared_ptr<MemberFollow> follow);

    // Where the work an event brings that waits for the server goes (a write
    // made again once its window is unmaximised, a restore that waited for
    // a minimise): off the reader's thread, so that the moves read after it
    // are followed at once. Null: on the reader's thread.
    void setWorkQueue(std::shared_ptr<DispatchQueue> queue);

    // Whether reads answer from the clients kept in memory (on by default;
    // off, every read asks the server, as for measuring the difference).
    void setKeepsClients(bool keeps);

    struct Client {
        xcb_window_t window = kNoWindow;
        std::optional<ProcessID> pid;
    };
    // The managed clients front to back (by the stacking list), with their
    // processes, in two batches at most.
    std::vector<Client> clientsFrontToBack() const;

private:
    X11Backend(std::string display, std::unique_ptr<X11Connection> connection);
    // Under dispatchMutex_: starts the event reader unless it runs; false
    // when it cannot start.
    bool startReader();
    void dispatch(const X11Event& event);
    // Drops what `event` makes stale, before any subscriber sees it.
    void updateCache(const X11Event& event);
    // Under dispatchMutex_, after updateCache.
    void followMembers(const X11Event& event);
    // Under dispatchMutex_: runs `work` on the work queue (see setWorkQueue).
    void later(std::function<void(X11Backend&)> work);
    class InTurn;

    std::string display_;
    std::unique_ptr<X11Connection> x_;
    X11WindowCache cache_;
    const std::shared_ptr<FrameRecord> record_ = std::make_shared<FrameRecord>();
    X11Windows windows_;
    X11ButtonState buttons_;

    std::recursive_mutex dispatchMutex_;
    std::uint64_t nextFirstSubscription_ = 1;
    std::map<std::uint64_t, X11EventReader::Handler> handlers_;
    std::uint64_t nextSubscription_ = 1;
    std::unique_ptr<X11EventReader> reader_;
    std::shared_ptr<MemberFollow> follow_;   // under dispatchMutex_
    std::shared_ptr<DispatchQueue> work_;    // under dispatchMutex_
    std::function<void()> connectionLost_;  // under dispatchMutex_
    bool lost_ = false;                      // under dispatchMutex_
    xcb_window_t markWindow_ = kNoWindow;  // see X11EventReader::start

    std::atomic<bool> reporting_{false};           // the reader runs and the connection holds
    std::atomic<std::uint64_t> screenReports_{0};  // reports that may change the monitors
    mutable std::mutex monitorsMutex_;
    mutable std::optional<std::vector<X11Monitor>> monitors_;  // under monitorsMutex_
    mutable std::uint64_t monitorsAt_ = 0;                     // under monitorsMutex_: screenReports_ then
    LifetimeToken lifetime_;  // last: handles stop reaching in first
};

}  // namespace tessaly
