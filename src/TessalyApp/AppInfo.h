#pragma once
// The program's name, version and build, as the build declares them, with
// fixed fallbacks for a build that declares none: the process name, "dev"
// and "0".
#include <string>

namespace tessaly::AppInfo {

std::string name();
std::string version();
std::string build();

}  // namespace tessaly::AppInfo
