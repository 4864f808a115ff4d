// The Qt platform tests run under an application of their own: offscreen
// unless told otherwise, or on a real desktop in a child (see QtOnX11.h).
#include "Platform/Qt/QtOnX11.h"
#include "Platform/Qt/X11IconClient.h"

#include <QApplication>

#include <gmock/gmock.h>

#include <string_view>

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == tessaly::test::kIconClientFlag) {
        return tessaly::test::runIconClient(argv[2]);
    }
    testing::InitGoogleMock(&argc, argv);
    if (const auto code = tessaly::test::QtOnX11::runChildIfAsked<QApplication>(argc, argv)) return *code;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
