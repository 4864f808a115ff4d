#pragma once
// What the application delegate asks of the toolkit: the Qt half of the
// program implements it, tests record the calls. Main thread only.
#include <string>

namespace tessaly {

class AppShell {
public:
    virtual ~AppShell() = default;

    // Brings the program's own windows forward (onboarding, alerts).
    virtual void activateApplication() = 0;
    // Shows a message with one button and returns at once.
    virtual void showAlert(const std::string& title, const std::string& body) = 0;
    // Ends the main loop with `exitCode`; the delegate's
    // applicationWillTerminate() runs after it.
    virtual void terminate(int exitCode) = 0;
};

}  // namespace tessaly
