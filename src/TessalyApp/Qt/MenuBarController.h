#pragma once
// The status item: a tray icon with the program's mark and the status menu,
// rebuilt from the StatusMenuModel each time it is about to open. Right
// click opens the menu as usual; a left click opens it too. While the
// program draws the open menu itself (not a StatusNotifier host), Ctrl+,
// and Ctrl+Q answer there, named in the display language.
//
// Without a tray (no StatusNotifier host and no XEmbed tray on the display)
// the icon waits and docks when a tray appears; the program says once, in
// the log, that no tray was found, and the settings window offers the
// menu's rows instead (model().refresh() and model().activate()).
//
// Main thread only, once the QApplication exists.
#include <QObject>
#include <QPointer>
#include <QShortcut>

#include <memory>
#include <string>
#include <vector>

#include "Platform/Subscription.h"
#include "Platform/SystemAppearance.h"
#include "TessalyApp/StatusMenuModel.h"

class QMenu;
class QSystemTrayIcon;

namespace tessaly {

class MenuBarController : public QObject {
    Q_OBJECT
public:
    static constexpr const char* noTrayLine =
        "no system tray found: the settings window offers the status menu's items";

    // `appearance` says whether the panel is dark (a light mark then); without
    // it the application palette decides. An unset onQuit quits the
    // application's main loop.
    explicit MenuBarController(StatusMenuActions actions, std::shared_ptr<SystemAppearance> appearance = nullptr);
    ~MenuBarController() override;
    MenuBarController(const MenuBarController&) = delete;
    MenuBarController& operator=(const MenuBarController&) = delete;

    const StatusMenuModel& model() const { return model_; }
    // Whether a tray holds the icon now.
    bool isTrayAvailable() const;
    // Tells the user about a new problem next to the icon, where the tray
    // shows messages (the menu keeps the notice's row either way).
    void showNotice(const std::string& text);

    QMenu& menu() { return *menu_; }
    QSystemTrayIcon& trayIcon() { return *tray_; }

    // What opening the menu does: asks the model (onWillOpen first) and
    // puts its rows in.
    void rebuildMenu();

private:
    void fillMenu(const std::vector<StatusMenuEntry>& entries);
    void updateIcon();

    StatusMenuModel model_;
    std::shared_ptr<SystemAppearance> appearance_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    // Whether the program draws the open menu (and so hears its keys).
    bool answersKeys_;
    std::vector<QPointer<QShortcut>> keys_;
    class KeyNames;
    std::unique_ptr<KeyNames> keyNames_;
    Subscription appearanceObserver_;
};

}  // namespace tessaly
