#pragma once
// Real-desktop rows that fail today on a window manager for a fault of the
// program's that is not mended yet: skipped there with what goes wrong, so
// the behaviour table lists them, and every other row keeps running on that
// window manager. An entry leaves this list with its fix.
#include "Platform/X11/X11Desktop.h"

#include <optional>
#include <string>

namespace tessaly::test {

// What goes wrong in the running test on `manager`, when it is listed.
std::optional<std::string> openFault(X11WindowManager manager);

}  // namespace tessaly::test
