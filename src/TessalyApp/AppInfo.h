#pragma once
// The program's name, version and build, as the build declares them, with
// fixed fallbacks for a build that declares none: the process name, "dev"
// and "0". The build number decides whether updates are possible.
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::AppInfo {

std::string name();
std::string version();
std::string build();
// `build` read as a decimal integer; 0 when it is not one.
long long buildNumber();

// The reading of a build string: an optional sign and decimal digits only,
// within range; 0 for anything else ("1.2", "abc", "").
long long parseBuildNumber(std::string_view build);

}  // namespace tessaly::AppInfo
