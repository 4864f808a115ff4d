#include "Platform/X11/X11AwaitedReplies.h"

#include <cstdint>

namespace tessaly {

namespace {

// Whether the server had handled `request` when it sent an event numbered
// `event` (sequence numbers wrap).
bool handledBy(std::uint32_t event, unsigned int request) {
    return static_cast<std::int32_t>(event - static_cast<std::uint32_t>(request)) >= 0;
}

}  // namespace

void X11AwaitedReplies::await(std::vector<unsigned int> sequences, Use use) {
    xcb_flush(c_);
    awaited_.push_back({std::move(sequences), std::move(use), nullptr, false});
    // Nothing to wait for: it runs as soon as those before it have.
    while (!awaited_.empty() && awaited_.front().sequences.empty()) complete();
}

void X11AwaitedReplies::awaitNext(std::vector<unsigned int> sequences, Use use) {
    xcb_flush(c_);
    awaited_.push_front({std::move(sequences), std::move(use), nullptr, false});
}

void X11AwaitedReplies::before(const xcb_generic_event_t& event) {
    // The replies came before the event: xcb has read them already.
    while (!awaited_.empty() && handledBy(event.full_sequence, awaited_.front().sequences.back())) complete();
}

XEvent X11AwaitedReplies::arrived() {
    while (!awaited_.empty()) {
        Awaited& front = awaited_.front();
        if (!front.polled) {
            void* reply = nullptr;
            xcb_generic_error_t* error = nullptr;
            if (!xcb_poll_for_reply(c_, front.sequences.back(), &reply, &error)) return nullptr;
            std::free(error);
            front.last.reset(reply);
            front.polled = true;
        }
        // The poll may have read events that came before the reply: they
        // are handled first (before() then runs this in its place).
        if (XEvent event{xcb_poll_for_queued_event(c_)}) return event;
        complete();
    }
    return nullptr;
}

void X11AwaitedReplies::complete() {
    Awaited done = std::move(awaited_.front());
    awaited_.pop_front();
    std::vector<Reply> replies;
    replies.reserve(done.sequences.size());
    for (std::size_t i = 0; i < done.sequences.size(); ++i) {
        if (done.polled && i + 1 == done.sequences.size()) {
            replies.push_back(std::move(done.last));
            break;
        }
        xcb_generic_error_t* error = nullptr;
        replies.emplace_back(xcb_wait_for_reply(c_, done.sequences[i], &error));
        std::free(error);
    }
    done.use(replies);
    // What follows without requests of its own runs now.
    while (!awaited_.empty() && awaited_.front().sequences.empty()) complete();
}

}  // namespace tessaly
