#pragma once
// Which tabs a shown bar of the program draws and which one is lit, read
// from the bar's own pixels along one row: below the tabs' rounded top,
// above their icons and titles, where only the tabs' backgrounds differ from
// the bar's. The active tab is the one drawn in the active colour, the
// lightest in a light bar, set apart from the others.
#include "ScreenReadback.h"

#include "Platform/X11/X11Desktop.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace tessaly::e2e {

// One tab as the bar shows it, in root coordinates.
struct ShownTab {
    double minX = 0;
    double maxX = 0;
    std::uint32_t colour = 0;
    bool active = false;
    double midX() const { return std::round((minX + maxX) / 2); }
};

// The row of a bar's pixels read.
inline constexpr int kBarScanRow = 5;
// A tab is never narrower than this; anything narrower on the row is not a tab.
inline constexpr double kNarrowestTab = 40;

// The tabs along the bar's scan row, left to right; none for a bar that is
// not shown.
inline std::vector<ShownTab> tabsOf(test::X11Desktop& desktop, const ShownWindow& bar) {
    xcb_connection_t* c = desktop.connection().get();
    const auto width = static_cast<std::uint16_t>(bar.rect.size.width);
    if (bar.window == kNoWindow || width < 4) return {};
    auto image = xcbReply(c, xcb_get_image_reply,
                          xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, bar.window, 0, kBarScanRow, width, 1, ~0u));
    if (!image || xcb_get_image_data_length(image.get()) < 4 * width) return {};
    const std::uint8_t* data = xcb_get_image_data(image.get());
    const auto pixel = [&](int x) {
        const std::uint8_t* p = data + 4 * x;
        return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    };
    const auto differs = [](std::uint32_t a, std::uint32_t b) {
        for (int shift = 0; shift < 24; shift += 8) {
            if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) > 2) return true;
        }
        return false;
    };
    const std::uint32_t fill = pixel(2);  // the bar's own background, left of the row
    std::vector<ShownTab> tabs;
    for (int x = 0; x < width;) {
        if (!differs(pixel(x), fill)) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < width && differs(pixel(x), fill)) ++x;
        if (x - start >= kNarrowestTab) tabs.push_back({bar.rect.minX() + start, bar.rect.minX() + x, pixel(start + 3), false});
    }
    const auto luminance = [](std::uint32_t rgb) { return (rgb & 0xff) + ((rgb >> 8) & 0xff) + ((rgb >> 16) & 0xff); };
    if (!tabs.empty()) {
        const auto lightest = std::max_element(tabs.begin(), tabs.end(), [&](const auto& a, const auto& b) {
            return luminance(a.colour) < luminance(b.colour);
        });
        const auto darkest = std::min_element(tabs.begin(), tabs.end(), [&](const auto& a, const auto& b) {
            return luminance(a.colour) < luminance(b.colour);
        });
        if (tabs.size() == 1 || luminance(lightest->colour) > luminance(darkest->colour) + 20) lightest->active = true;
    }
    return tabs;
}

// The index of the active tab; -1 when none is told apart.
inline int activeIndex(const std::vector<ShownTab>& tabs) {
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (tabs[i].active) return static_cast<int>(i);
    }
    return -1;
}

// "12-180* 181-350": each tab's extent, the active one starred.
inline std::string describeTabs(const std::vector<ShownTab>& tabs) {
    std::string text;
    for (const auto& tab : tabs) {
        text += (text.empty() ? "" : " ") + std::to_string(static_cast<int>(tab.minX)) + "-" +
                std::to_string(static_cast<int>(tab.maxX)) + (tab.active ? "*" : "");
    }
    return text.empty() ? "no tabs" : text;
}

}  // namespace tessaly::e2e
