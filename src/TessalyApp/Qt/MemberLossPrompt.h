#pragma once
// The warning before a relaunch that some grouped windows would not survive:
// an alert with the go-ahead button first and Cancel second, shown without
// blocking the main loop (timers, the sweep and X events keep running while
// it waits). Main thread only.
#include <functional>
#include <memory>

#include "TessalyApp/RelaunchCoordinator.h"

class QMessageBox;

namespace tessaly {

class MemberLossPrompt {
public:
    MemberLossPrompt();
    // A prompt still open answers "cancel".
    ~MemberLossPrompt();
    MemberLossPrompt(const MemberLossPrompt&) = delete;
    MemberLossPrompt& operator=(const MemberLossPrompt&) = delete;

    // Shows the alert in front; `answer` runs once: true for the first
    // button, false for Cancel, Escape or closing it. A prompt shown again
    // before the answer answers the earlier one with false.
    void ask(const MemberLossAlert& alert, std::function<void(bool goAhead)> answer);

    // The alert while one was shown (for tests).
    QMessageBox* box() const { return box_.get(); }

private:
    void answer(bool goAhead);

    std::unique_ptr<QMessageBox> box_;
    std::function<void(bool)> pending_;
};

}  // namespace tessaly
