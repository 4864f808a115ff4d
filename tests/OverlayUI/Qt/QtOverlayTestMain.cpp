// The Qt overlay's tests make their own application: offscreen for widget
// behaviour, or an xcb one on a fresh headless desktop in a child process
// for the real-desktop cases (see Platform/Qt/QtOnX11.h).
#include "Platform/Qt/QtOnX11.h"

#include <QApplication>

#include <gmock/gmock.h>

#include <cstdio>

namespace {

// The offscreen platform says so each time a window asks for something it
// cannot do (raise, masks, keyboard grabs): that is expected here.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    if (const auto code = tessaly::test::QtOnX11::runChildIfAsked<QApplication>(argc, argv)) return *code;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreenNotes);
    QApplication app(argc, argv);
    const int status = RUN_ALL_TESTS();
    // Widgets released with deleteLater go before the application does (and
    // what they release in turn).
    for (int pass = 0; pass < 4; ++pass) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return status;
}
