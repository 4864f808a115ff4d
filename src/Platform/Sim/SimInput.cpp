#include "Platform/Sim/SimInput.h"

#include <algorithm>

namespace tessaly {

// One tap handed out by the simulated input. Shared between the tap object
// and the input's list, so either may go first.
struct SimInput::TapState {
    std::mutex mutex;
    bool started = false;
    bool enabled = false;
    bool invalidated = false;
    int enableCalls = 0;
    std::shared_ptr<DispatchQueue> thread;
    MouseTap::Handler handler;
};

namespace {

class SimMouseTap final : public MouseTap {
public:
    explicit SimMouseTap(std::shared_ptr<SimInput::TapState> state) : state_(std::move(state)) {}
    ~SimMouseTap() override { invalidate(); }

    void start(std::shared_ptr<DispatchQueue> thread, Handler handler) override {
        std::lock_guard lock(state_->mutex);
        if (state_->invalidated || state_->started) return;
        state_->started = true;
        state_->enabled = true;
        state_->thread = std::move(thread);
        state_->handler = std::move(handler);
    }

    void enable() override {
        std::lock_guard lock(state_->mutex);
        ++state_->enableCalls;
        if (!state_->invalidated && state_->started) state_->enabled = true;
    }

    void invalidate() override {
        std::lock_guard lock(state_->mutex);
        state_->invalidated = true;
        state_->enabled = false;
        state_->thread.reset();
        state_->handler = nullptr;
    }

private:
    std::shared_ptr<SimInput::TapState> state_;
};

bool isDisableNotice(MouseTapEventType type) {
    return type == MouseTapEventType::tapDisabledByTimeout || type == MouseTapEventType::tapDisabledByUserInput;
}

}  // namespace

SimInput::SimInput(MainExecutor& main) : main_(main) {}

SimInput::~SimInput() = default;

// --- InputMonitor

std::unique_ptr<MouseTap> SimInput::makeMouseTap() {
    if (refusesTaps_) return nullptr;
    auto state = std::make_shared<TapState>();
    std::lock_guard lock(stateMutex_);
    std::erase_if(taps_, [](const std::weak_ptr<TapState>& t) { return t.expired(); });
    taps_.push_back(state);
    return std::make_unique<SimMouseTap>(std::move(state));
}

bool SimInput::isLeftButtonDown() const {
    std::lock_guard lock(stateMutex_);
    return leftDown_;
}

EventFlags SimInput::modifierFlags() const {
    std::lock_guard lock(stateMutex_);
    return flags_;
}

Point SimInput::pointerLocation() const {
    std::lock_guard lock(stateMutex_);
    return pointer_;
}

// --- Pointer scripting

void SimInput::setModifierFlags(EventFlags flags) {
    std::lock_guard lock(stateMutex_);
    flags_ = flags;
}

void SimInput::setButtonAndPointer(bool down, Point at) {
    std::lock_guard lock(stateMutex_);
    leftDown_ = down;
    pointer_ = at;
}

void SimInput::movePointer(Point to) {
    std::lock_guard lock(stateMutex_);
    pointer_ = to;
}

void SimInput::leftMouseDown(Point at) {
    setButtonAndPointer(true, at);
    deliver({MouseTapEventType::leftMouseDown, at, modifierFlags()});
}

void SimInput::leftMouseDragged(Point to) {
    setButtonAndPointer(true, to);
    deliver({MouseTapEventType::leftMouseDragged, to, modifierFlags()});
}

void SimInput::leftMouseUp(Point at) {
    setButtonAndPointer(false, at);
    deliver({MouseTapEventType::leftMouseUp, at, modifierFlags()});
}

void SimInput::releaseLeftButtonUnseen() {
    std::lock_guard lock(stateMutex_);
    leftDown_ = false;
}

void SimInput::deliverRaw(const MouseTapEvent& event) { deliver(event); }

void SimInput::disableTaps(MouseTapEventType reason) {
    const MouseTapEvent notice{reason, pointerLocation(), 0};
    for (const auto& tap : liveTaps()) {
        std::lock_guard lock(tap->mutex);
        if (!tap->started || tap->invalidated) continue;
        tap->enabled = false;
        tap->thread->async([handler = tap->handler, notice] { handler(notice); });
    }
}

std::vector<std::shared_ptr<SimInput::TapState>> SimInput::liveTaps() const {
    std::vector<std::shared_ptr<TapState>> live;
    std::lock_guard lock(stateMutex_);
    for (const auto& weak : taps_) {
        if (auto tap = weak.lock()) live.push_back(std::move(tap));
    }
    return live;
}

void SimInput::deliver(const MouseTapEvent& event) {
    if (pointerObserver_ && !isDisableNotice(event.type)) pointerObserver_(event);
    for (const auto& tap : liveTaps()) {
        std::lock_guard lock(tap->mutex);
        if (!tap->started || tap->invalidated) continue;
        // A switched-off tap misses events, except the notice that says so.
        if (!tap->enabled && !isDisableNotice(event.type)) continue;
        tap->thread->async([handler = tap->handler, event] { handler(event); });
    }
}

void SimInput::schedulePointerPath(const std::vector<PointerStep>& steps) {
    for (const PointerStep& step : steps) {
        main_.postAfter(step.at, lifetime_.guarded([this, step] {
            switch (step.kind) {
                case PointerStep::Kind::down: leftMouseDown(step.point); break;
                case PointerStep::Kind::drag: leftMouseDragged(step.point); break;
                case PointerStep::Kind::up: leftMouseUp(step.point); break;
                case PointerStep::Kind::modifiers: setModifierFlags(step.flags); break;
            }
        }));
    }
}

std::vector<PointerStep> SimInput::straightDrag(Point from, Point to, int steps, double interval, bool release) {
    std::vector<PointerStep> path;
    path.push_back({0, PointerStep::Kind::down, from, 0});
    const int n = std::max(steps, 1);
    for (int i = 1; i <= n; ++i) {
        const double f = static_cast<double>(i) / n;
        const Point p{from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
        path.push_back({interval * i, PointerStep::Kind::drag, p, 0});
    }
    if (release) path.push_back({interval * (n + 1), PointerStep::Kind::up, to, 0});
    return path;
}

int SimInput::sumOverTaps(int (*measure)(const TapState&)) const {
    int sum = 0;
    for (const auto& tap : liveTaps()) {
        std::lock_guard lock(tap->mutex);
        sum += measure(*tap);
    }
    return sum;
}

int SimInput::runningTapCount() const {
    return sumOverTaps([](const TapState& tap) { return tap.started && !tap.invalidated ? 1 : 0; });
}

int SimInput::enabledTapCount() const {
    return sumOverTaps([](const TapState& tap) { return tap.enabled ? 1 : 0; });
}

int SimInput::tapEnableCalls() const {
    return sumOverTaps([](const TapState& tap) { return tap.enableCalls; });
}

// --- Hot keys

std::optional<HotkeyService::HandlerRef> SimInput::installHandler(PressHandler handler) {
    if (handlerInstallFails_ || !handler) return std::nullopt;
    const HandlerRef ref = nextRef_++;
    handlers_.emplace_back(ref, std::move(handler));
    return ref;
}

void SimInput::removeHandler(HandlerRef handler) {
    std::erase_if(handlers_, [handler](const auto& entry) { return entry.first == handler; });
}

std::optional<HotkeyService::HotKeyRef> SimInput::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                                 HotKeyID id) {
    if (takenElsewhere_.contains({keyCode, modifiers})) return std::nullopt;
    for (const auto& [ref, reg] : hotKeys_) {
        if (reg.keyCode == keyCode && reg.modifiers == modifiers) return std::nullopt;
    }
    const HotKeyRef ref = nextRef_++;
    hotKeys_.emplace(ref, Registration{keyCode, modifiers, id});
    return ref;
}

void SimInput::unregisterHotKey(HotKeyRef hotKey) { hotKeys_.erase(hotKey); }

void SimInput::takeByOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers) {
    takenElsewhere_.insert({keyCode, modifiers});
}

bool SimInput::pressKey(std::uint32_t keyCode, std::uint32_t modifiers) {
    const auto it = std::find_if(hotKeys_.begin(), hotKeys_.end(), [&](const auto& entry) {
        return entry.second.keyCode == keyCode && entry.second.modifiers == modifiers;
    });
    if (it == hotKeys_.end()) return false;
    main_.post(lifetime_.guarded([this, id = it->second.id] {
        // Most recent handler first; a handler may remove handlers while it
        // runs, so walk a copy.
        const auto handlers = handlers_;
        for (auto h = handlers.rbegin(); h != handlers.rend(); ++h) {
            if (h->second(id)) return;
        }
        ++unhandledPresses_;
    }));
    return true;
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> SimInput::registeredCombinations() const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> combos;
    for (const auto& [ref, reg] : hotKeys_) combos.emplace_back(reg.keyCode, reg.modifiers);
    return combos;
}

// --- Keyboard layout

std::optional<std::string> SimKeyboardLayout::displayText(std::uint16_t keyCode) const {
    const auto it = texts_.find(keyCode);
    if (it == texts_.end()) return std::nullopt;
    return it->second;
}

std::shared_ptr<SimKeyboardLayout> SimKeyboardLayout::usLayout() {
    static const std::map<std::uint16_t, std::string> table{
        {0, "a"},  {1, "s"},  {2, "d"},  {3, "f"},  {4, "h"},  {5, "g"},  {6, "z"},   {7, "x"},  {8, "c"},
        {9, "v"},  {11, "b"}, {12, "q"}, {13, "w"}, {14, "e"}, {15, "r"}, {16, "y"},  {17, "t"}, {18, "1"},
        {19, "2"}, {20, "3"}, {21, "4"}, {22, "6"}, {23, "5"}, {24, "="}, {25, "9"},  {26, "7"}, {27, "-"},
        {28, "8"}, {29, "0"}, {30, "]"}, {31, "o"}, {32, "u"}, {33, "["}, {34, "i"},  {35, "p"}, {37, "l"},
        {38, "j"}, {39, "'"}, {40, "k"}, {41, ";"}, {42, "\\"}, {43, ","}, {44, "/"}, {45, "n"}, {46, "m"},
        {47, "."}, {50, "`"}, {36, "\r"}, {48, "\t"}, {49, " "},
    };
    return std::make_shared<SimKeyboardLayout>(table);
}

}  // namespace tessaly
