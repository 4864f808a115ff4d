#include "AXKit/URLText.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "Platform/HexDigit.h"

namespace tessaly {

namespace {

std::string percentDecoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = hexDigitValue(text[i + 1]);
            const int lo = hexDigitValue(text[i + 2]);
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

bool parsesAsURL(const std::string& text) {
    // The characters a URL reference may hold, with well-formed escapes.
    static constexpr std::string_view allowed =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~:/?#[]@!$&'()*+,;=%";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (allowed.find(c) == std::string_view::npos) return false;
        if (c == '%') {
            if (i + 2 >= text.size()) return false;
            if (hexDigitValue(text[i + 1]) < 0 || hexDigitValue(text[i + 2]) < 0) return false;
        }
    }
    return true;
}

std::string fileURLForPath(const std::string& path) {
    static constexpr std::string_view plain =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~/!$&'()*+,;=:@";
    // A relative path names a place under the current folder, not a host.
    std::string absolute = path;
    if (absolute.empty() || absolute.front() != '/') {
        std::error_code error;
        const std::filesystem::path here = std::filesystem::current_path(error);
        std::string base = error ? std::string("/") : here.string();
        if (base.empty() || base.back() != '/') base.push_back('/');
        absolute = base + absolute;
    }
    std::string url = "file://";
    for (const char c : absolute) {
        if (plain.find(c) != std::string_view::npos) {
            url.push_back(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            url.append(escaped);
        }
    }
    return url;
}

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
