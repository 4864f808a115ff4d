#pragma once
// Whether the displays are settling: the machine (or its screens) went to
// sleep and has not been seen to wake, or a wake or display change happened
// less than the settle window ago. While they settle the window server moves
// windows on its own, and the session leaves group frames alone.
namespace tessaly {

struct DisplaySettleState {
    bool asleep = false;
    double settlingUntil = 0;  // monotonic seconds; the end of the current settle window

    bool isSettling(double now) const { return asleep || now < settlingUntil; }

    friend bool operator==(const DisplaySettleState&, const DisplaySettleState&) = default;
};

}  // namespace tessaly
