#include "Platform/FrameRecord.h"

#include <algorithm>
#include <utility>

#include "Platform/FrameLanding.h"

namespace tessaly {

bool FrameRecord::isLanded(const Rect& read, const Rect& told, Size increments) {
    return FrameLanding::isLanded(read, told, tolerance, increments);
}

const FrameRecord::Told* FrameRecord::Record::lastWrite() const {
    const auto found = std::find_if(told.rbegin(), told.rend(), [](const Told& t) { return t.by == Path::write; });
    return found == told.rend() ? nullptr : &*found;
}

FrameRecord::Record& FrameRecord::tell(WindowID window, const Told& told) {
    Record& record = records_[window];
    std::erase_if(record.told, [&](const Told& t) { return told.at - t.at > lifetime; });
    record.told.push_back(told);
    return record;
}

const FrameRecord::Record* FrameRecord::find(WindowID window) const {
    const auto found = records_.find(window);
    return found == records_.end() ? nullptr : &found->second;
}

void FrameRecord::followed(WindowID window, const Rect& frame, WindowID source, double at) {
    std::lock_guard lock(mutex_);
    tell(window, {frame, at, Path::follow, source});
}

void FrameRecord::writing(WindowID window, const Rect& frame, double at) {
    std::lock_guard lock(mutex_);
    Record& record = tell(window, {frame, at, Path::write});
    for (Told& t : record.told) t.taken = true;
    ++record.inFlight;
    record.landed = false;
}

void FrameRecord::written(WindowID window) {
    std::lock_guard lock(mutex_);
    if (const auto found = records_.find(window); found != records_.end() && found->second.inFlight > 0) {
        --found->second.inFlight;
    }
}

void FrameRecord::prune(double at) {
    std::lock_guard lock(mutex_);
    std::erase_if(records_, [at](const auto& entry) {
        const Record& record = entry.second;
        return record.inFlight == 0 && (record.told.empty() || at - record.told.back().at > lifetime);
    });
}

bool FrameRecord::isInFlight(WindowID window) const {
    std::lock_guard lock(mutex_);
    const Record* record = find(window);
    return record && record->inFlight > 0;
}

bool FrameRecord::isPassing(WindowID window, const Rect& read, Size increments, double at) const {
    std::lock_guard lock(mutex_);
    const Record* record = find(window);
    if (!record) return false;
    return std::any_of(record->told.begin(), record->told.end(),
                       [&](const Told& t) { return at - t.at <= lifetime && isLanded(read, t.frame, increments); });
}

bool FrameRecord::isLanding(WindowID window, const Rect& read, const std::function<Size()>& increments, double at) {
    std::lock_guard lock(mutex_);
    const auto found = records_.find(window);
    if (found == records_.end() || found->second.landed) return false;
    Record& record = found->second;
    const Told* write = record.lastWrite();
    if (!write || at - write->at > lifetime || isLanded(read, write->frame, increments())) {
        record.landed = true;
        return false;
    }
    return true;
}

bool FrameRecord::isLastTold(WindowID window, const Rect& frame, double at) const {
    std::lock_guard lock(mutex_);
    const Record* record = find(window);
    return record && !record->told.empty() && record->told.back().frame == frame &&
           at - record->told.back().at <= lifetime;
}

bool FrameRecord::hasUntakenMove(WindowID window) const {
    std::lock_guard lock(mutex_);
    const Record* record = find(window);
    return record && std::any_of(record->told.begin(), record->told.end(),
                                 [](const Told& t) { return t.by == Path::follow && !t.taken; });
}

bool FrameRecord::take(WindowID window, const Rect& frame, WindowID source, double at) {
    std::lock_guard lock(mutex_);
    const auto found = records_.find(window);
    if (found == records_.end()) return false;
    auto& told = found->second.told;
    const auto match = std::find_if(told.begin(), told.end(), [&](const Told& t) {
        return t.by == Path::follow && !t.taken && t.source == source && t.frame == frame && at - t.at <= lifetime;
    });
    if (match == told.end()) return false;
    for (auto t = told.begin(); t != match + 1; ++t) t->taken = true;
    return true;
}

const FrameRecord::Held* FrameRecord::findHeld(WindowID window, double at) const {
    const auto found = held_.find(window);
    return found == held_.end() || at > found->second.until ? nullptr : &found->second;
}

void FrameRecord::hold(WindowID window, HeldWrite write, double at, double patience) {
    std::lock_guard lock(mutex_);
    if (const Held* before = findHeld(window, at); before && !before->write.madeWith && !write.madeWith) {
        if (!write.origin) write.origin = before->write.origin;
        if (!write.size) write.size = before->write.size;
    }
    std::erase_if(held_, [at](const auto& entry) { return at > entry.second.until; });
    held_[window] = {std::move(write), at + patience};
}

void FrameRecord::release(WindowID window) {
    std::lock_guard lock(mutex_);
    held_.erase(window);
}

bool FrameRecord::maximizeAfterHeld(WindowID window, MaximizedAxes axes, double at) {
    std::lock_guard lock(mutex_);
    const auto found = held_.find(window);
    if (found == held_.end() || at > found->second.until || found->second.write.madeWith) return false;
    found->second.write.maximizeAfter = axes;
    return true;
}

MaximizedAxes FrameRecord::made(WindowID window, const HeldWrite& write, Inset inset, double at, double patience) {
    std::lock_guard lock(mutex_);
    const auto found = held_.find(window);
    if (found == held_.end()) return {};
    auto& now = found->second.write;
    if (now.madeWith || now.origin != write.origin || now.size != write.size) return {};
    now.madeWith = inset;
    found->second.until = at + patience;
    return std::exchange(now.maximizeAfter, {});
}

std::optional<FrameRecord::HeldWrite> FrameRecord::held(WindowID window, double at) const {
    std::lock_guard lock(mutex_);
    const Held* held = findHeld(window, at);
    return held ? std::optional<HeldWrite>(held->write) : std::nullopt;
}

}  // namespace tessaly
