// Application icons by process: the desktop entry's icon (a file in the
// icon folders, the icon theme and the themes it follows, the pixmaps
// folders) on the simulated desktop, the window's own icon and its WM_HINTS
// icon pixmap on a real one, the generic icon when none of them gives one,
// and the cache in between.
#include "Platform/Qt/QtOnX11.h"  // first: see QtOnX11.h
#include "Platform/Qt/QtAppIconSource.h"
#include "Platform/Qt/QtMainExecutor.h"
#include "Platform/Qt/X11IconClient.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/TestFiles.h"
#include "Platform/X11/X11Workspace.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

using tessaly::AppIcon;
using tessaly::QtAppIconSource;
namespace fs = std::filesystem;

// A square image of one colour, saved as a PNG.
void writePng(const fs::path& file, int width, int height, QColor colour) {
    fs::create_directories(file.parent_path());
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
}

QRgb centre(const std::shared_ptr<const AppIcon>& icon) {
    const QImage image = QtAppIconSource::toImage(*icon);
    return image.pixel(image.width() / 2, image.height() / 2);
}

// An icon theme's index: one folder of fixed-size application icons.
void writeTheme(const fs::path& theme, const std::string& inherits, int side) {
    const std::string folder = std::to_string(side) + "x" + std::to_string(side) + "/apps";
    tessaly::testing::writeFile(theme / "index.theme", "[Icon Theme]\nName=Test\nInherits=" + inherits +
                                                          "\nDirectories=" + folder + "\n\n[" + folder + "]\nSize=" +
                                                          std::to_string(side) + "\nType=Fixed\n");
}

class QtAppIconSourceTest : public testing::Test {
protected:
    tessaly::testing::TempFolder folder;
    tessaly::testing::ScopedEnvironment environment;
    tessaly::SimEnvironment sim;
    std::optional<QtAppIconSource> made;

    void SetUp() override {
        environment.set("XDG_DATA_HOME", (folder.path() / "data").string());
        environment.set("XDG_DATA_DIRS", (folder.path() / "shared").string());
        environment.set("HOME", (folder.path() / "home").string());
        // The system's themes: hicolor, and a default one that follows another.
        writeTheme(folder.path() / "shared/icons/hicolor", "", 48);
        writeTheme(folder.path() / "shared/icons/default", "tessaly-followed", 32);
        writeTheme(folder.path() / "shared/icons/tessaly-followed", "hicolor", 32);
    }
    // Made once the folders are the test's own.
    QtAppIconSource& source() {
        if (!made) made.emplace(nullptr, sim.desktop, *sim.clock);
        return *made;
    }
    // An application whose desktop entry says Icon=`icon`.
    void addApplication(tessaly::ProcessID pid, const std::string& icon) {
        const fs::path entry = folder.path() / "data/applications" / ("app" + std::to_string(pid) + ".desktop");
        tessaly::testing::writeFile(entry, "[Desktop Entry]\nType=Application\nName=App\nIcon=" + icon + "\n");
        sim.desktop->addApplication({pid, "app" + std::to_string(pid), "App", entry.string()});
    }
};

}  // namespace

TEST_F(QtAppIconSourceTest, DesktopEntryIconsComeFromFilesThePixmapsFoldersAndTheTheme) {
    writePng(folder.path() / "data/icons/big.png", 64, 64, Qt::red);
    addApplication(101, (folder.path() / "data/icons/big.png").string());
    writePng(folder.path() / "shared/pixmaps/tessaly-pixmap.png", 16, 16, Qt::blue);
    addApplication(102, "tessaly-pixmap");
    writePng(folder.path() / "data/icons/hicolor/48x48/apps/tessaly-themed.png", 48, 48, Qt::green);
    addApplication(103, "tessaly-themed.png");
    // Only in the theme the default one follows (as a terminal's
    // "utilities-terminal" is only in the desktop's theme, not in hicolor).
    writePng(folder.path() / "shared/icons/tessaly-followed/32x32/apps/tessaly-followed.png", 32, 32, Qt::yellow);
    addApplication(104, "tessaly-followed");

    const auto file = source().icon(101);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->width, 32);  // scaled down to the icon size
    EXPECT_EQ(centre(file), QColor(Qt::red).rgba());
    EXPECT_EQ(centre(source().icon(102)), QColor(Qt::blue).rgba());
    EXPECT_EQ(centre(source().icon(103)), QColor(Qt::green).rgba());
    EXPECT_EQ(centre(source().icon(104)), QColor(Qt::yellow).rgba());
}

TEST_F(QtAppIconSourceTest, UnusableEntriesGetTheGenericIcon) {
    const auto generic = QtAppIconSource::genericIcon();
    ASSERT_TRUE(generic);
    EXPECT_GT(generic->width, 0);
    writePng(folder.path() / "data/icons/wide.png", 5000, 2, Qt::red);  // past the side limit
    tessaly::testing::writeFile(folder.path() / "data/pixmaps/broken.png", "not a png");
    writePng(folder.path() / "outside.png", 8, 8, Qt::red);
    fs::create_symlink(folder.path() / "outside.png", folder.path() / "data/icons/link.png");
    tessaly::testing::writeFile(folder.path() / "data/icons/heavy.png", std::string(9u << 20, 'x'));
    addApplication(201, (folder.path() / "data/icons/wide.png").string());
    addApplication(202, "broken");
    addApplication(203, "../../outside.png");  // names never reach outside the icon folders
    addApplication(204, "");
    addApplication(205, (folder.path() / "data/icons/missing.png").string());
    addApplication(206, (folder.path() / "outside.png").string());  // nor do paths
    addApplication(207, (folder.path() / "data/icons/link.png").string());
    addApplication(208, (folder.path() / "data/icons/heavy.png").string());
    addApplication(209, "/etc/passwd");
    // An entry of megabytes: read no further than an entry ever needs.
    const fs::path huge = folder.path() / "data/applications/huge.desktop";
    tessaly::testing::writeFile(huge, "[Desktop Entry]\nType=Application\nName=Huge\n" +
                                          std::string(1u << 20, '#') + "\nIcon=tessaly-themed\n");
    writePng(folder.path() / "data/icons/hicolor/48x48/apps/tessaly-themed.png", 48, 48, Qt::green);
    sim.desktop->addApplication({210, "huge", "Huge", huge.string()});
    for (tessaly::ProcessID pid = 201; pid <= 210; ++pid) EXPECT_EQ(source().icon(pid), generic) << pid;
    EXPECT_EQ(source().icon(999), generic);  // no such application
}

TEST_F(QtAppIconSourceTest, IconsAreKeptPerProcessAndTheGenericOneIsAskedAgainLater) {
    writePng(folder.path() / "data/icons/icon.png", 8, 8, Qt::red);
    addApplication(301, (folder.path() / "data/icons/icon.png").string());
    const auto first = source().icon(301);
    fs::remove(folder.path() / "data/icons/icon.png");
    EXPECT_EQ(source().icon(301), first);

    // Not known yet: generic, until the retry time has passed.
    EXPECT_EQ(source().icon(302), QtAppIconSource::genericIcon());
    writePng(folder.path() / "data/icons/late.png", 8, 8, Qt::blue);
    addApplication(302, (folder.path() / "data/icons/late.png").string());
    EXPECT_EQ(source().icon(302), QtAppIconSource::genericIcon());
    sim.clock->advance(QtAppIconSource::kGenericRetry);
    EXPECT_EQ(centre(source().icon(302)), QColor(Qt::blue).rgba());
}

TEST(QtAppIconSourceImages, PixelsSurviveTheRoundTripWithoutPremultiplying) {
    const AppIcon icon{2, 2, {0x80ff0000, 0x0000ff00, 0xff0000ff, 0x01020304}};
    const QImage image = QtAppIconSource::toImage(icon);
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), 0x80ff0000u);
    EXPECT_EQ(QtAppIconSource::fromImage(image).argb, icon.argb);
    // A record whose pixels do not fill it gives no image.
    EXPECT_TRUE(QtAppIconSource::toImage(AppIcon{4, 4, {1, 2, 3}}).isNull());
    EXPECT_TRUE(QtAppIconSource::toImage(AppIcon{-1, 4, {}}).isNull());
}

namespace {

// The source over a real desktop's windows and applications.
class QtAppIconSourceOnDesktop : public tessaly::test::QtOnX11Test {
protected:
    std::shared_ptr<tessaly::X11Backend> backend = tessaly::X11Backend::open(desktop().display());
    std::shared_ptr<tessaly::X11Workspace> workspace =
        std::make_shared<tessaly::X11Workspace>(backend, std::make_shared<tessaly::QtMainExecutor>());
    QtAppIconSource source{backend, workspace};
};

}  // namespace

TESSALY_QT_X11_TEST_F(QtAppIconSourceOnDesktop, QtDesktop, AWindowsOwnIconComesFirst) {
    ASSERT_TRUE(backend);
    const auto client = desktop().launch({"/proc/self/exe", tessaly::test::kIconClientFlag, "choice"});
    ASSERT_TRUE(client);
    const auto icon = source.icon(client->pid);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 32);
    EXPECT_EQ(icon->argb.front(), 0xff00ff00u);
    // Without _NET_WM_ICON: the icon pixmap of WM_HINTS, with its mask.
    const auto hinted = desktop().launch({"/proc/self/exe", tessaly::test::kIconClientFlag, "hints"});
    ASSERT_TRUE(hinted);
    const auto pixmap = source.icon(hinted->pid);
    ASSERT_TRUE(pixmap);
    EXPECT_EQ(pixmap->width, 20);
    EXPECT_EQ(pixmap->argb.front(), 0xffff0000u);
    EXPECT_EQ(pixmap->argb.back(), 0u);
    EXPECT_EQ(source.icon(desktop().launch({"/proc/self/exe", tessaly::test::kIconClientFlag, "hints-huge"})->pid),
              QtAppIconSource::genericIcon());
}

TESSALY_QT_X11_TEST_F(QtAppIconSourceOnDesktop, QtDesktop, RealClientsGetTheirOwnIconsNotTheGenericOne) {
    ASSERT_TRUE(backend);
    const QImage generic = QtAppIconSource::toImage(*QtAppIconSource::genericIcon());
    // xterm and xlogo carry only WM_HINTS icon pixmaps; qterminal's desktop
    // entry names a theme icon.
    for (const std::string program : {"xterm", "xlogo", "qterminal"}) {
        const auto client = desktop().launch({program});
        ASSERT_TRUE(client) << program;
        std::shared_ptr<const AppIcon> icon;
        // A client may set its icon just after its window shows.
        ASSERT_TRUE(desktop().waitUntil([&] {
            icon = source.icon(client->pid);
            return icon && icon != QtAppIconSource::genericIcon();
        })) << program << " got the generic icon";
        EXPECT_NE(QtAppIconSource::toImage(*icon).scaled(generic.size()), generic) << program;
    }
}
