#pragma once
// The simulated desktop's mouse, keyboard and hot keys. Tests script the
// pointer (presses, drag paths, modifiers), let the system switch a tap off,
// mark hot keys as taken by another application, refuse a hot-key handler,
// and press keys. Nothing happens behind a test's back: tap events are queued
// on the tap's thread queue, scripted paths run on the main executor's timers
// (so on the virtual clock), and hot-key presses are posted to the main queue.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Platform/HotkeyService.h"
#include "Platform/InputMonitor.h"
#include "Platform/KeyboardLayout.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"

namespace tessaly {

// One step of a scripted pointer path.
struct PointerStep {
    enum class Kind { down, drag, up, modifiers };
    double at = 0;  // seconds after the path is scheduled
    Kind kind = Kind::drag;
    Point point;    // unused by `modifiers`
    EventFlags flags = 0;  // used by `modifiers` only: the new session flags
};

class SimInput final : public InputMonitor, public HotkeyService {
public:
    explicit SimInput(MainExecutor& main);
    ~SimInput() override;
    SimInput(const SimInput&) = delete;
    SimInput& operator=(const SimInput&) = delete;

    // --- InputMonitor
    std::unique_ptr<MouseTap> makeMouseTap() override;
    bool isLeftButtonDown() const override;
    EventFlags modifierFlags() const override;
    Point pointerLocation() const override;

    // --- HotkeyService
    std::optional<HandlerRef> installHandler(PressHandler handler) override;
    void removeHandler(HandlerRef handler) override;
    std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyID id) override;
    void unregisterHotKey(HotKeyRef hotKey) override;

    // --- Scripting the pointer. Each call changes the live state at once and
    // hands the event to every running tap (with the session's modifiers).
    void setRefusesTaps(bool refuses) { refusesTaps_ = refuses; }
    void setModifierFlags(EventFlags flags);
    void movePointer(Point to);  // no button held: nothing is tapped
    void leftMouseDown(Point at);
    void leftMouseDragged(Point to);
    void leftMouseUp(Point at);
    // Lets the button go without any tap seeing it (a missed release).
    void releaseLeftButtonUnseen();
    // Hands an arbitrary event to the running taps, as a stray delivery.
    void deliverRaw(const MouseTapEvent& event);
    // The system switches every running tap off and says so.
    void disableTaps(MouseTapEventType reason = MouseTapEventType::tapDisabledByTimeout);
    // Runs the steps on the main executor's timers, each `at` seconds from now.
    void schedulePointerPath(const std::vector<PointerStep>& steps);
    // A straight press-drag-release path: press at `from`, `steps` drag steps
    // `interval` apart ending at `to`, release one interval after the last.
    static std::vector<PointerStep> straightDrag(Point from, Point to, int steps, double interval,
                                                 bool release = true);

    // Told of every pointer event before any tap sees it, on the thread that
    // scripted it: where a simulated window manager moves or resizes the
    // window under a drag, as the real one does before the tap reports.
    void setPointerObserver(std::function<void(const MouseTapEvent&)> observer) {
        pointerObserver_ = std::move(observer);
    }

    // Taps that are started and not invalidated, and how many of them are on.
    int runningTapCount() const;
    int enabledTapCount() const;
    int tapEnableCalls() const;

    // --- Scripting hot keys.
    // The combination is held by another application: registering it fails.
    void takeByOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers);
    void setHandlerInstallFails(bool fails) { handlerInstallFails_ = fails; }
    // The user presses the combination. When one of ours is registered, its
    // press is posted to the main queue; answers whether one was.
    bool pressKey(std::uint32_t keyCode, std::uint32_t modifiers);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> registeredCombinations() const;
    int installedHandlerCount() const { return static_cast<int>(handlers_.size()); }
    // Presses offered to handlers that none handled.
    int unhandledPresses() const { return unhandledPresses_; }

    struct TapState;

private:
    void setButtonAndPointer(bool down, Point at);
    void deliver(const MouseTapEvent& event);
    std::vector<std::shared_ptr<TapState>> liveTaps() const;
    // Adds `measure` over the live taps, each read under its lock.
    int sumOverTaps(int (*measure)(const TapState&)) const;

    MainExecutor& main_;
    bool refusesTaps_ = false;
    std::function<void(const MouseTapEvent&)> pointerObserver_;

    mutable std::mutex stateMutex_;
    bool leftDown_ = false;
    EventFlags flags_ = 0;
    Point pointer_;
    std::vector<std::weak_ptr<TapState>> taps_;

    struct Registration {
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        HotKeyID id;
    };
    bool handlerInstallFails_ = false;
    std::set<std::pair<std::uint32_t, std::uint32_t>> takenElsewhere_;
    std::map<HotKeyRef, Registration> hotKeys_;
    std::vector<std::pair<HandlerRef, PressHandler>> handlers_;  // in installation order
    std::uint64_t nextRef_ = 1;
    int unhandledPresses_ = 0;
    LifetimeToken lifetime_;  // last: callbacks handed out stop before anything else goes
};

// A keyboard layout with a table of key texts.
class SimKeyboardLayout final : public KeyboardLayout {
public:
    SimKeyboardLayout() = default;
    explicit SimKeyboardLayout(std::map<std::uint16_t, std::string> texts) : texts_(std::move(texts)) {}
    void setText(std::uint16_t keyCode, std::string text) { texts_[keyCode] = std::move(text); }
    std::optional<std::string> displayText(std::uint16_t keyCode) const override;

    // A US layout's letters, digits and punctuation.
    static std::shared_ptr<SimKeyboardLayout> usLayout();

private:
    std::map<std::uint16_t, std::string> texts_;
};

}  // namespace tessaly
