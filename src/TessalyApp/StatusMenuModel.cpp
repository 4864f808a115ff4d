#include "TessalyApp/StatusMenuModel.h"

#include <utility>

#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

using Kind = StatusMenuEntry::Kind;

template <typename R>
R ask(const std::function<R()>& provider) {
    return provider ? provider() : R{};
}

void run(const std::function<void()>& action) {
    if (action) action();
}

StatusMenuEntry row(Kind kind, std::string title, bool enabled) {
    StatusMenuEntry entry;
    entry.kind = kind;
    entry.title = std::move(title);
    entry.enabled = enabled;
    return entry;
}

// A row answering Control and `key` while the menu is open.
StatusMenuEntry withControlKey(StatusMenuEntry entry, char key) {
    entry.shortcut = std::string("Ctrl+") + key;
    return entry;
}

StatusMenuEntry separator() { return row(Kind::separator, {}, false); }

}  // namespace

StatusMenuModel::StatusMenuModel(StatusMenuActions actions) : actions_(std::move(actions)) {}

std::string StatusMenuModel::statusLineTitle(bool trusted) const {
    if (ask(actions_.isStageManagerBlocked)) return L10n::statusStageManagerBlocked();
    if (!trusted) return L10n::statusNotTrusted();
    const bool running = ask(actions_.isSessionRunning);
    if (running && ask(actions_.isDragActive)) return L10n::statusRunning();
    if (!running) return L10n::statusStopped();
    return L10n::statusEventTapDead();
}

std::vector<StatusMenuEntry> StatusMenuModel::refresh() const {
    run(actions_.onWillOpen);
    return entries();
}

std::vector<StatusMenuEntry> StatusMenuModel::entries() const {
    const bool trusted = ask(actions_.isTrusted);
    std::vector<StatusMenuEntry> entries;
    if (const auto version = ask(actions_.updateAvailable)) {
        entries.push_back(row(Kind::updateNotice, L10n::menuUpdateAvailable(*version), true));
        entries.push_back(separator());
    }
    entries.push_back(row(Kind::statusLine, statusLineTitle(trusted), false));
    for (auto& line : ask(actions_.notices)) entries.push_back(row(Kind::notice, std::move(line), false));
    if (!trusted) entries.push_back(row(Kind::permission, L10n::menuGrantAccessibility(), true));
    entries.push_back(separator());
    appendGroupSection(entries);
    entries.push_back(separator());
    entries.push_back(withControlKey(row(Kind::settings, L10n::menuSettings(), true), ','));
    entries.push_back(row(Kind::dissolveAll, L10n::menuDissolveAll(), true));
    entries.push_back(separator());
    entries.push_back(row(Kind::about, L10n::menuAbout(), true));
    entries.push_back(withControlKey(row(Kind::quit, L10n::menuQuit(), true), 'Q'));
    return entries;
}

void StatusMenuModel::appendGroupSection(std::vector<StatusMenuEntry>& entries) const {
    entries.push_back(row(Kind::groupsHeader, L10n::menuGroupsHeader(), false));
    const auto groups = ask(actions_.groupsSnapshot);
    if (groups.empty()) {
        entries.push_back(row(Kind::noGroups, L10n::menuNoGroups(), false));
        return;
    }
    for (std::size_t i = 0; i < groups.size() && i < maxGroupRows; ++i) {
        StatusMenuEntry entry = row(Kind::groupRow, L10n::menuGroupRow(groups[i].title, groups[i].count), true);
        entry.toolTip = L10n::menuGroupRowTooltip();
        entry.groupID = groups[i].id;
        entries.push_back(std::move(entry));
    }
    if (groups.size() > maxGroupRows) {
        const auto more = static_cast<std::int64_t>(groups.size() - maxGroupRows);
        entries.push_back(row(Kind::moreGroups, L10n::menuMoreGroups(more), false));
    }
}

void StatusMenuModel::activate(const StatusMenuEntry& entry) const {
    switch (entry.kind) {
        case Kind::updateNotice: return run(actions_.startUpdate);
        case Kind::permission: return run(actions_.onRequestPermission);
        case Kind::groupRow:
            if (entry.groupID && actions_.onFocusGroup) actions_.onFocusGroup(*entry.groupID);
            return;
        case Kind::settings: return run(actions_.onOpenSettings);
        case Kind::dissolveAll: return run(actions_.onUngroupAll);
        case Kind::about: return run(actions_.onOpenAbout);
        case Kind::quit: return run(actions_.onQuit);
        case Kind::separator:
        case Kind::statusLine:
        case Kind::notice:
        case Kind::groupsHeader:
        case Kind::noGroups:
        case Kind::moreGroups: return;
    }
}

}  // namespace tessaly
