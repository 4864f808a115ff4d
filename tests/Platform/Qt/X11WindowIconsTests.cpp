// Window icons: choosing among a property's images, and reading real
// clients' properties and WM_HINTS icon pixmaps, including ones that are
// cut short, absurdly large or of a depth no icon has.
#include "Platform/X11/X11WindowIcons.h"

#include "Platform/Qt/QtOnX11.h"
#include "Platform/Qt/X11IconClient.h"

#include <gtest/gtest.h>

#include <vector>

using tessaly::AppIcon;
using tessaly::X11WindowIcons;

namespace {

std::vector<std::uint32_t> property(const std::string& kind) { return *tessaly::test::iconClientProperty(kind); }

void expectIcon(const std::optional<AppIcon>& icon, int side, std::uint32_t argb) {
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, side);
    EXPECT_EQ(icon->height, side);
    ASSERT_EQ(icon->argb.size(), static_cast<std::size_t>(side * side));
    EXPECT_EQ(icon->argb.front(), argb);
    EXPECT_EQ(icon->argb.back(), argb);
}

}  // namespace

TEST(X11WindowIcons, PicksTheImageNearestThePreferredSizeAndTheLargerOnATie) {
    const auto values = property("choice");
    expectIcon(X11WindowIcons::pick(values), 32, 0xff00ff00);
    expectIcon(X11WindowIcons::pick(values, 16), 16, 0xff0000ff);
    expectIcon(X11WindowIcons::pick(values, 40), 48, 0xffff0000);  // 32 and 48 are both 8 away
    expectIcon(X11WindowIcons::pick(values, 1000), 48, 0xffff0000);
}

TEST(X11WindowIcons, CutOrCorruptDataEndsTheListAndOversizedImagesArePassedOver) {
    EXPECT_FALSE(X11WindowIcons::pick(property("truncated")));
    EXPECT_FALSE(X11WindowIcons::pick(property("huge")));
    EXPECT_FALSE(X11WindowIcons::pick(property("oversized")));
    expectIcon(X11WindowIcons::pick(property("cut-after-16")), 16, 0xffffff00);
    EXPECT_FALSE(X11WindowIcons::pick({}));
    EXPECT_FALSE(X11WindowIcons::pick(std::vector<std::uint32_t>{16}));
    // A zero side ends the list even when pixels follow.
    std::vector<std::uint32_t> zero{0, 16};
    zero.insert(zero.end(), 16, 0xff000000);
    EXPECT_FALSE(X11WindowIcons::pick(zero));
    // An image past the size limit is skipped when it is complete.
    std::vector<std::uint32_t> wide{600, 1};
    wide.insert(wide.end(), 600, 0xff000000);
    const auto small = property("cut-after-16");
    wide.insert(wide.end(), small.begin(), small.end());
    expectIcon(X11WindowIcons::pick(wide), 16, 0xffffff00);
    // Sides whose product does not fit 32 bits.
    EXPECT_FALSE(X11WindowIcons::pick(std::vector<std::uint32_t>{0xffffffff, 0xffffffff, 1, 2, 3}));
}

namespace {

class X11WindowIconsOnDesktop : public tessaly::test::QtOnX11Test {
protected:
    std::shared_ptr<tessaly::X11Backend> backend = tessaly::X11Backend::open(desktop().display());

    // The icon of a window of our own, never mapped (so that no window
    // manager touches its property), carrying KIND's property.
    std::optional<AppIcon> iconOfWindow(const std::string& kind) {
        xcb_connection_t* c = backend->connection().get();
        const xcb_window_t window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, backend->connection().root(), 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const auto values = *tessaly::test::iconClientProperty(kind);
        if (!values.empty()) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, backend->connection().internAtom("_NET_WM_ICON"),
                                XCB_ATOM_CARDINAL, 32, static_cast<std::uint32_t>(values.size()), values.data());
        }
        X11WindowIcons icons(backend->connection(), backend->windows());
        auto icon = icons.windowIcon(window);
        xcb_destroy_window(c, window);
        backend->connection().flush();
        return icon;
    }
};

}  // namespace

TESSALY_QT_X11_TEST_F(X11WindowIconsOnDesktop, QtDesktop, WindowIconsAreReadWithinTheCap) {
    ASSERT_TRUE(backend);
    expectIcon(iconOfWindow("choice"), 32, 0xff00ff00);
    expectIcon(iconOfWindow("cut-after-16"), 16, 0xffffff00);
    EXPECT_FALSE(iconOfWindow("none"));
    EXPECT_FALSE(iconOfWindow("truncated"));
    EXPECT_FALSE(iconOfWindow("huge"));
    // 2 MiB on the server; only the first 1 MiB is read, which cuts the image.
    EXPECT_FALSE(iconOfWindow("oversized"));
    X11WindowIcons icons(backend->connection(), backend->windows());
    EXPECT_FALSE(icons.windowIcon(0x7fffffff));  // no such window
}

TESSALY_QT_X11_TEST_F(X11WindowIconsOnDesktop, QtDesktop, AProcessIconComesFromItsManagedWindow) {
    ASSERT_TRUE(backend);
    const auto client = desktop().launch({"/proc/self/exe", tessaly::test::kIconClientFlag, "choice"});
    ASSERT_TRUE(client);
    X11WindowIcons icons(backend->connection(), backend->windows());
    expectIcon(icons.processIcon(client->pid), 32, 0xff00ff00);
    EXPECT_FALSE(icons.processIcon(-1));
}

TESSALY_QT_X11_TEST_F(X11WindowIconsOnDesktop, QtDesktop, HintsIconPixmapsAreReadWithTheirMaskWithinTheLimits) {
    ASSERT_TRUE(backend);
    const tessaly::X11Connection& x = backend->connection();
    X11WindowIcons icons(x, backend->windows());
    // On windows of our own, never mapped: no window manager reads the pixmaps.
    const auto hintsOf = [&](const std::string& kind) {
        const xcb_window_t window = xcb_generate_id(x.get());
        xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, window, x.root(), 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        EXPECT_TRUE(tessaly::test::setIconClientHints(x, window, kind)) << kind;
        return icons.hintsIcon(window);
    };
    const auto at = [](const AppIcon& icon, int px, int py) {
        return icon.argb.at(static_cast<std::size_t>(py * icon.width + px));
    };

    const auto masked = hintsOf("hints");
    ASSERT_TRUE(masked);
    ASSERT_EQ(masked->width, 20);
    ASSERT_EQ(masked->height, 20);
    EXPECT_EQ(at(*masked, 2, 10), 0xffff0000u);
    EXPECT_EQ(at(*masked, 15, 10), 0u);  // outside the mask
    const auto bitmap = hintsOf("hints-bitmap");
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->width, 16);
    EXPECT_EQ(at(*bitmap, 5, 2), 0xff000000u);
    EXPECT_EQ(at(*bitmap, 5, 12), 0xffffffffu);
    EXPECT_FALSE(hintsOf("hints-huge"));
    EXPECT_FALSE(hintsOf("hints-deep"));
    EXPECT_FALSE(icons.hintsIcon(0x7fffffff));  // no such window

    // A managed client's: found by its process.
    const auto client = desktop().launch({"/proc/self/exe", tessaly::test::kIconClientFlag, "hints"});
    ASSERT_TRUE(client);
    EXPECT_FALSE(icons.processIcon(client->pid));  // it has no _NET_WM_ICON
    const auto found = icons.processHintsIcon(client->pid);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->argb, masked->argb);
}
