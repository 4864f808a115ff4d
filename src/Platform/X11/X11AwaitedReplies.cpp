#include "Platform/X11/X11AwaitedReplies.h"

#include <algorithm>
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
    awaited_.push_back({std::move(sequences), std::move(use), nullptr, false, false});
    // Nothing to wait for: it runs as soon as those before it have.
    runReady();
}

void X11AwaitedReplies::awaitInPlace(unsigned int sequence, Use use) {
    xcb_flush(c_);
    awaited_.push_back({{sequence}, std::move(use), nullptr, false, true});
}

void X11AwaitedReplies::awaitNext(std::vector<unsigned int> sequences, Use use) {
    xcb_flush(c_);
    awaited_.push_front({std::move(sequences), std::move(use), nullptr, false, false});
}

void X11AwaitedReplies::before(const xcb_generic_event_t& event) {
    // The replies came before the event: xcb has read them already.
    const auto due = [&](const Awaited& a) { return handledBy(event.full_sequence, a.sequences.back()); };
    while (true) {
        if (!awaited_.empty() && due(awaited_.front())) {
            complete(awaited_.begin());
            continue;
        }
        const auto inPlace = std::find_if(awaited_.begin(), awaited_.end(),
                                          [&](const Awaited& a) { return a.inPlace && due(a); });
        if (inPlace == awaited_.end()) return;
        complete(inPlace);
    }
}

XEvent X11AwaitedReplies::arrived() {
    while (true) {
        pollReplies();
        // The polls may have read events that came before the replies: they
        // are handled first (before() then runs each reply's use in its place).
        if (XEvent event{xcb_poll_for_queued_event(c_)}) return event;
        const auto next = nextReady();
        if (next == awaited_.end()) return nullptr;
        // A use sends requests, and sending reads what came meanwhile: the
        // replies are polled again after each.
        complete(next);
    }
}

bool X11AwaitedReplies::ready() {
    pollReplies();
    return nextReady() != awaited_.end();
}

void X11AwaitedReplies::pollReplies() {
    // Polled in the order the replies come: a poll may read the socket, and
    // once one has not come, no later one has been read either.
    while (true) {
        auto next = awaited_.end();
        for (auto it = awaited_.begin(); it != awaited_.end(); ++it) {
            if (it->polled || it->sequences.empty()) continue;
            if (next == awaited_.end() || !handledBy(it->sequences.back(), next->sequences.back())) next = it;
        }
        if (next == awaited_.end()) return;
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (!xcb_poll_for_reply(c_, next->sequences.back(), &reply, &error)) return;
        std::free(error);
        next->last.reset(reply);
        next->polled = true;
    }
}

std::deque<X11AwaitedReplies::Awaited>::iterator X11AwaitedReplies::nextReady() {
    if (!awaited_.empty() && awaited_.front().polled) return awaited_.begin();
    return std::find_if(awaited_.begin(), awaited_.end(), [](const Awaited& a) { return a.inPlace && a.polled; });
}

void X11AwaitedReplies::complete(std::deque<Awaited>::iterator at) {
    Awaited done = std::move(*at);
    awaited_.erase(at);
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
    runReady();
}

void X11AwaitedReplies::runReady() {
    // What follows without requests of its own runs now.
    while (!awaited_.empty() && awaited_.front().sequences.empty()) complete(awaited_.begin());
}

}  // namespace tessaly
