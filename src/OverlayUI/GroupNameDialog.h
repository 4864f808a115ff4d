#pragma once
// The dialog that names or renames a group. Non-modal: it opens, and calls
// its completion once when the user answers (or the dialog is dropped
// unanswered: then with cancelled).
#include <functional>
#include <optional>
#include <string>

namespace tessaly {

struct GroupNameEditOutcome {
    enum class Kind { cancelled, cleared, named };

    Kind kind = Kind::cancelled;
    std::string name;  // the trimmed name for `named`; empty otherwise

    static GroupNameEditOutcome cancelled() { return {Kind::cancelled, {}}; }
    static GroupNameEditOutcome cleared() { return {Kind::cleared, {}}; }
    static GroupNameEditOutcome named(std::string value) { return {Kind::named, std::move(value)}; }

    // Not committed: cancelled. Otherwise the entry trimmed of white space
    // and newlines at both ends: empty (or nothing but control and format
    // characters, which no label shows) gives cleared, else named. No
    // length limit: labels cut long names when they show them.
    static GroupNameEditOutcome resolve(const std::string& entered, bool committed);

    friend bool operator==(const GroupNameEditOutcome&, const GroupNameEditOutcome&) = default;
};

class GroupNameDialog {
public:
    using Completion = std::function<void(GroupNameEditOutcome)>;

    virtual ~GroupNameDialog() = default;

    // "Rename Group" with the name's hint when a current name is given,
    // else "Name Group"; OK and Cancel. Opening again while open brings the
    // open dialog forward and keeps the first completion.
    virtual void open(const std::optional<std::string>& currentName, Completion completion) = 0;
    virtual bool isOpen() const = 0;
};

}  // namespace tessaly
