// Application icons by process: the desktop entry's icon (a file, the hicolor
// theme, the pixmaps folders) on the simulated desktop, the window's own
// icon on a real one, the generic icon when neither gives one, and the
// cache in between.
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

class QtAppIconSourceTest : public testing::Test {
protected:
    tessaly::testing::TempFolder folder;
    tessaly::testing::ScopedEnvironment environment;
    tessaly::SimEnvironment sim;
    QtAppIconSource source{nullptr, sim.desktop, *sim.clock};

    void SetUp() override {
        environment.set("XDG_DATA_HOME", (folder.path() / "data").string());
        environment.set("XDG_DATA_DIRS", (folder.path() / "shared").string());
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
    writePng(folder.path() / "big.png", 64, 64, Qt::red);
    addApplication(101, (folder.path() / "big.png").string());
    writePng(folder.path() / "shared/pixmaps/tessaly-pixmap.png", 16, 16, Qt::blue);
    addApplication(102, "tessaly-pixmap");
    writePng(folder.path() / "data/icons/hicolor/48x48/apps/tessaly-themed.png", 48, 48, Qt::green);
    addApplication(103, "tessaly-themed");

    const auto file = source.icon(101);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->width, 32);  // scaled down to the icon size
    EXPECT_EQ(centre(file), QColor(Qt::red).rgba());
    EXPECT_EQ(centre(source.icon(102)), QColor(Qt::blue).rgba());
    EXPECT_EQ(centre(source.icon(103)), QColor(Qt::green).rgba());
}

TEST_F(QtAppIconSourceTest, UnusableEntriesGetTheGenericIcon) {
    const auto generic = QtAppIconSource::genericIcon();
    ASSERT_TRUE(generic);
    EXPECT_GT(generic->width, 0);
    writePng(folder.path() / "wide.png", 5000, 2, Qt::red);  // past the side limit
    tessaly::testing::writeFile(folder.path() / "data/pixmaps/broken.png", "not a png");
    writePng(folder.path() / "outside.png", 8, 8, Qt::red);
    addApplication(201, (folder.path() / "wide.png").string());
    addApplication(202, "broken");
    addApplication(203, "../../outside.png");  // names never reach outside the icon folders
    addApplication(204, "");
    addApplication(205, (folder.path() / "missing.png").string());
    for (tessaly::ProcessID pid = 201; pid <= 205; ++pid) EXPECT_EQ(source.icon(pid), generic) << pid;
    EXPECT_EQ(source.icon(999), generic);  // no such application
}

TEST_F(QtAppIconSourceTest, IconsAreKeptPerProcessAndTheGenericOneIsAskedAgainLater) {
    writePng(folder.path() / "icon.png", 8, 8, Qt::red);
    addApplication(301, (folder.path() / "icon.png").string());
    const auto first = source.icon(301);
    fs::remove(folder.path() / "icon.png");
    EXPECT_EQ(source.icon(301), first);

    // Not known yet: generic, until the retry time has passed.
    EXPECT_EQ(source.icon(302), QtAppIconSource::genericIcon());
    writePng(folder.path() / "late.png", 8, 8, Qt::blue);
    addApplication(302, (folder.path() / "late.png").string());
    EXPECT_EQ(source.icon(302), QtAppIconSource::genericIcon());
    sim.clock->advance(QtAppIconSource::kGenericRetry);
    EXPECT_EQ(centre(source.icon(302)), QColor(Qt::blue).rgba());
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

TESSALY_QT_X11_TEST(QtDesktop, AWindowsOwnIconComesFirst) {
    auto backend = tessaly::X11Backend::open(desktop().display());
    ASSERT_TRUE(backend);
    auto main = std::make_shared<tessaly::QtMainExecutor>();
    auto workspace = std::make_shared<tessaly::X11Workspace>(backend, main);
    QtAppIconSource source(backend, workspace);
    const auto client = desktop().launch({"/proc/self/exe", tessaly::test::kIconClientFlag, "choice"});
    ASSERT_TRUE(client);
    const auto icon = source.icon(client->pid);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 32);
    EXPECT_EQ(icon->argb.front(), 0xff00ff00u);
    // Every process gets some icon (openbox gives icon-less clients one of its own).
    const auto logo = desktop().launchXlogo();
    ASSERT_TRUE(logo);
    EXPECT_TRUE(source.icon(logo->pid));
}
