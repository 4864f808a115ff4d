#include "Platform/XdgDirectories.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace tessaly::XdgDirectories {

namespace {

std::optional<std::filesystem::path> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') return std::nullopt;
    return std::filesystem::path(value);
}

std::optional<std::filesystem::path> home() {
    if (auto fromEnvironment = absoluteVariable("HOME")) return fromEnvironment;
    // No usable $HOME: the password database's entry.
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/') {
        return std::filesystem::path(found->pw_dir);
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> resolve(const char* variable, const char* homeRelative) {
    if (auto fromVariable = absoluteVariable(variable)) return fromVariable;
    if (auto homeFolder = home()) return *homeFolder / homeRelative;
    return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> configHome() { return resolve("XDG_CONFIG_HOME", ".config"); }
std::optional<std::filesystem::path> dataHome() { return resolve("XDG_DATA_HOME", ".local/share"); }
std::optional<std::filesystem::path> cacheHome() { return resolve("XDG_CACHE_HOME", ".cache"); }
std::optional<std::filesystem::path> runtimeDir() { return absoluteVariable("XDG_RUNTIME_DIR"); }

}  // namespace tessaly::XdgDirectories
