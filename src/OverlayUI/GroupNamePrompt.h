#pragma once
// The group-name prompt of a tab bar, opened by the bar's context menu and
// by every tab's "Name Group…"/"Rename Group…" item: the dialog opens once
// the menu's or mouse event's own handling is over, starts with the group's
// current name, and its answer renames the group (or clears or keeps the
// name); whatever the answer, the group is activated afterwards, since the
// dialog took the focus from its window.
//
// The bar view owns one. Calls:
//
//   a name item chosen     -> request(a function reading the caption's name)
//   onRename(name)         -> the bar's onRename (absent: clear the name)
//   onActivate()           -> the bar's onActivate
//
// Requests while the dialog is open bring it forward and keep its first
// answer. Once the prompt is gone, a queued request and an answer do
// nothing. Main thread only.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "OverlayUI/GroupNameDialog.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"

namespace tessaly {

class GroupNamePrompt {
public:
    using DialogMaker = std::function<std::unique_ptr<GroupNameDialog>()>;

    // The executor defers the dialog past the current event; without one it
    // opens at once. The dialog is made on first use and kept.
    GroupNamePrompt(std::shared_ptr<MainExecutor> executor, DialogMaker makeDialog);
    GroupNamePrompt(const GroupNamePrompt&) = delete;
    GroupNamePrompt& operator=(const GroupNamePrompt&) = delete;

    std::function<void(const std::optional<std::string>&)> onRename;
    std::function<void()> onActivate;

    void request(std::function<std::optional<std::string>()> currentName);
    bool isOpen() const { return dialog_ && dialog_->isOpen(); }

    // The answer's effect: a cancelled dialog renames nothing, a cleared one
    // removes the name, a named one sets it; then the group is activated.
    void deliver(const GroupNameEditOutcome& outcome);

private:
    void open(const std::function<std::optional<std::string>()>& currentName);

    std::shared_ptr<MainExecutor> executor_;
    DialogMaker makeDialog_;
    std::unique_ptr<GroupNameDialog> dialog_;
    LifetimeToken lifetime_;  // last: a dropped dialog's answer finds the prompt gone
};

}  // namespace tessaly
