#pragma once
// Launch at login: an XDG autostart entry, $XDG_CONFIG_HOME/autostart/
// tessaly.desktop, whose command starts this program with "--login-item".
// It counts as on while the entry is there and not marked Hidden.
//
// A change that cannot be made (no executable known, a read-only config
// folder, ...) answers false, is logged at error level under "app", and is
// reported through onChangeResult, so the shell can tell the user and the
// settings window can put its toggle back.
//
// Main thread only.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

class LoginItem {
public:
    // The command-line switch of a start at login.
    static constexpr std::string_view loginItemArgument = "--login-item";

    // $XDG_CONFIG_HOME/autostart/tessaly.desktop (else ~/.config/...);
    // absent without a home.
    static std::optional<std::filesystem::path> defaultEntryFile();

    // `executable` is what the entry starts; without it (or without an
    // entry file) launch at login cannot be turned on.
    LoginItem(std::optional<std::filesystem::path> entryFile, std::optional<std::filesystem::path> executable);

    // An entry can be written: both paths are known and the executable's
    // path can be written as an entry's command.
    bool canLaunchAtLogin() const;
    // The entry is there, readable, and not Hidden.
    bool isEnabled() const;
    // Writes (atomically, creating the autostart folder) or removes the
    // entry. True when the state asked for holds afterwards.
    bool setEnabled(bool enabled, std::string* why = nullptr);

    // An entry that is on but differs from the one this program writes
    // (it starts another copy, a build tree or an older installation, or
    // lacks the name and icon) is written again for this program, so the
    // copy that runs is the one started at login. True when it was.
    bool refresh(std::string* why = nullptr);

    // Called after every setEnabled with whether it worked.
    std::function<void(bool succeeded)> onChangeResult;

    // The entry's Exec value: the executable quoted as the desktop entry
    // format asks, then the login-item switch. Absent for a path holding a
    // line break or other control character.
    static std::optional<std::string> execValue(const std::filesystem::path& executable);
    // The whole entry file for an Exec value.
    static std::string entryText(std::string_view execValue);
    // Whether an entry's text marks it Hidden (in its [Desktop Entry] group).
    static bool isHiddenEntry(std::string_view text);

    const std::optional<std::filesystem::path>& entryFile() const { return entryFile_; }

private:
    bool change(bool enabled, std::string* why);

    std::optional<std::filesystem::path> entryFile_;
    std::optional<std::filesystem::path> executable_;
};

}  // namespace tessaly
