#include "Platform/Qt/QtSystemAppearance.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEvent>
#include <QGuiApplication>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace tessaly {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString kColorSchemeKey = QStringLiteral("color-scheme");

// Whether a session bus is configured. Without one, asking for it could
// make the bus library start a bus of its own ("autolaunch").
bool sessionBusConfigured() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime && *runtime && std::filesystem::is_socket(std::filesystem::path(runtime) / "bus", error);
}

QDBusMessage settingsCall(const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kSettingsInterface, method);
    call << kAppearanceGroup << kColorSchemeKey;
    return call;
}

}  // namespace

QtSystemAppearance::QtSystemAppearance() : QtSystemAppearance(Options{}) {}

QtSystemAppearance::QtSystemAppearance(Options options)
    : connectionName_(QStringLiteral("tessaly-appearance-%1").arg(reinterpret_cast<quintptr>(this))),
      bus_(connectTo(options.busAddress, connectionName_)) {
    if (bus_.isConnected()) {
        // The slot's argument types are looked up by name: QDBusVariant's
        // must be known before the first value of it was ever made.
        qRegisterMetaType<QDBusVariant>();
        bus_.connect(kPortalService, kPortalPath, kSettingsInterface, QStringLiteral("SettingChanged"), this,
                     SLOT(onSettingChanged(QString, QString, QDBusVariant)));
        readPortal(options.timeoutMs);
    }
    if (qApp) qApp->installEventFilter(this);
    prefersDark_ = portal_.value_or(paletteIsDark(QGuiApplication::palette()));
}

QtSystemAppearance::~QtSystemAppearance() {
    if (qApp) qApp->removeEventFilter(this);
    if (bus_.isConnected() && bus_.name() == connectionName_) QDBusConnection::disconnectFromBus(connectionName_);
}

QDBusConnection QtSystemAppearance::connectTo(const std::string& address, const QString& name) {
    if (!address.empty()) return QDBusConnection::connectToBus(QString::fromStdString(address), name);
    if (sessionBusConfigured()) return QDBusConnection::sessionBus();
    return QDBusConnection(name);  // never connected
}

std::optional<bool> QtSystemAppearance::decodeColorScheme(const QVariant& value) {
    QVariant inner = value;
    for (int depth = 0; depth < 4 && inner.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth) {
        inner = inner.value<QDBusVariant>().variant();
    }
    bool ok = false;
    const uint scheme = inner.toUInt(&ok);
    const auto type = inner.metaType().id();
    const bool integral = type == QMetaType::UInt || type == QMetaType::Int || type == QMetaType::UShort ||
                          type == QMetaType::Short || type == QMetaType::UChar || type == QMetaType::ULongLong ||
                          type == QMetaType::LongLong;
    if (!ok || !integral) return std::nullopt;
    if (scheme == 1) return true;
    if (scheme == 2) return false;
    return std::nullopt;
}

bool QtSystemAppearance::paletteIsDark(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Window).lightness() < 128;
}

void QtSystemAppearance::readPortal(int timeoutMs) {
    QDBusMessage reply = bus_.call(settingsCall(QStringLiteral("ReadOne")), QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")) {
        // Portals before ReadOne have Read, which wraps the value once more.
        reply = bus_.call(settingsCall(QStringLiteral("Read")), QDBus::Block, timeoutMs);
    }
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply")) {
        readPortalLater();
        return;
    }
    takeReply(reply);
}

void QtSystemAppearance::readPortalLater() {
    // Read answers in both old and new portals.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(settingsCall(QStringLiteral("Read"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        takeReply(done->reply());
        done->deleteLater();
        update();
    });
}

void QtSystemAppearance::takeReply(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
    portal_ = decodeColorScheme(reply.arguments().constFirst());
}

void QtSystemAppearance::onSettingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
    if (group != kAppearanceGroup || key != kColorSchemeKey) return;
    portal_ = decodeColorScheme(QVariant::fromValue(value));
    update();
}

bool QtSystemAppearance::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) update();
    return QObject::eventFilter(watched, event);
}

void QtSystemAppearance::update() {
    const bool now = portal_.value_or(paletteIsDark(QGuiApplication::palette()));
    if (now == prefersDark_) return;
    prefersDark_ = now;
    observers_.notify();
}

}  // namespace tessaly
