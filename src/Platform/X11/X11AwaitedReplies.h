#pragma once
// Replies the event reader asked for and reads once they are there, never
// waiting for one: the requests go out at once, and what needs their
// replies runs when the last has come, in its place among the events (before
// the first event the server sent after it), so the events read meanwhile
// are handled without waiting for the server. Reader thread only.
#include "Platform/X11/X11Connection.h"

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace tessaly {

class X11AwaitedReplies {
public:
    struct Free {
        void operator()(void* p) const { std::free(p); }
    };
    using Reply = std::unique_ptr<void, Free>;
    // One reply per request, in the order asked; empty where the request
    // failed (the window is gone).
    using Use = std::function<void(std::vector<Reply>& replies)>;

    explicit X11AwaitedReplies(xcb_connection_t* c) : c_(c) {}

    // `sequences` are requests just sent (this flushes them); `use` runs
    // once all have their reply, after what was awaited before. Without
    // requests it runs in its turn all the same.
    void await(std::vector<unsigned int> sequences, Use use);
    // One request whose reply stands for what the events keep (it replaces
    // state they change): `use` runs exactly between the events the server
    // sent before it handled the request and those after, even while other
    // work waits ahead of it.
    void awaitInPlace(unsigned int sequence, Use use);
    // From inside a use: the next step of the same work, which runs before
    // anything else awaited (so work that takes several steps keeps its
    // place in the order).
    void awaitNext(std::vector<unsigned int> sequences, Use use);
    // Before `event` is handled: runs what waited for replies sent before it.
    void before(const xcb_generic_event_t& event);
    // Runs what waits for replies read already, in order, up to the first
    // still on its way. Looking for a reply may read events the server sent
    // before it: the first such event is answered instead (nothing after it
    // has run), to be handed out (through before()) before this is called
    // again, so every use runs exactly between the events sent before its
    // last request was handled and those sent after.
    XEvent arrived();
    // Whether a use could run now: after a flush, which may have read
    // replies from the socket that nothing would wake the reader for.
    bool ready();
    bool empty() const { return awaited_.empty(); }

private:
    struct Awaited {
        std::vector<unsigned int> sequences;
        Use use;
        Reply last;           // its last reply, once polled
        bool polled = false;
        bool inPlace = false;  // see awaitInPlace
    };
    void pollReplies();
    std::deque<Awaited>::iterator nextReady();
    void complete(std::deque<Awaited>::iterator at);
    void runReady();

    xcb_connection_t* c_;
    std::deque<Awaited> awaited_;
};

}  // namespace tessaly
