#pragma once
// Owns the settings window: an ordinary window holding the settings view
// over one SettingsModel, made on first use and kept for the rest of the
// run (closing it only hides it).
//
// show() brings the window to the front on the current desktop with the
// keyboard focus, against the window manager's focus-stealing prevention,
// and keeps it above other windows until it has had the focus for 1 s, at
// most for 3 s; it also puts the shared colour panel over the window.
// Closing hides the colour panel and any editor sheet, ends a hotkey
// recording, and leaves the How To and About pages for the last
// configuration page, so the next opening shows that.
//
// Main thread only, once the QApplication exists.
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

#include "Platform/KeyboardLayout.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "TessalyApp/SettingsModel.h"

namespace tessaly {

class SettingsColorPanel;
class SettingsFileDialogs;
class SettingsView;

class SettingsWindowController {
public:
    struct Options {
        // The shell's relaunch (the General page's restart button).
        std::function<void()> onRelaunchRequested;
        // The shell pauses the tab-cycle hotkeys while one is recorded.
        std::function<void(bool)> onHotkeyRecordingChanged;
        // The update check of the About page; empty: no update controller.
        std::function<void()> checkForUpdates;
        // Names the keys the recorder hears; the installed layout when empty.
        std::shared_ptr<const KeyboardLayout> keyboardLayout;
        // Brings the window forward; QtWindowActivation when empty.
        std::function<void(QWidget&)> bringToFront;
        // The status menu, while no tray shows it (null otherwise): the
        // window then offers it.
        std::function<QMenu*()> statusMenu;
        // The usable area of the screen the window is on; the screen's
        // available geometry when empty.
        std::function<QRect()> availableArea;
        // Raises the windows that stay in front of this one (the Welcome
        // window, which floats), each time this one is raised: with no
        // window manager to keep a floating window above, a raise would
        // cover it.
        std::function<void()> raiseWindowsInFront;
    };

    static constexpr double keyFloatSeconds = 1.0;
    static constexpr double floatCeilingSeconds = 3.0;

    SettingsWindowController(SettingsStore& store, SettingsModelEnvironment environment,
                             std::shared_ptr<MainExecutor> main, Options options);
    ~SettingsWindowController();
    SettingsWindowController(const SettingsWindowController&) = delete;
    SettingsWindowController& operator=(const SettingsWindowController&) = delete;

    // Opens the window (on the model's selected page).
    void show();

    SettingsModel& model() { return *model_; }
    QWidget& window() { return *window_; }
    SettingsView& view() { return *view_; }
    SettingsColorPanel& colorPanel() { return *colorPanel_; }
    // Whether the window is kept above other windows now.
    bool isFloating() const { return floating_; }

private:
    class Window;

    void setFloating(bool floating);
    void scheduleFloatCeiling();
    void windowBecameKey();
    void windowWillClose();
    QRect availableArea() const;
    void fitToScreen();
    // Once framed, a window placed by a guess of the decoration is moved
    // (and shrunk) so that its whole frame is inside the usable area.
    void keepFrameInside();

    std::shared_ptr<MainExecutor> main_;
    Options options_;
    std::unique_ptr<SettingsModel> model_;
    std::unique_ptr<SettingsColorPanel> colorPanel_;
    std::unique_ptr<QWidget> window_;
    SettingsView* view_ = nullptr;
    std::shared_ptr<SettingsFileDialogs> fileDialogs_;
    bool floating_ = false;
    bool placed_ = false;
    bool checkFrame_ = false;
    Subscription floatCeiling_;
    Subscription keyCheck_;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
