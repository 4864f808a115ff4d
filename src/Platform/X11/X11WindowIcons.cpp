#include "Platform/X11/X11WindowIcons.h"

#include <cstdlib>

namespace tessaly {

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

std::optional<AppIcon> X11WindowIcons::processIcon(ProcessID pid, int preferredSide) const {
    const auto clients = windows_.clientList();
    const auto owners = windows_.pids(clients);
    for (std::size_t i = 0; i < clients.size() && i < owners.size(); ++i) {
        if (owners[i] != pid) continue;
        if (auto icon = windowIcon(clients[i], preferredSide)) return icon;
    }
    return std::nullopt;
}

}  // namespace tessaly
