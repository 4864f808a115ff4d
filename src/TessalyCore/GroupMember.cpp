#include "TessalyCore/GroupMember.h"

namespace tessaly {

bool operator==(const GroupMember& a, const GroupMember& b) {
    return a.windowID == b.windowID && a.pid == b.pid && a.accent == b.accent &&
           canonicallyEqual(a.lastKnownTitle, b.lastKnownTitle) && canonicallyEqual(a.titleOverride, b.titleOverride);
}

std::ostream& operator<<(std::ostream& os, const GroupMember& member) {
    os << "GroupMember(" << member.windowID << ", pid " << member.pid << ", \"" << member.lastKnownTitle << "\"";
    if (member.titleOverride) os << ", override \"" << *member.titleOverride << "\"";
    if (member.accent) os << ", " << *member.accent;
    return os << ")";
}

}  // namespace tessaly
