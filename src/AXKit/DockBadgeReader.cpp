#include "AXKit/DockBadgeReader.h"

#include <utility>
#include <vector>

namespace tessaly {

DockBadgeReader::DockBadgeReader(std::shared_ptr<DockBadges> badges) : badges_(std::move(badges)) {}

std::optional<ProcessID> DockBadgeReader::dockApplication() {
    const std::optional<ProcessID> pid = badges_ ? badges_->dockProcess() : std::nullopt;
    if (!pid) {
        dockPID_.reset();
        return std::nullopt;
    }
    // A restarted host (new pid) replaces the cached one.
    dockPID_ = pid;
    return dockPID_;
}

BadgeMap DockBadgeReader::read() {
    BadgeMap result;
    const std::optional<ProcessID> dock = dockApplication();
    if (!dock) return result;
    for (const DockTile& tile : badges_->tiles(*dock, dockTimeout)) {
        if (!tile.statusLabel || tile.statusLabel->empty()) continue;
        if (!tile.url) continue;
        result[standardizedFilePath(*tile.url)] = *tile.statusLabel;
    }
    return result;
}

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = hexValue(text[i + 1]);
            const int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

std::string standardizedFilePath(const std::string& location) {
    std::string path = location;
    // scheme "://" authority path
    if (const auto scheme = path.find("://"); scheme != std::string::npos &&
                                              path.find('/') == scheme + 1) {
        const auto pathStart = path.find('/', scheme + 3);
        path = pathStart == std::string::npos ? std::string("/") : path.substr(pathStart);
        if (const auto query = path.find_first_of("?#"); query != std::string::npos) path.erase(query);
        path = percentDecoded(path);
    }
    const bool absolute = !path.empty() && path.front() == '/';
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('/', start);
        const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") parts.pop_back();
            else if (!absolute) parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out.push_back('/');
        out += parts[i];
    }
    return out;
}

}  // namespace tessaly
