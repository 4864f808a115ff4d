#pragma once
// Another group as the merge test of a bar drag sees it.
#include "Platform/Geometry.h"
#include "Platform/Uuid.h"

namespace tessaly {

struct MergeCandidate {
    Uuid id;
    Rect frame;
    bool isLocked = false;
    bool hasOnDesktopMember = false;  // some member is neither suspended nor minimised

    friend bool operator==(const MergeCandidate&, const MergeCandidate&) = default;
};

}  // namespace tessaly
