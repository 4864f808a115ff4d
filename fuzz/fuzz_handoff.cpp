// Feeds arbitrary bytes to the update-handoff reader and plans whatever it
// accepts onto a desktop where every saved window is alive. The reader must
// never throw or crash, an accepted handoff must write out and read back
// equal, every frame it carries must lie in a screen's range (the overlay
// turns frames into the window system's integers), and every plan must keep
// the planner's invariants.
#include <cstddef>
#include <cstdint>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string_view>

#include <nlohmann/json.hpp>

#include "Platform/JsonReading.h"
#include "Platform/Log.h"
#include "TessalyCore/HandoffRestorePlanner.h"
#include "TessalyCore/UpdateHandoff.h"

using namespace tessaly;

namespace {

// What the overlay does to a frame before it goes to the window system:
// whole pixels of int, at up to four pixels a point.
void placeOnScreen(const Rect& frame) {
    if (!frame.isSane()) std::abort();
    for (const double v : {frame.minX(), frame.minY(), frame.maxX(), frame.maxY(), frame.width(), frame.height()}) {
        if (!(std::fabs(v * 4) < INT_MAX)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Log::setSink([](LogLevel, LogCategory, std::string_view) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto document = json_reading::parseBounded(bytes);
    if (!document) return 0;
    const auto handoff = UpdateHandoff::fromJSON(*document);
    if (!handoff) return 0;

    const std::string written = handoff->toJSON().dump();
    const auto reread = json_reading::parseBounded(written);
    if (!reread) std::abort();
    const auto again = UpdateHandoff::fromJSON(*reread);
    if (!again || !(*again == *handoff)) std::abort();

    for (const auto& group : handoff->groups) placeOnScreen(group.frame);

    std::map<WindowID, ProcessID> alive;
    std::set<WindowID> enumerable;
    std::set<WindowID> minimized;
    for (const auto& group : handoff->groups) {
        for (const auto& member : group.members) {
            alive.emplace(member.windowID, member.pid);
            enumerable.insert(member.windowID);
            if (member.windowID % 3 == 0) minimized.insert(member.windowID);
        }
    }
    std::set<WindowID> planned;
    for (const auto& plan : HandoffRestorePlanner::plan(*handoff, alive, enumerable, minimized)) {
        if (plan.members.size() < 2) std::abort();
        bool activeIsMember = false;
        for (const auto& member : plan.members) {
            if (!planned.insert(member.windowID).second) std::abort();  // a window in two plans
            activeIsMember = activeIsMember || member.windowID == plan.activeWindowID;
        }
        if (!activeIsMember) std::abort();
        placeOnScreen(plan.frame);
    }
    return 0;
}
