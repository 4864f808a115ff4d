#pragma once
#include <cstdint>

namespace tessaly {

// The window server's number of a window; names a group member everywhere.
using WindowID = std::uint32_t;
// A process id; names an application.
using ProcessID = std::int32_t;

}  // namespace tessaly
