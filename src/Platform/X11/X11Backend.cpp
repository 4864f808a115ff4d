#include "Platform/X11/X11Backend.h"

#include "Platform/Clock.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace tessaly {

std::shared_ptr<X11Backend> X11Backend::open(const std::string& display) {
    std::string name = display;
    if (name.empty()) {
        const char* env = std::getenv("DISPLAY");
        name = env ? env : "";
    }
    auto connection = X11Connection::open(name);
    if (!connection) return nullptr;
    return std::shared_ptr<X11Backend>(new X11Backend(name, std::move(connection)));
}

X11Backend::X11Backend(std::string display, std::unique_ptr<X11Connection> connection)
    : display_(std::move(display)), x_(std::move(connection)), windows_(*x_, &cache_, record_.get()) {
    x_->setDiscardsEvents(true);
    // Members' moves leave on this connection the moment the active one's
    // frame lands; served first, they do not queue behind the requests our
    // own bars cause in Qt, nor behind clients repainting what the move
    // uncovered.
    x_->askToBeServedFirst();
    cache_.setStarter([this] {
        std::lock_guard lock(dispatchMutex_);
        startReader();
    });
}

X11Backend::~X11Backend() {
    std::unique_ptr<X11EventReader> reader;
    {
        std::lock_guard lock(dispatchMutex_);
        handlers_.clear();
        reader = std::move(reader_);
    }
    reader.reset();  // joins outside the lock: the thread may be waiting for it
}

bool X11Backend::startReader() {
    if (reader_) return true;
    if (markWindow_ == kNoWindow) {
        // A window of ours that nobody else looks at, never mapped.
        xcb_connection_t* c = x_->get();
        markWindow_ = xcb_generate_id(c);
        xcb_create_window(c, 0, markWindow_, x_->root(), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        x_->flush();
        cache_.setMarker([this] {
            xcb_change_property(x_->get(), XCB_PROP_MODE_APPEND, markWindow_, x_->atoms().TESSALY_MARK,
                                XCB_ATOM_CARDINAL, 32, 0, nullptr);
        });
    }
    reader_ = X11EventReader::start(display_, [this](const X11Event& event) { dispatch(event); }, markWindow_,
                                    &buttons_, x_.get());
    if (!reader_) return false;
    reporting_.store(true);
    // Events wait for dispatchMutex_, so none is missed in between.
    cache_.watching(reader_->clientsAtStart());
    return true;
}

bool X11Backend::startWatching() {
    {
        std::lock_guard lock(dispatchMutex_);
        if (!startReader()) return false;
    }
    // Every client read into memory once, and the monitors after them
    // (their struts are the clients'): the first look at the desktop
    // answers from there.
    windows_.read(windows_.clientList());
    monitors();
    return true;
}

std::vector<X11Monitor> X11Backend::monitors() const {
    // Kept only while the reader runs: asking starts it (before the lock,
    // as the start takes dispatchMutex_, under which handlers ask).
    if (X11WindowCache* cache = windows_.cache()) cache->activate();
    std::lock_guard lock(monitorsMutex_);
    const std::uint64_t before = screenReports_.load();
    if (monitors_ && monitorsAt_ == before && reporting_.load()) return *monitors_;
    auto now = X11Monitors(*x_, &windows_).monitors();
    // A report that came in meanwhile may have been read or not.
    if (reporting_.load() && screenReports_.load() == before) {
        monitors_ = now;
        monitorsAt_ = before;
    }
    return now;
}

Subscription X11Backend::subscribe(X11EventReader::Handler handler, Precedence precedence) {
    std::lock_guard lock(dispatchMutex_);
    if (!startReader()) return {};
    // Handlers run by id: those that go first take ids below every other's.
    constexpr std::uint64_t kNormalIds = std::uint64_t{1} << 32;
    const std::uint64_t id =
        precedence == Precedence::first ? nextFirstSubscription_++ : kNormalIds + nextSubscription_++;
    handlers_.emplace(id, std::move(handler));
    return Subscription([alive = lifetime_.watch(), this, id] {
        if (alive.expired()) return;
        std::lock_guard relock(dispatchMutex_);
        handlers_.erase(id);
    });
}

// One subscriber's handler placed event by event (see subscribeInTurn). The
// reader hands it each event under dispatchMutex_; the work queue is serial,
// so what waits there runs in order, and an event for the reader's thread
// goes there too while any waits.
class X11Backend::InTurn : public std::enable_shared_from_this<InTurn> {
public:
    InTurn(Placement place, X11EventReader::Handler handler)
        : place_(std::move(place)), handler_(std::make_shared<const X11EventReader::Handler>(std::move(handler))) {}

    // On the reader's thread, under dispatchMutex_ (which guards `work`).
    void hand(const X11Event& event, DispatchQueue* work) {
        const Turn turn = place_(event);
        if (turn == Turn::skip) return;
        if (!work || (turn == Turn::reader && waiting_.load() == 0)) {
            run(event);
            return;
        }
        waiting_.fetch_add(1);
        work->async([self = shared_from_this(), event] {
            self->run(event);
            self->waiting_.fetch_sub(1);  // after the handler is done: the reader's thread may run the next
        });
    }

    // Waits for a handler running elsewhere; from inside the handler it
    // returns at once (the mutex is recursive).
    void end() {
        std::lock_guard lock(running_);
        handler_.reset();
    }

private:
    void run(const X11Event& event) {
        std::lock_guard lock(running_);
        const auto handler = handler_;  // a copy: ending inside must not destroy it mid-call
        if (handler) (*handler)(event);
    }

    const Placement place_;
    std::recursive_mutex running_;  // held while the handler runs
    std::shared_ptr<const X11EventReader::Handler> handler_;  // under running_; null once ended
    std::atomic<unsigned> waiting_{0};  // events handed to the work queue and not handled yet
};

Subscription X11Backend::subscribeInTurn(Placement place, X11EventReader::Handler handler) {
    const auto turn = std::make_shared<InTurn>(std::move(place), std::move(handler));
    Subscription subscription = subscribe([this, turn](const X11Event& event) { turn->hand(event, work_.get()); });
    if (!subscription) return {};
    // Unsubscribed first (no event is handed over after that), then ended
    // outside dispatchMutex_: a handler on the work queue may need it.
    return Subscription([subscription = std::make_shared<Subscription>(std::move(subscription)), turn] {
        subscription->cancel();
        turn->end();
    });
}

void X11Backend::updateCache(const X11Event& event) {
    using Kind = X11Event::Kind;
    switch (event.kind) {
    case Kind::screenChanged:
    case Kind::clientListChanged:  // a dock's struts come and go with it
    case Kind::windowManagerChanged: screenReports_.fetch_add(1); break;
    case Kind::connectionLost:
        reporting_.store(false);
        screenReports_.fetch_add(1);
        break;
    default: break;
    }
    // The window manager rewrites its stacking list after it restacks, maps
    // or unmaps: a list read before such a report is not answered after it.
    switch (event.kind) {
    case Kind::clientListChanged:
    case Kind::mapped:
    case Kind::unmapped:
    case Kind::destroyed:
    case Kind::frameMapChanged:
    case Kind::rootChildMapChanged:
    case Kind::currentDesktopChanged:
    case Kind::stackingListChanged: cache_.stackingListChanged(); break;
    default:
        if (event.restacked) cache_.stackingListChanged();
        break;
    }
    switch (event.kind) {
    case Kind::clientListChanged: cache_.clientsChanged(event.clients); break;
    case Kind::destroyed:
        cache_.destroyed(event.window);
        record_->release(event.window);
        break;
    case Kind::frameChanged:
        if (event.property == x_->atoms().NET_FRAME_EXTENTS || event.property == x_->atoms().GTK_FRAME_EXTENTS) {
            cache_.extentsChanged(event.window);
            if (windows_.holdsWrite(event.window)) {
                later([window = event.window, seen = SystemClock::shared().monotonic()](X11Backend& self) {
                    self.windows_.replayPendingWrite(window, true, seen);
                });
            }
        } else if (!event.rootChild) {
            cache_.configured(event.window, event.size, event.synthetic, event.geometry, event.border);
        } else if (event.hasGeometry) {
            cache_.frameConfigured(event.window, event.frameWindow, event.geometry, event.border);
        }
        break;
    case Kind::reparented: cache_.extentsChanged(event.window); break;
    case Kind::stateChanged:
        cache_.stateChanged(event.window);
        if (windows_.holdsWrite(event.window)) {
            later([window = event.window, seen = SystemClock::shared().monotonic()](X11Backend& self) {
                self.windows_.replayPendingWrite(window, false, seen);
            });
        }
        break;
    case Kind::unmapped:
    case Kind::wmStateChanged:
        cache_.clientChanged(event.window);
        // A restore that waited for a minimise of ours to be carried out.
        if (cache_.restoreWaiting(event.window)) {
            later([window = event.window](X11Backend& self) { self.windows_.restoreIfWaiting(window); });
        }
        break;
    case Kind::propertyChanged:
        if (event.property == XCB_ATOM_WM_NORMAL_HINTS) cache_.normalHintsChanged(event.window);
        else cache_.clientChanged(event.window);
        break;
    case Kind::mapped:
    case Kind::frameMapChanged:
    case Kind::titleChanged:
    case Kind::desktopChanged: cache_.clientChanged(event.window); break;
    case Kind::currentDesktopChanged: cache_.allClientsChanged(); break;
    case Kind::windowManagerChanged: cache_.windowManagerChanged(); break;
    case Kind::connectionLost: cache_.deactivate(); break;
    case Kind::activeWindowChanged: cache_.activeWindowChanged(event.window); break;
    case Kind::marked: cache_.marked(); break;
    default: break;
    }
}

bool X11Backend::setConnectionLostHandler(std::function<void()> handler) {
    std::lock_guard lock(dispatchMutex_);
    connectionLost_ = std::move(handler);
    return startReader();
}

void X11Backend::dispatch(const X11Event& event) {
    std::lock_guard lock(dispatchMutex_);
    if (event.kind == X11Event::Kind::connectionLost) {
        if (lost_) return;
        lost_ = true;
        updateCache(event);  // nothing is answered from memory any more
        if (connectionLost_) connectionLost_();
    } else {
        updateCache(event);
        followMembers(event);
    }
    // A handler may unsubscribe (itself or another) while we go.
    std::vector<std::uint64_t> ids;
    for (const auto& [id, handler] : handlers_) ids.push_back(id);
    for (const auto id : ids) {
        const auto it = handlers_.find(id);
        if (it == handlers_.end()) continue;
        const auto handler = it->second;  // a copy: unsubscribing inside must not destroy it mid-call
        handler(event);
    }
}

void X11Backend::setMemberFollow(std::shared_ptr<MemberFollow> follow) {
    std::lock_guard lock(dispatchMutex_);
    follow_ = std::move(follow);
}

void X11Backend::followMembers(const X11Event& event) {
    if (!follow_ || event.kind != X11Event::Kind::frameChanged || event.property != XCB_NONE) return;
    if (event.rootChild && !event.hasGeometry) return;  // restacked only
    // Only a client kept in memory: its frame is the one a read would give.
    const std::optional<X11WindowInfo> client = cache_.client(event.window);
    if (!client) return;
    FollowRequest request;
    request.source = event.window;
    request.frame = client->frame;
    request.buttonUp = buttons_.left() == ButtonState::up;
    request.fullScreen = client->state.fullscreen;
    request.maximized = client->maximized().any();
    request.minimized = client->isMinimized();
    request.shaded = client->state.shaded;
    if (follow_->follow(request) > 0) x_->flush();
}

void X11Backend::setWorkQueue(std::shared_ptr<DispatchQueue> queue) {
    std::lock_guard lock(dispatchMutex_);
    work_ = std::move(queue);
}

void X11Backend::later(std::function<void(X11Backend&)> work) {
    if (!work_) {
        work(*this);
        return;
    }
    work_->async([weak = weak_from_this(), work = std::move(work)] {
        if (const auto self = weak.lock()) work(*self);
    });
}

void X11Backend::setKeepsClients(bool keeps) { cache_.setKeepsClients(keeps); }

std::vector<X11Backend::Client> X11Backend::clientsFrontToBack() const {
    auto list = windows_.clientList();
    auto stacking = windows_.stackingList();
    std::vector<xcb_window_t> ordered(stacking.rbegin(), stacking.rend());
    for (const auto w : list) {
        if (std::find(ordered.begin(), ordered.end(), w) == ordered.end()) ordered.push_back(w);
    }
    // Only what is still a client.
    std::erase_if(ordered, [&](xcb_window_t w) { return std::find(list.begin(), list.end(), w) == list.end(); });
    const auto pids = windows_.pids(ordered);
    std::vector<Client> clients;
    clients.reserve(ordered.size());
    for (std::size_t i = 0; i < ordered.size(); ++i) clients.push_back({ordered[i], pids[i]});
    return clients;
}

}  // namespace tessaly
