#include "OverlayUI/DropGap.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessaly {

DropGap::DropGap(std::shared_ptr<MainExecutor> executor) : executor_(std::move(executor)) {}

void DropGap::open(int index, double tabWidth, int tabCount) {
    const int i = std::clamp(index, 0, std::max(0, tabCount));
    if (dropGapIndex_ == i) return;
    const bool wasOpen = dropGapIndex_.has_value();
    dropGapIndex_ = i;
    // A closing still running is overtaken: its end must not take the spacer away.
    closingTimer_.cancel();
    const double width = std::isfinite(tabWidth) && tabWidth > 0 ? tabWidth : 0.0;
    // A new gap grows from nothing in its slot; a moved one jumps there at
    // full width while the tabs between glide across.
    const double from = wasOpen ? width_ : 0.0;
    spacerSlot_ = i;
    width_ = width;
    changed(from, animationDuration);
}

void DropGap::close() {
    if (!dropGapIndex_) return;
    dropGapIndex_.reset();
    if (!spacerSlot_) return;
    const double from = std::exchange(width_, 0.0);
    changed(from, animationDuration);
    auto finished = lifetime_.guarded([this] {
        if (dropGapIndex_ || !spacerSlot_) return;
        spacerSlot_.reset();
        changed(0, 0);
    });
    if (!executor_) {
        finished();
        return;
    }
    closingTimer_ = executor_->schedule(animationDuration, std::move(finished));
}

void DropGap::reset() {
    closingTimer_.cancel();
    dropGapIndex_.reset();
    spacerSlot_.reset();
    width_ = 0;
}

void DropGap::changed(double fromWidth, double duration) {
    if (onChange) onChange(Change{spacerSlot_, fromWidth, width_, duration});
}

}  // namespace tessaly
