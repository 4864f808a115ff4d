#pragma once
// The event reader's bookkeeping behind X11ButtonState: the physical
// buttons each source device holds, read through the core pointer mapping
// (logical 1 is the left button). Raw events carry physical buttons; the
// server's own state (QueryPointer) is logical. Reader thread only.
#include "Platform/X11/X11ButtonState.h"

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace tessaly {

class X11ButtonTracker {
public:
    explicit X11ButtonTracker(X11ButtonState& state) : state_(state) {}

    // The core pointer mapping changed: until the new one is set, which
    // button is the left one is not known.
    void mappingChanged();
    // The core pointer mapping (GetPointerMapping: entry i is the logical
    // button of physical button i + 1), the one read after each change in
    // turn. False when a button is held: the state is unknown then, and
    // wants a seed.
    bool setMapping(std::vector<std::uint8_t> mapping);
    // The server's word (QueryPointer): every device starts from nothing
    // held, the left button as the server has it.
    void seed(bool leftDown);
    void pressed(std::uint16_t device, std::uint32_t button);
    // False when the release ends a hold only the seed knew of: unknown
    // until the next seed.
    bool released(std::uint16_t device, std::uint32_t button);
    // Devices came, went or changed hands: false when a button is held (a
    // release may never come), the state unknown until a seed.
    bool hierarchyChanged();
    // Nothing is seen any more.
    void lost();

private:
    bool isLeft(std::uint32_t button) const;
    bool anyHeld() const { return seededDown_ || !held_.empty(); }
    void publish();

    X11ButtonState& state_;
    std::vector<std::uint8_t> mapping_;
    std::map<std::uint16_t, std::set<std::uint32_t>> held_;  // physical buttons by source device
    bool seededDown_ = false;  // the server said held, by a device not known
    bool known_ = false;
    int mappingsToCome_ = 0;  // changes whose mapping is not set yet
};

}  // namespace tessaly
