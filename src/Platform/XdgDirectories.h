#pragma once
// The user's base folders (XDG base directories). A variable counts only when
// it holds an absolute path; otherwise the home-relative default applies.
#include <filesystem>
#include <optional>

namespace tessaly::XdgDirectories {

// $XDG_CONFIG_HOME, else ~/.config; absent without either.
std::optional<std::filesystem::path> configHome();
// $XDG_DATA_HOME, else ~/.local/share; absent without either.
std::optional<std::filesystem::path> dataHome();
// $XDG_CACHE_HOME, else ~/.cache; absent without either.
std::optional<std::filesystem::path> cacheHome();
// $XDG_RUNTIME_DIR (private to the user); absent when unset. Never a shared
// temporary folder.
std::optional<std::filesystem::path> runtimeDir();

}  // namespace tessaly::XdgDirectories
