// Looks an icon up through the icon theme as a desktop does, in the icons
// folders of XDG_DATA_DIRS, and checks that the theme finds it at each size
// asked for and that it draws there: prints one line per size; exit 1 when
// the theme does not find the icon, has no file of a size, or a size draws
// nothing.
//   tessaly-icon-lookup NAME SIZE...
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tessaly-icon-lookup NAME SIZE...\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    // The folders a desktop searches (the offscreen platform has no desktop
    // theme that would name them): "icons" in XDG_DATA_HOME and XDG_DATA_DIRS.
    QIcon::setThemeSearchPaths(QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                                         QStandardPaths::LocateDirectory));
    QIcon::setThemeName(QStringLiteral("hicolor"));
    const QIcon icon = QIcon::fromTheme(QString::fromLocal8Bit(argv[1]));
    if (icon.isNull()) {
        std::fprintf(stderr, "the icon theme has no icon \"%s\" (searched: %s)\n", argv[1],
                     qPrintable(QIcon::themeSearchPaths().join(QStringLiteral(", "))));
        return 1;
    }
    const QList<QSize> listed = icon.availableSizes();
    bool drawn = true;
    for (int i = 2; i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        const QImage image = icon.pixmap(side, side).toImage();
        // The middle of the tile is opaque; the corners around it are not.
        const bool opaqueMiddle = !image.isNull() && qAlpha(image.pixel(side / 2, side / 2)) == 255;
        const bool clearCorner = !image.isNull() && qAlpha(image.pixel(0, 0)) == 0;
        const bool own = listed.contains(QSize(side, side));  // not scaled from another size
        std::printf("%d: %dx%d%s%s\n", side, image.width(), image.height(), own ? "" : " (no file of this size)",
                    opaqueMiddle && clearCorner ? "" : " (draws nothing like the icon)");
        drawn = drawn && own && image.width() == side && image.height() == side && opaqueMiddle && clearCorner;
    }
    return drawn ? EXIT_SUCCESS : EXIT_FAILURE;
}
