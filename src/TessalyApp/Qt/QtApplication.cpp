#include "TessalyApp/Qt/QtApplication.h"

// The toolkit-free headers first: Qt's keyword macros (emit, signals)
// would otherwise rewrite their declarations.
#include "Platform/Log.h"
#include "Platform/ThreadQueueFactory.h"
#include "Platform/UserDefaults.h"
#include "Platform/X11/X11Platform.h"
#include "TessalyApp/AppDelegate.h"
#include "TessalyApp/CommandLine.h"
#include "TessalyApp/DesktopEntry.h"
#include "TessalyApp/LanguageOverride.h"
#include "TessalyApp/LogDestination.h"
#include "TessalyApp/SingleInstance.h"
#include "TessalyCore/AppLanguage.h"
#include "TessalyCore/L10n.h"
#include "TessalySession/GroupSession.h"

#include "OverlayUI/Qt/QtOverlayFactory.h"
#include "Platform/Qt/QtAppIconSource.h"
#include "Platform/Qt/QtMainExecutor.h"
#include "Platform/Qt/QtSystemAppearance.h"
#include "Platform/Qt/QtWindowActivation.h"
#include "TessalyApp/Qt/DesktopIcon.h"
#include "TessalyApp/Qt/QtAppShell.h"
#include "TessalyApp/Qt/QtShell.h"
#include "TessalyApp/Qt/QtTranslations.h"
#include "TessalyApp/Qt/TerminationSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QThreadPool>

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace tessaly {

namespace {

// The library behind Qt's "xcb" platform plugin.
constexpr const char* kQtPlatformLibrary = "libQt6XcbQpa.so.6";

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

}  // namespace

int QtApplication::run(int argc, char** argv) {
    // --help, --version and a misuse are answered before anything needs a
    // display.
    const CommandLine command = CommandLine::parse(argc, argv);
    if (command.action != CommandLine::Action::run) return CommandLine::answer(command);

    // The environment is settled before any thread starts (threads read
    // it: fontconfig, xcb and Qt's own). Qt draws on the same X display, also
    // inside a Wayland session.
    qputenv("QT_QPA_PLATFORM", "xcb");
    X11Connection::nameAuthorityFile();

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

    // One instance per user: a second launch asks the running one to show
    // its settings window and ends.
    std::optional<SingleInstance> instance;
    if (const auto folder = SingleInstance::defaultFolder()) {
        instance.emplace(*folder);
        std::string why;
        switch (instance->claim(&why)) {
            case SingleInstance::Claim::primary: break;
            case SingleInstance::Claim::handedToRunning:
                Log::notice(LogCategory::app, "Tessaly is already running; it was asked to show its settings window");
                return EXIT_SUCCESS;
            case SingleInstance::Claim::runningButSilent:
                Log::error(LogCategory::app, "another Tessaly is running but does not answer (" + why + ")");
                return EXIT_FAILURE;
            case SingleInstance::Claim::unavailable:
                Log::error(LogCategory::app, "running without the one-instance guard (" + why + ")");
                instance.reset();
                break;
        }
    }
    // Qt loads its X11 platform library (with ten more it needs) when the
    // application is made, and reads the font configuration (some 40 files)
    // when the first bar lays out its titles. Both done on a thread of their
    // own from here, where this is known to be the instance that runs, they
    // are ready by then instead of holding up the first bar.
    std::jthread qtLibraries([] {
        dlopen(kQtPlatformLibrary, RTLD_LAZY);  // kept loaded: Qt's own load finds it so
        FcInit();
    });
    // The backend's event reader opens a connection of its own and looks at
    // every client: done meanwhile, the services below find it running.
    std::jthread watching([backend = x11->backend()] { backend->startWatching(); });
    if (instance) {
        cleanUpWhenConnectionBreaks = [socket = instance->socketPath()] { ::unlink(socket.c_str()); };
    }

    // The texts follow the language chosen in the settings window; the
    // system's choice is stored at the first start.
    const auto defaults = FileUserDefaults::standard();
    LanguageOverride::installAsTextSource(defaults);
    LanguageOverride::storeSystemChoiceIfMissing(*defaults, AppLanguage::systemPreferredLanguages(std::getenv));

    QApplication application(argc, argv);
    // The class of every window (WM_CLASS), which the desktop entry names.
    QApplication::setApplicationName(QString::fromUtf8(DesktopEntry::windowClass));
    QApplication::setWindowIcon(DesktopIcon::icon());
    // Qt's own dialogs (colours, files) speak the program's language, the
    // one its texts were chosen in.
    const QtTranslations qtTexts(L10n::current());
    // Qt's raster engine hands the spans of a larger fill (an antialiased
    // path already) to its global thread pool, whose threads end after 30 s
    // without work and start again with the next paint. One pool thread
    // that stays keeps the program's threads a fixed number.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    QThreadPool::globalInstance()->setExpiryTimeout(-1);
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
    services.defaults = defaults;
    services.shell = shell;
    services.launchedAsLoginItem = command.loginItem;
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
    QtShell shellParts(delegate, {main, shell, defaults, platform.workspace, appearance});

    std::unique_ptr<QSocketNotifier> reopenRequests;
    if (instance) {
        instance->onReopen = delegate.lifetime().guarded([&delegate] { delegate.applicationShouldHandleReopen(); });
        reopenRequests = std::make_unique<QSocketNotifier>(instance->descriptor(), QSocketNotifier::Read);
        QObject::connect(reopenRequests.get(), &QSocketNotifier::activated, reopenRequests.get(),
                         [&instance] { instance->acceptPending(); });
    }
    TerminationSignals termination([&shell](int) { shell->terminate(EXIT_SUCCESS); });

    delegate.applicationDidFinishLaunching();
    const int status = QApplication::exec();
    delegate.applicationWillTerminate();
    return status;
}

}  // namespace tessaly
