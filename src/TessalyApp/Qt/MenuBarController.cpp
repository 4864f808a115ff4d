#include "TessalyApp/Qt/MenuBarController.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPalette>
#include <QShortcut>
#include <QTranslator>
#include <QSystemTrayIcon>

#include <utility>

#include "Platform/Log.h"
#include "TessalyApp/Qt/AppGlyph.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

// A menu title shows '&' as a mnemonic marker unless it is doubled.
QString menuText(const std::string& text) { return QString::fromStdString(text).replace('&', QStringLiteral("&&")); }

// Qt hands the tray's menu to a StatusNotifier host over the session bus
// when one is registered (it decides once, when the icon is made): the host
// then draws the menu and has the keyboard, so keys pressed there never
// reach the program.
bool hostDrawsTheMenu() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    return names && names->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
}

}  // namespace

// Qt names the keys of a shortcut through its translations; the program's
// own texts name Control as the keyboards of the display language do.
class MenuBarController::KeyNames : public QTranslator {
public:
    KeyNames() { QCoreApplication::installTranslator(this); }
    ~KeyNames() override { QCoreApplication::removeTranslator(this); }
    KeyNames(const KeyNames&) = delete;
    KeyNames& operator=(const KeyNames&) = delete;

    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
        if (qstrcmp(context, "QShortcut") == 0 && qstrcmp(sourceText, "Ctrl") == 0) {
            return QString::fromStdString(L10n::keyControl());
        }
        return {};
    }
};

namespace {

StatusMenuActions withDefaultQuit(StatusMenuActions actions) {
    if (!actions.onQuit) actions.onQuit = [] { QCoreApplication::quit(); };
    return actions;
}

}  // namespace

MenuBarController::MenuBarController(StatusMenuActions actions, std::shared_ptr<SystemAppearance> appearance)
    : model_(withDefaultQuit(std::move(actions))),
      appearance_(std::move(appearance)),
      menu_(std::make_unique<QMenu>()),
      tray_(std::make_unique<QSystemTrayIcon>()),
      answersKeys_(!hostDrawsTheMenu()),
      keyNames_(std::make_unique<KeyNames>()) {
    menu_->setToolTipsVisible(true);
    connect(menu_.get(), &QMenu::aboutToShow, this, &MenuBarController::rebuildMenu);
    fillMenu(model_.entries());
    tray_->setContextMenu(menu_.get());
    tray_->setToolTip(QStringLiteral("Tessaly"));
    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && !menu_->isVisible()) menu_->popup(QCursor::pos());
    });
    updateIcon();
    if (appearance_) appearanceObserver_ = appearance_->addObserver([this] { updateIcon(); });
    if (!QSystemTrayIcon::isSystemTrayAvailable()) Log::notice(LogCategory::app, noTrayLine);
    // Shown even without a tray: Qt docks the icon once a tray appears.
    // Shown from the event loop: docking takes some milliseconds of
    // exchanges with the tray and the session bus, which would otherwise
    // hold up the bars of the groups a start rebuilds.
    QMetaObject::invokeMethod(this, [this] { tray_->show(); }, Qt::QueuedConnection);
}

MenuBarController::~MenuBarController() {
    appearanceObserver_.cancel();
    tray_->setContextMenu(nullptr);
}

bool MenuBarController::isTrayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void MenuBarController::showNotice(const std::string& text) {
    if (!isTrayAvailable() || !QSystemTrayIcon::supportsMessages()) return;
    tray_->showMessage(QStringLiteral("Tessaly"), QString::fromStdString(text), QSystemTrayIcon::Warning);
}

void MenuBarController::updateIcon() {
    const bool dark = appearance_ ? appearance_->prefersDark()
                                  : QGuiApplication::palette().color(QPalette::Window).lightnessF() < 0.5;
    tray_->setIcon(AppGlyph::icon(dark ? AppGlyph::Panel::dark : AppGlyph::Panel::light));
}

void MenuBarController::rebuildMenu() { fillMenu(model_.refresh()); }

void MenuBarController::fillMenu(const std::vector<StatusMenuEntry>& entries) {
    menu_->clear();
    // A key may be answering right now (its row reopened the menu): it goes
    // later, and is deaf from now on.
    for (const QPointer<QShortcut>& key : keys_) {
        if (!key) continue;
        key->setEnabled(false);
        key->deleteLater();
    }
    keys_.clear();
    for (const StatusMenuEntry& entry : entries) {
        if (entry.kind == StatusMenuEntry::Kind::separator) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(menuText(entry.title));
        action->setEnabled(entry.enabled);
        if (!entry.toolTip.empty()) action->setToolTip(QString::fromStdString(entry.toolTip));
        if (entry.enabled) {
            connect(action, &QAction::triggered, this, [this, entry] { model_.activate(entry); });
        }
        if (answersKeys_ && entry.enabled && !entry.shortcut.empty()) {
            // The row names its key (keyNames_ says it in the display
            // language); a popup menu's action shortcut answers nowhere, so a
            // key of the menu's own answers while it is open.
            const QKeySequence sequence(QString::fromStdString(entry.shortcut));
            action->setShortcut(sequence);
            auto* key = new QShortcut(sequence, menu_.get());  // the menu's child
            connect(key, &QShortcut::activated, action, [this, action] {
                menu_->hide();
                action->trigger();
            });
            keys_.emplace_back(key);
        }
    }
}

}  // namespace tessaly
