#pragma once
// How long the real-desktop tests wait for something to happen. Waits end
// as soon as it does; this only bounds a wait that would otherwise hang, and
// is long enough for a loaded two-core machine running many desktops at once.
#include <chrono>

namespace tessaly::test {

inline constexpr std::chrono::milliseconds kX11Patience = std::chrono::seconds(20);

}  // namespace tessaly::test
