// The system appearance: the portal's colour scheme where a portal answers
// (on a private bus with a small portal of the test's own), the palette's
// lightness otherwise, and the changes of both.
#include "Platform/Qt/QtSystemAppearance.h"

#include "Platform/TestFiles.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

namespace {

using tessaly::QtSystemAppearance;

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");

// The settings part of a desktop portal, answering on a thread of its own
// (the code under test waits for it on the main thread).
class FakePortal final : public QDBusVirtualObject {
public:
    enum class Mode { answers, answersWithoutReadOne, answersLate, silent };
    std::atomic<Mode> mode{Mode::answers};
    std::atomic<unsigned> scheme{0};

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != kSettings) return false;
        const Mode now = mode.load();
        if (now == Mode::silent) return true;
        const bool readOne = message.member() == QStringLiteral("ReadOne");
        if (readOne && now == Mode::answersWithoutReadOne) {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("no ReadOne")));
            return true;
        }
        const QVariant value = QVariant::fromValue(QDBusVariant(scheme.load()));
        // Read wraps the value in one more variant.
        const QDBusMessage reply = message.createReply(readOne ? value : QVariant::fromValue(QDBusVariant(value)));
        if (now == Mode::answersLate) {
            QTimer::singleShot(300, this, [connection, reply] { QDBusConnection(connection).send(reply); });
        } else {
            connection.send(reply);
        }
        return true;
    }
};

class QtSystemAppearanceTest : public testing::Test {
protected:
    tessaly::testing::TempFolder folder;
    QProcess daemon;
    std::string address;
    FakePortal portal;
    QThread portalThread;
    std::unique_ptr<QDBusConnection> portalBus;
    QPalette originalPalette = QGuiApplication::palette();

    void SetUp() override {
        const auto config = folder.path() / "bus.conf";
        tessaly::testing::writeFile(config, R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:tmpdir=)" + folder.path().string() + R"(</listen>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>)");
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                                                      QStringLiteral("--config-file=") + QString::fromStdString(config.string())});
        if (!daemon.waitForStarted(5000)) GTEST_SKIP() << "no dbus-daemon on this machine";
        while (!daemon.canReadLine() && daemon.waitForReadyRead(10'000)) {
        }
        address = daemon.readLine().trimmed().toStdString();
        ASSERT_FALSE(address.empty());
        portal.moveToThread(&portalThread);
        portalThread.start();
    }
    void TearDown() override {
        if (portalBus) {
            portalBus->unregisterObject(kPath);
            QDBusConnection::disconnectFromBus(portalBus->name());
        }
        portalThread.quit();
        portalThread.wait();
        QApplication::setPalette(originalPalette);
        daemon.terminate();
        if (!daemon.waitForFinished(5000)) daemon.kill();
    }

    void startPortal(FakePortal::Mode mode, unsigned scheme) {
        portal.mode = mode;
        portal.scheme = scheme;
        portalBus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QString::fromStdString(address), QStringLiteral("fake-portal")));
        ASSERT_TRUE(portalBus->isConnected());
        ASSERT_TRUE(portalBus->registerVirtualObject(kPath, &portal));
        ASSERT_TRUE(portalBus->registerService(kService));
    }
    void announce(const QString& group, const QString& key, unsigned scheme) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kSettings, QStringLiteral("SettingChanged"));
        signal << group << key << QVariant::fromValue(QDBusVariant(scheme));
        portalBus->send(signal);
    }
    std::unique_ptr<QtSystemAppearance> appearance(int timeoutMs = 2000) {
        return std::make_unique<QtSystemAppearance>(QtSystemAppearance::Options{address, timeoutMs});
    }
    // Runs the event loop until `count` reaches `target` (or 10 s pass).
    static bool waitFor(const int& count, int target) {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (count >= target) loop.quit();
        });
        check.start(5);
        QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
        if (count < target) loop.exec();
        return count >= target;
    }
    static void setPaletteDark(bool dark) {
        QApplication::setPalette(QPalette(dark ? QColor(40, 40, 40) : QColor(236, 236, 236)));
    }
};

}  // namespace

TEST(QtSystemAppearanceDecoding, ColorSchemeValuesAndPaletteLightness) {
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(QVariant(1u)), true);
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(QVariant(2u)), false);
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(QVariant(0u)), std::nullopt);
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(QVariant(7u)), std::nullopt);
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(QVariant(1)), true);
    const QVariant nested = QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(1u))));
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(nested), true);
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(QVariant(QStringLiteral("1"))), std::nullopt);
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(QVariant(true)), std::nullopt);
    EXPECT_EQ(QtSystemAppearance::decodeColorScheme(QVariant()), std::nullopt);
    EXPECT_TRUE(QtSystemAppearance::paletteIsDark(QPalette(QColor(30, 30, 30))));
    EXPECT_FALSE(QtSystemAppearance::paletteIsDark(QPalette(QColor(240, 240, 240))));
}

TEST_F(QtSystemAppearanceTest, ThePortalsPreferenceWinsAndItsChangesAreFollowed) {
    setPaletteDark(false);
    startPortal(FakePortal::Mode::answers, 1);
    auto system = appearance();
    EXPECT_TRUE(system->prefersDark());
    int changes = 0;
    const auto observer = system->addObserver([&] { ++changes; });

    announce(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("accent-color"), 2);  // not ours
    announce(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"), 2);
    ASSERT_TRUE(waitFor(changes, 1));
    EXPECT_FALSE(system->prefersDark());
    EXPECT_EQ(changes, 1);

    // No preference: the palette speaks again, and its changes count.
    announce(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"), 0);
    setPaletteDark(true);
    ASSERT_TRUE(waitFor(changes, 2));
    EXPECT_TRUE(system->prefersDark());
    EXPECT_EQ(system->portalPreference(), std::nullopt);
}

TEST_F(QtSystemAppearanceTest, OlderPortalsAnswerThroughRead) {
    setPaletteDark(false);
    startPortal(FakePortal::Mode::answersWithoutReadOne, 1);
    EXPECT_TRUE(appearance()->prefersDark());
}

TEST_F(QtSystemAppearanceTest, ASlowPortalDoesNotHoldUpTheStartAndItsLateAnswerCounts) {
    setPaletteDark(false);
    startPortal(FakePortal::Mode::answersLate, 1);
    const auto start = std::chrono::steady_clock::now();
    auto system = appearance(50);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(system->prefersDark());  // the palette, for now
    int changes = 0;
    const auto observer = system->addObserver([&] { ++changes; });
    ASSERT_TRUE(waitFor(changes, 1));
    EXPECT_TRUE(system->prefersDark());
}

TEST_F(QtSystemAppearanceTest, WithoutAnAnsweringPortalThePaletteDecides) {
    setPaletteDark(true);
    {
        auto system = appearance(50);  // nobody owns the portal's name
        EXPECT_TRUE(system->prefersDark());
        int changes = 0;
        auto observer = system->addObserver([&] { ++changes; });
        setPaletteDark(false);
        ASSERT_TRUE(waitFor(changes, 1));
        EXPECT_FALSE(system->prefersDark());
        observer.cancel();
        setPaletteDark(true);
        EXPECT_TRUE(system->prefersDark());
        EXPECT_EQ(changes, 1);
    }
    startPortal(FakePortal::Mode::silent, 1);
    auto silent = appearance(50);
    EXPECT_TRUE(silent->prefersDark());
    EXPECT_EQ(silent->portalPreference(), std::nullopt);

    // No session bus configured at all: nothing is started, the palette decides.
    tessaly::testing::ScopedEnvironment environment;
    environment.unset("DBUS_SESSION_BUS_ADDRESS");
    environment.unset("XDG_RUNTIME_DIR");
    EXPECT_TRUE(QtSystemAppearance().prefersDark());
}
