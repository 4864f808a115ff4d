#include "OverlayUI/GroupNamePrompt.h"

#include <utility>

namespace tessaly {

GroupNamePrompt::GroupNamePrompt(std::shared_ptr<MainExecutor> executor, DialogMaker makeDialog)
    : executor_(std::move(executor)), makeDialog_(std::move(makeDialog)) {}

void GroupNamePrompt::request(std::function<std::optional<std::string>()> currentName) {
    auto run = lifetime_.guarded([this, currentName = std::move(currentName)] { open(currentName); });
    if (executor_) executor_->post(std::move(run));
    else run();
}

void GroupNamePrompt::open(const std::function<std::optional<std::string>()>& currentName) {
    if (!dialog_ && makeDialog_) dialog_ = makeDialog_();
    if (!dialog_) return;
    dialog_->open(currentName ? currentName() : std::nullopt,
                  lifetime_.guarded([this](GroupNameEditOutcome outcome) { deliver(outcome); }));
}

void GroupNamePrompt::deliver(const GroupNameEditOutcome& outcome) {
    const auto alive = lifetime_.watch();
    switch (outcome.kind) {
        case GroupNameEditOutcome::Kind::cancelled: break;
        case GroupNameEditOutcome::Kind::cleared:
            if (onRename) onRename(std::nullopt);
            break;
        case GroupNameEditOutcome::Kind::named:
            if (onRename) onRename(outcome.name);
            break;
    }
    if (alive.expired()) return;
    if (onActivate) onActivate();
}

}  // namespace tessaly
