#include "TessalyApp/AppInfo.h"

#include <charconv>
#include <fstream>

namespace tessaly::AppInfo {

#ifndef TESSALY_APP_NAME
namespace {

std::string processName() {
    std::ifstream comm("/proc/self/comm");
    std::string line;
    if (std::getline(comm, line) && !line.empty()) return line;
    return "tessaly";
}

}  // namespace
#endif

std::string name() {
#ifdef TESSALY_APP_NAME
    return TESSALY_APP_NAME;
#else
    static const std::string process = processName();
    return process;
#endif
}

std::string version() {
#ifdef TESSALY_APP_VERSION
    return TESSALY_APP_VERSION;
#else
    return "dev";
#endif
}

std::string build() {
#ifdef TESSALY_APP_BUILD
    return TESSALY_APP_BUILD;
#else
    return "0";
#endif
}

long long buildNumber() { return parseBuildNumber(build()); }

long long parseBuildNumber(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    if (digits.empty()) return 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
    }
    // from_chars takes a leading minus but not a plus.
    if (text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return 0;
    return value;
}

}  // namespace tessaly::AppInfo
