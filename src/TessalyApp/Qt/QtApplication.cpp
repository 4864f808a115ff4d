#include "TessalyApp/Qt/QtApplication.h"

// The toolkit-free headers first: Qt's keyword macros (emit, signals)
// would otherwise rewrite their declarations.
#include "Platform/Log.h"
#include "Platform/ThreadQueueFactory.h"
#include "Platform/UserDefaults.h"
#include "Platform/X11/X11Platform.h"
#include "TessalyApp/AppDelegate.h"
#include "TessalyApp/LogDestination.h"
#include "TessalySession/GroupSession.h"

#include "OverlayUI/Qt/QtOverlayFactory.h"
#include "Platform/Qt/QtAppIconSource.h"
#include "Platform/Qt/QtMainExecutor.h"
#include "Platform/Qt/QtSystemAppearance.h"
#include "Platform/Qt/QtWindowActivation.h"
#include "TessalyApp/Qt/MenuBarController.h"
#include "TessalyApp/Qt/OnboardingWindowController.h"
#include "TessalyApp/Qt/QtAppShell.h"
#include "TessalyApp/Qt/TerminationSignals.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tessaly {

namespace {

constexpr std::string_view kLoginItemArgument = "--login-item";

bool hasArgument(int argc, char** argv, std::string_view name) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == name) return true;
    }
    return false;
}

// When the X server goes away Qt ends the process itself, right after its
// warning and without unwinding: what must not be left behind is cleaned
// up here, and the process ends at once (threads still running must not
// meet static destructors).
std::function<void()> cleanUpWhenConnectionBreaks;
QtMessageHandler qtHandler = nullptr;

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QStringLiteral("The X11 connection broke"))) {
        Log::error(LogCategory::app, "the X server closed the connection; Tessaly quits");
        if (cleanUpWhenConnectionBreaks) cleanUpWhenConnectionBreaks();
        std::_Exit(EXIT_FAILURE);
    }
    if (qtHandler) qtHandler(type, context, text);
}

// The shell's windows and menu, made by the delegate's hooks.
struct ShellWindows {
    std::unique_ptr<MenuBarController> menuBar;
    std::unique_ptr<OnboardingWindowController> onboarding;
};

// Points the delegate's hooks at the shell's Qt pieces.
void attachShell(AppDelegate& delegate, ShellWindows& windows, const std::shared_ptr<AppShell>& shell,
                 const std::shared_ptr<SystemAppearance>& appearance) {
    const LifetimeToken& life = delegate.lifetime();
    AppDelegate& d = delegate;
    delegate.parts.installMenuBar = [&d, &windows, shell, appearance, &life] {
        StatusMenuActions actions;
        actions.isSessionRunning = life.guarded([&d] { return d.isSessionRunning(); });
        actions.isDragActive = life.guarded([&d] { return d.isDragActive(); });
        actions.isStageManagerBlocked = life.guarded([&d] { return d.isStageManagerBlocked(); });
        actions.isTrusted = life.guarded([&d] { return d.isTrusted(); });
        actions.groupsSnapshot = life.guarded([&d] { return d.groupsSnapshot(); });
        actions.onFocusGroup = life.guarded([&d](const Uuid& id) { d.focusGroup(id); });
        actions.onOpenSettings = life.guarded([&d] { d.applicationShouldHandleReopen(); });
        actions.onOpenAbout = life.guarded([&d] {
            if (d.parts.showSettingsAbout) d.parts.showSettingsAbout();
        });
        actions.onUngroupAll = life.guarded([&d] { d.ungroupAll(); });
        actions.onRequestPermission = life.guarded([&d] { d.requestPermission(); });
        actions.onQuit = [shell] { shell->terminate(EXIT_SUCCESS); };
        actions.notices = life.guarded([&d] { return d.notices().texts(); });
        actions.onWillOpen = life.guarded([&d] { d.statusMenuWillOpen(); });
        windows.menuBar = std::make_unique<MenuBarController>(std::move(actions), appearance);
    };
    delegate.parts.showOnboardingWindow = [&d, &windows, &life] {
        if (!windows.onboarding) {
            windows.onboarding = std::make_unique<OnboardingWindowController>(
                d.permissions(), life.guarded([&d] { d.requestPermission(); }));
        }
        windows.onboarding->show();
    };
    delegate.parts.closeOnboardingWindow = [&windows] {
        if (windows.onboarding) windows.onboarding->close();
    };
}

}  // namespace

int QtApplication::run(int argc, char** argv) {
    LogDestination::choose();

    // The display first: without one Qt would abort.
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        Log::error(LogCategory::app, "no X display: DISPLAY is not set (Tessaly runs in an X11 session)");
        return EXIT_FAILURE;
    }
    const auto x11 = X11Platform::open();
    if (!x11) {
        Log::error(LogCategory::app, std::string("cannot connect to the X display \"") + display +
                                         "\" (is the X server running, and may this user use it?)");
        return EXIT_FAILURE;
    }

    // Qt draws on the same X display, also inside a Wayland session.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessaly"));
    application.setQuitOnLastWindowClosed(false);
    qtHandler = qInstallMessageHandler(onQtMessage);

    const auto main = std::make_shared<QtMainExecutor>();
    const std::shared_ptr<Clock> clock(std::shared_ptr<Clock>(), &SystemClock::shared());
    const PlatformServices platform = x11->services(clock, main, std::make_shared<ThreadQueueFactory>());
    const auto shell = std::make_shared<QtAppShell>();
    const auto icons = std::make_shared<QtAppIconSource>(x11->backend(), platform.workspace);
    const auto appearance = std::make_shared<QtSystemAppearance>();
    const auto overlayFactory = std::make_shared<QtOverlayFactory>(x11->backend(), appearance);
    overlayFactory->setBringToFront([](QWidget& widget) { QtWindowActivation::bringToFront(widget); });

    AppDelegate::Services services;
    services.platform = platform;
    services.defaults = FileUserDefaults::standard();
    services.shell = shell;
    services.launchedAsLoginItem = hasArgument(argc, argv, kLoginItemArgument);
    services.makeSession = [&x11, platform, main, overlayFactory, icons](bool usePublicZSync) {
        GroupSession::Services session;
        session.platform = platform;
        session.input = x11->makeInputMonitor();
        session.hotkeyService = x11->makeHotkeyService(main);
        session.overlayFactory = overlayFactory;
        session.iconProvider = icons;
        return std::make_shared<GroupSession>(std::move(session), usePublicZSync);
    };
    AppDelegate delegate(std::move(services));
    ShellWindows windows;  // after the delegate: goes first
    attachShell(delegate, windows, shell, appearance);

    TerminationSignals termination([&shell](int) { shell->terminate(EXIT_SUCCESS); });

    delegate.applicationDidFinishLaunching();
    const int status = QApplication::exec();
    delegate.applicationWillTerminate();
    cleanUpWhenConnectionBreaks = nullptr;
    return status;
}

}  // namespace tessaly
