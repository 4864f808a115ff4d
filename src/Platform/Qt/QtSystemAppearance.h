#pragma once
// The system appearance on a Linux desktop: the desktop portal's
// "color-scheme" setting (org.freedesktop.appearance) over the session bus
// where the portal answers with a preference, else the lightness of the
// application palette's window colour. Changes of either are followed (the
// portal's SettingChanged signal, the application's palette change).
//
// The first read blocks for at most the given timeout; when the portal does
// not answer in time it is asked again without blocking, and a late answer
// counts as a change.
#include "Platform/ObserverList.h"
#include "Platform/SystemAppearance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>
#include <QPalette>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <string>

namespace tessaly {

class QtSystemAppearance final : public QObject, public SystemAppearance {
    Q_OBJECT
public:
    struct Options {
        std::string busAddress;  // empty: the session bus (when one is configured)
        int timeoutMs = 250;     // longest the first read may block
    };

    // On the main thread, once the QGuiApplication exists.
    QtSystemAppearance();
    explicit QtSystemAppearance(Options options);
    ~QtSystemAppearance() override;

    bool prefersDark() const override { return prefersDark_; }
    Subscription addObserver(std::function<void()> handler) override { return observers_.add(std::move(handler)); }

    // What the portal said last: none while it gave no preference.
    std::optional<bool> portalPreference() const { return portal_; }

    // The portal's value (nested variants unwrapped): 1 is dark, 2 is light,
    // anything else (0, "no preference") is none.
    static std::optional<bool> decodeColorScheme(const QVariant& value);
    // A palette reads as dark when its window colour does.
    static bool paletteIsDark(const QPalette& palette);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    static QDBusConnection connectTo(const std::string& address, const QString& name);
    // Reads the setting, blocking at most `timeoutMs`.
    void readPortal(int timeoutMs);
    // Asks again without blocking.
    void readPortalLater();
    void takeReply(const QDBusMessage& reply);
    void update();

    QString connectionName_;
    QDBusConnection bus_;
    std::optional<bool> portal_;
    bool prefersDark_ = false;
    ObserverList observers_;  // last: handles stop reaching in first
};

}  // namespace tessaly
