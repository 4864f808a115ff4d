#pragma once
// One display a group can be moved to: a row of the move-to-display menus.
#include <string>

namespace tessaly {

struct DisplayMoveTarget {
    int index = 0;           // position in the screen list; sent back with the move intent
    std::string name;        // the row's title (foreign text: shown as plain text)
    bool isCurrent = false;  // the group is on this display now: checked and disabled

    friend bool operator==(const DisplayMoveTarget&, const DisplayMoveTarget&) = default;
};

}  // namespace tessaly
