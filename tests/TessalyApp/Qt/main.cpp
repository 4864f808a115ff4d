// The application's widget tests run under one QApplication, offscreen
// unless QT_QPA_PLATFORM says otherwise, or on a real desktop in a child
// (see Platform/Qt/QtOnX11.h).
#include "Platform/Qt/QtOnX11.h"

#include <QApplication>

#include <gmock/gmock.h>

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    if (const auto code = tessaly::test::QtOnX11::runChildIfAsked<QApplication>(argc, argv)) return *code;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
