#pragma once
// Recognises the drag-to-group gesture from left-button reports: whether a
// press-and-drag moves a window, resizes it or neither; what lies under the
// pointer as a drop target; when the grouping modifier has been held over the
// same target long enough to show the insert preview; and whether releasing
// groups the dragged window with that target.
//
// Everything runs on the main thread. Times are monotonic seconds (the event
// tap's time stamps and the tick timer's readings), so a step of the wall
// clock neither shortens nor stretches the hold delay.
#include <functional>
#include <iosfwd>
#include <limits>
#include <optional>
#include <variant>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "TessalyCore/DragSettings.h"

namespace tessaly {

// A window that a drag would move or that a drop would join.
struct DragCandidate {
    WindowID windowID = 0;
    ProcessID pid = 0;
    Rect frame;  // global top-left coordinates, as the event tap's locations

    friend bool operator==(const DragCandidate&, const DragCandidate&) = default;
};

enum class DragKind { move, resize };

struct DragGroupingEvent {
    enum class Kind { previewShown, grouped, previewHidden };

    // The preview should appear over the target.
    struct PreviewShown {
        DragCandidate target;
        friend bool operator==(const PreviewShown&, const PreviewShown&) = default;
    };
    // The dragged window is to join the target.
    struct Grouped {
        WindowID draggedWindowID = 0;
        DragCandidate target;
        friend bool operator==(const Grouped&, const Grouped&) = default;
    };
    // The preview should disappear.
    struct PreviewHidden {
        friend bool operator==(const PreviewHidden&, const PreviewHidden&) = default;
    };

    // In the order of Kind.
    using Payload = std::variant<PreviewShown, Grouped, PreviewHidden>;
    Payload payload;

    static DragGroupingEvent previewShown(const DragCandidate& target) { return {PreviewShown{target}}; }
    static DragGroupingEvent grouped(WindowID dragged, const DragCandidate& target) {
        return {Grouped{dragged, target}};
    }
    static DragGroupingEvent previewHidden() { return {PreviewHidden{}}; }

    Kind kind() const { return static_cast<Kind>(payload.index()); }

    friend bool operator==(const DragGroupingEvent&, const DragGroupingEvent&) = default;
};

struct DragLifecycleEvent {
    enum class Kind { confirmed, ended };

    // The press is a window drag of `dragKind`.
    struct Confirmed {
        WindowID windowID = 0;
        DragKind dragKind = DragKind::move;
        friend bool operator==(const Confirmed&, const Confirmed&) = default;
    };
    // That drag is over.
    struct Ended {
        WindowID windowID = 0;
        friend bool operator==(const Ended&, const Ended&) = default;
    };

    // In the order of Kind.
    using Payload = std::variant<Confirmed, Ended>;
    Payload payload;

    static DragLifecycleEvent confirmed(WindowID id, DragKind kind) { return {Confirmed{id, kind}}; }
    static DragLifecycleEvent ended(WindowID id) { return {Ended{id}}; }

    Kind kind() const { return static_cast<Kind>(payload.index()); }
    WindowID windowID() const {
        return std::visit([](const auto& value) { return value.windowID; }, payload);
    }

    friend bool operator==(const DragLifecycleEvent&, const DragLifecycleEvent&) = default;
};

std::ostream& operator<<(std::ostream& os, const DragCandidate& candidate);
std::ostream& operator<<(std::ostream& os, const DragGroupingEvent& event);
std::ostream& operator<<(std::ostream& os, const DragLifecycleEvent& event);

// What the recogniser asks of its owner, synchronously on the main thread.
class DragEnvironment {
public:
    virtual ~DragEnvironment() = default;
    // The window a drag beginning at this point would move, with its frame
    // now; absent when there is none (asked again at the next evaluation).
    virtual std::optional<DragCandidate> candidateWindow(Point at) = 0;
    // The window's current frame; absent when it is gone or unreadable.
    virtual std::optional<Rect> liveFrame(WindowID of) = 0;
    // What a drop here would join, never `excludingDragged`. Asked at most
    // once every hit-test interval while a move is confirmed.
    virtual std::optional<DragCandidate> dropTarget(Point at, WindowID excludingDragged) = 0;
};

class DragGroupingController {
public:
    static constexpr double confirmDistance = 5;
    static constexpr double followTolerance = 15;
    static constexpr double giveUpDistance = 200;
    static constexpr double resizeEdgeProximity = 12;
    static constexpr double resizeConfirmDelta = 2;
    static constexpr double tickInterval = 1.0 / 30;
    static constexpr double evaluationInterval = 1.0 / 60;
    static constexpr double hitTestInterval = 0.1;

    // `environment` must outlive the controller.
    DragGroupingController(DragEnvironment& environment, DragSettings settings);

    DragSettings settings;
    std::function<void(const DragGroupingEvent&)> onEvent;
    std::function<void(const DragLifecycleEvent&)> onLifecycle;
    // Whether the window manager snaps a window it moves while the grouping
    // modifier is held from edge to edge instead of letting it follow the
    // pointer. Asked only at a press with the modifier held and about a
    // window that moved as the pointer did without following it; absent:
    // never.
    std::function<bool()> modifierSnapsMoves;

    // True while a window move or resize is confirmed: from inside the report
    // of its confirmation until the reports of its end have all run.
    bool isDragging() const { return state_ == State::confirmed; }
    // True from a press until its release, while what it moves may become
    // a drag (and while it is one).
    bool isWatchingPress() const { return state_ != State::idle; }

    void mouseDown(Point at, double time);
    // The grouping modifier was held at the press just reported. Where the
    // window manager snaps such moves, the window under the press is taken
    // now: by the first drag step it may have jumped away from the pointer.
    void modifierHeldAtPress();
    void mouseDragged(Point to, bool modifiersSatisfied, double time);
    void tick(bool modifiersSatisfied, double time);
    void mouseUp(Point at, double time);

private:
    static constexpr double never = -std::numeric_limits<double>::infinity();

    enum class State { idle, pending, tracking, confirmed };

    struct Confirmed {
        WindowID windowID = 0;
        DragKind kind = DragKind::move;
        std::optional<DragCandidate> hoverTarget;
        double hoverSince = 0;
        bool previewShown = false;
        double lastHitTest = never;
    };

    void evaluate(double now);
    void evaluateTracking();
    void track(const DragCandidate& candidate, Point at);
    void evaluateConfirmed(double now);
    void confirm(WindowID windowID, DragKind kind);
    bool holdElapsed(double now) const;
    void showPreview(const DragCandidate& target);
    void hidePreviewIfShown();
    void send(const DragGroupingEvent& event);
    void send(const DragLifecycleEvent& event);

    DragEnvironment& environment_;
    State state_ = State::idle;
    Point startCursor_;              // pending, tracking
    DragCandidate candidate_;        // tracking
    Point trackStart_;               // tracking
    struct Look {
        Rect frame;
        Point pointer;
    };
    Look lastLook_;                  // tracking: the live frame and the pointer at the last evaluation
    Confirmed confirmed_;            // confirmed
    Point lastPoint_;
    bool modifiersSatisfied_ = false;
    double lastPollTime_ = never;
};

}  // namespace tessaly
