#pragma once
// The application delegate's toolkit requests, done with Qt.
#include "TessalyApp/AppShell.h"

#include <QMessageBox>

#include <memory>

namespace tessaly {

class QtAppShell final : public AppShell {
public:
    // An accessory program has nothing to bring forward by itself: each
    // window it shows asks the window manager for the focus on its own.
    void activateApplication() override {}
    // One alert at a time; a new one replaces the one shown.
    void showAlert(const std::string& title, const std::string& body) override;
    // Ends the main loop on its next turn, also when called before it runs.
    void terminate(int exitCode) override;

private:
    std::unique_ptr<QMessageBox> alert_;
};

}  // namespace tessaly
