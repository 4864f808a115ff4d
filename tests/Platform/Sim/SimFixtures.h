#pragma once
// Shared pieces for tests on the simulated desktop.
#include "Platform/Geometry.h"
#include "Platform/Sim/SimDesktop.h"
#include "Platform/Types.h"

#include <string>
#include <utility>

namespace tessaly::testing {

// An ordinary standard window of `pid` (every other field at its default),
// ready to pass to SimDesktop::addWindow or to adjust first.
inline SimWindowSpec simWindow(WindowID id, ProcessID pid, Rect frame, std::string title = {}) {
    SimWindowSpec spec;
    spec.id = id;
    spec.pid = pid;
    spec.frame = frame;
    spec.title = std::move(title);
    return spec;
}

}  // namespace tessaly::testing
