#include "Platform/X11/X11WindowIcons.h"

#include <xcb/xcb_icccm.h>

#include <array>
#include <cstdlib>

namespace tessaly {

namespace {

// The bytes per row of a `width`-wide image of `depth` as this server lays
// it out, when this reader takes that layout: bitmaps one bit per pixel,
// in either bit order but with bytes in memory order; deeper images 32 bits
// per pixel.
std::optional<int> strideFor(const xcb_setup_t& setup, int depth, int width) {
    for (auto it = xcb_setup_pixmap_formats_iterator(&setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth != depth) continue;
        const int bits = it.data->bits_per_pixel;
        const int pad = it.data->scanline_pad;
        if (bits != (depth == 1 ? 1 : 32) || pad == 0 || pad % 8 != 0) return std::nullopt;
        const bool bytesInOrder =
            setup.image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST || setup.bitmap_format_scanline_unit == 8;
        if (depth == 1 && !bytesInOrder) return std::nullopt;
        return (width * bits + pad - 1) / pad * (pad / 8);
    }
    return std::nullopt;
}

// Whether the root visual keeps red, green and blue in one byte each, as
// 0x00RRGGBB pixels.
bool rootIsPlainTrueColor(const xcb_screen_t& screen) {
    for (auto d = xcb_screen_allowed_depths_iterator(&screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id != screen.root_visual) continue;
            return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000 &&
                   v.data->green_mask == 0xff00 && v.data->blue_mask == 0xff;
        }
    }
    return false;
}

bool bitAt(const std::uint8_t* row, int x, bool leastSignificantFirst) {
    const std::uint8_t byte = row[x / 8];
    return ((leastSignificantFirst ? byte >> (x % 8) : byte >> (7 - x % 8)) & 1) != 0;
}

std::uint32_t pixelAt(const std::uint8_t* row, int x, bool leastSignificantFirst) {
    const std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
    return leastSignificantFirst ? p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24
                                 : p[3] | p[2] << 8 | p[1] << 16 | static_cast<std::uint32_t>(p[0]) << 24;
}

}  // namespace

X11WindowIcons::X11WindowIcons(const X11Connection& connection, const X11Windows& windows)
    : x_(connection), windows_(windows), iconAtom_(connection.internAtom("_NET_WM_ICON")) {}

std::optional<AppIcon> X11WindowIcons::pick(std::span<const std::uint32_t> values, int preferredSide) {
    std::optional<std::span<const std::uint32_t>> best;
    int bestWidth = 0;
    int bestHeight = 0;
    auto distance = [&](int width, int height) { return std::abs(std::max(width, height) - preferredSide); };
    std::size_t at = 0;
    while (values.size() - at >= 2) {
        const std::uint64_t width = values[at];
        const std::uint64_t height = values[at + 1];
        at += 2;
        if (width == 0 || height == 0) break;
        const std::uint64_t count = width * height;  // both below 2^32: no overflow
        if (count > values.size() - at) break;
        const auto pixels = values.subspan(at, static_cast<std::size_t>(count));
        at += static_cast<std::size_t>(count);
        if (width > kMaxSide || height > kMaxSide) continue;
        const int w = static_cast<int>(width);
        const int h = static_cast<int>(height);
        const bool better = !best || distance(w, h) < distance(bestWidth, bestHeight) ||
                            (distance(w, h) == distance(bestWidth, bestHeight) && w * h > bestWidth * bestHeight);
        if (better) {
            best = pixels;
            bestWidth = w;
            bestHeight = h;
        }
    }
    if (!best) return std::nullopt;
    return AppIcon{bestWidth, bestHeight, std::vector<std::uint32_t>(best->begin(), best->end())};
}

std::optional<AppIcon> X11WindowIcons::windowIcon(xcb_window_t window, int preferredSide) const {
    if (iconAtom_ == XCB_ATOM_NONE || window == kNoWindow) return std::nullopt;
    const auto reply = x_.readProperty(window, iconAtom_, kMaxPropertyBytes / 4);
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_CARDINAL) return std::nullopt;
    const auto count = static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) / 4;
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return pick(std::span<const std::uint32_t>(data, count), preferredSide);
}

template <typename Read>
std::optional<AppIcon> X11WindowIcons::firstOfProcess(ProcessID pid, Read read) const {
    const auto clients = windows_.clientList();
    const auto owners = windows_.pids(clients);
    for (std::size_t i = 0; i < clients.size() && i < owners.size(); ++i) {
        if (owners[i] != pid) continue;
        if (auto icon = read(clients[i])) return icon;
    }
    return std::nullopt;
}

std::optional<AppIcon> X11WindowIcons::processIcon(ProcessID pid, int preferredSide) const {
    return firstOfProcess(pid, [&](xcb_window_t client) { return windowIcon(client, preferredSide); });
}

std::optional<AppIcon> X11WindowIcons::processHintsIcon(ProcessID pid) const {
    return firstOfProcess(pid, [&](xcb_window_t client) { return hintsIcon(client); });
}

std::optional<AppIcon> X11WindowIcons::hintsIcon(xcb_window_t window) const {
    xcb_connection_t* c = x_.get();
    xcb_icccm_wm_hints_t hints{};
    if (window == kNoWindow || !xcb_icccm_get_wm_hints_reply(c, xcb_icccm_get_wm_hints(c, window), &hints, nullptr) ||
        !(hints.flags & XCB_ICCCM_WM_HINT_ICON_PIXMAP) || hints.icon_pixmap == XCB_NONE) {
        return std::nullopt;
    }
    const xcb_pixmap_t mask = (hints.flags & XCB_ICCCM_WM_HINT_ICON_MASK) ? hints.icon_mask : XCB_NONE;
    std::vector<xcb_drawable_t> pixmaps{hints.icon_pixmap};
    if (mask != XCB_NONE) pixmaps.push_back(mask);
    const auto geometries =
        xcbPipeline(c, pixmaps, [c](xcb_drawable_t d) { return xcb_get_geometry(c, d); }, xcb_get_geometry_reply);
    if (!geometries[0]) return std::nullopt;
    const int width = geometries[0]->width;
    const int height = geometries[0]->height;
    const int screenDepth = x_.screen().root_depth;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return std::nullopt;
    if (geometries[0]->depth != 1 && (geometries[0]->depth != screenDepth || !rootIsPlainTrueColor(x_.screen()))) {
        return std::nullopt;
    }
    // A mask is a bitmap at least as large as the icon; another one is not used.
    const bool masked = mask != XCB_NONE && geometries[1] && geometries[1]->depth == 1 &&
                        geometries[1]->width >= width && geometries[1]->height >= height;
    if (!masked) pixmaps.resize(1);
    const xcb_setup_t& setup = *xcb_get_setup(c);
    const auto images = xcbPipeline(
        c, pixmaps,
        [&](xcb_drawable_t d) {
            return xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, d, 0, 0, static_cast<std::uint16_t>(width),
                                 static_cast<std::uint16_t>(height), ~0u);
        },
        xcb_get_image_reply);
    // Each image's data and row length, checked against what really came.
    std::array<const std::uint8_t*, 2> data{};
    std::array<std::size_t, 2> stride{};
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int depth = i == 0 ? geometries[0]->depth : 1;
        const auto rowBytes = strideFor(setup, depth, width);
        if (!images[i] || images[i]->depth != depth || !rowBytes ||
            static_cast<std::size_t>(xcb_get_image_data_length(images[i].get())) <
                static_cast<std::size_t>(*rowBytes) * static_cast<std::size_t>(height)) {
            return std::nullopt;
        }
        data[i] = xcb_get_image_data(images[i].get());
        stride[i] = static_cast<std::size_t>(*rowBytes);
    }
    const bool lsbBits = setup.bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const bool lsbBytes = setup.image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const bool bitmap = geometries[0]->depth == 1;
    AppIcon icon{width, height, {}};
    icon.argb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = data[0] + static_cast<std::size_t>(y) * stride[0];
        const std::uint8_t* maskRow = masked ? data[1] + static_cast<std::size_t>(y) * stride[1] : nullptr;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = bitmap ? (bitAt(row, x, lsbBits) ? 0x000000u : 0xffffffu)
                                             : pixelAt(row, x, lsbBytes) & 0xffffffu;
            const bool shown = !maskRow || bitAt(maskRow, x, lsbBits);
            icon.argb.push_back(shown ? 0xff000000u | rgb : 0u);
        }
    }
    return icon;
}

}  // namespace tessaly
