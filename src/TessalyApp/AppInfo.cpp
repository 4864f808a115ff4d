#include "TessalyApp/AppInfo.h"

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

}  // namespace tessaly::AppInfo
