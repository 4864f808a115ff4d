#pragma once
// What releasing a bar drag does: merge the dragged group into another,
// commit its new frame, or nothing because the group is gone.
#include <optional>
#include <ostream>

#include "Platform/Uuid.h"

namespace tessaly {

struct BarDropOutcome {
    enum class Kind { merge, commitFrame, abandon };

    Kind kind = Kind::commitFrame;
    std::optional<Uuid> into;  // set for merge only

    static BarDropOutcome merge(const Uuid& target) { return {Kind::merge, target}; }
    static BarDropOutcome commitFrame() { return {Kind::commitFrame, std::nullopt}; }
    static BarDropOutcome abandon() { return {Kind::abandon, std::nullopt}; }

    friend bool operator==(const BarDropOutcome&, const BarDropOutcome&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const BarDropOutcome& outcome) {
    switch (outcome.kind) {
        case BarDropOutcome::Kind::merge:
            os << "merge(into: ";
            if (outcome.into) os << *outcome.into;
            return os << ")";
        case BarDropOutcome::Kind::commitFrame: return os << "commitFrame";
        case BarDropOutcome::Kind::abandon: return os << "abandon";
    }
    return os;
}

}  // namespace tessaly
