#include "TessalyApp/LoginItem.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "Platform/AtomicFile.h"
#include "Platform/Log.h"
#include "Platform/XdgDirectories.h"
#include "TessalyApp/DesktopEntry.h"

namespace tessaly {

namespace {

constexpr std::size_t kMaxEntryBytes = 64 * 1024;

// Characters that make the desktop entry format quote an argument.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

bool fail(std::string* why, std::string message) {
    if (why) *why = std::move(message);
    return false;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<std::filesystem::path> LoginItem::defaultEntryFile() {
    const auto config = XdgDirectories::configHome();
    if (!config) return std::nullopt;
    return *config / "autostart" / "tessaly.desktop";
}

LoginItem::LoginItem(std::optional<std::filesystem::path> entryFile, std::optional<std::filesystem::path> executable)
    : entryFile_(std::move(entryFile)), executable_(std::move(executable)) {}

bool LoginItem::canLaunchAtLogin() const { return entryFile_ && executable_ && execValue(*executable_); }

bool LoginItem::isEnabled() const {
    if (!entryFile_) return false;
    const AtomicFile::ReadResult read = AtomicFile::read(*entryFile_, kMaxEntryBytes);
    return read.status == AtomicFile::ReadStatus::ok && !isHiddenEntry(read.bytes);
}

bool LoginItem::setEnabled(bool enabled, std::string* why) {
    std::string reason;
    const bool succeeded = change(enabled, &reason);
    if (!succeeded) {
        Log::error(LogCategory::app, "launch at login not " + std::string(enabled ? "turned on" : "turned off") +
                                         ": " + reason);
        if (why) *why = reason;
    }
    if (onChangeResult) onChangeResult(succeeded);
    return succeeded;
}

bool LoginItem::change(bool enabled, std::string* why) {
    if (!entryFile_) return fail(why, "there is no config folder for the autostart entry");
    if (!enabled) {
        if (::unlink(entryFile_->c_str()) != 0 && errno != ENOENT) {
            return fail(why, "cannot remove " + entryFile_->string() + ": " + std::strerror(errno));
        }
        return true;
    }
    if (!executable_) return fail(why, "the program's own file is not known");
    const auto exec = execValue(*executable_);
    if (!exec) return fail(why, "the program's path cannot be written in an autostart entry: " + executable_->string());
    if (!AtomicFile::createDirectories(entryFile_->parent_path(), 0700, why)) return false;
    return AtomicFile::write(*entryFile_, entryText(*exec), 0644, why);
}

std::optional<std::string> LoginItem::execValue(const std::filesystem::path& executable) {
    const std::string path = executable.string();
    if (path.empty()) return std::nullopt;
    bool needsQuotes = false;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) return std::nullopt;
        if (kReserved.find(c) != std::string_view::npos) needsQuotes = true;
    }
    // The argument as the command line reads it...
    std::string argument;
    if (needsQuotes) argument += '"';
    for (const char c : path) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) argument += '\\';
        argument += c;
    }
    if (needsQuotes) argument += '"';
    // ...then written as an entry's string value (backslashes doubled), with
    // a literal percent sign doubled so it is no field code.
    std::string value;
    for (const char c : argument) {
        if (c == '\\') value += "\\\\";
        else if (c == '%') value += "%%";
        else value += c;
    }
    return value + " " + std::string(loginItemArgument);
}

std::string LoginItem::entryText(std::string_view execValue) {
    return "[Desktop Entry]\n"
           "Type=Application\n" +
           DesktopEntry::identityLines() + "Exec=" + std::string(execValue) +
           "\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool LoginItem::refresh(std::string* why) {
    if (!entryFile_ || !executable_ || !isEnabled()) return false;
    const auto exec = execValue(*executable_);
    if (!exec) return false;
    const std::string text = entryText(*exec);
    if (AtomicFile::read(*entryFile_, kMaxEntryBytes).bytes == text) return false;
    std::string reason;
    if (!AtomicFile::write(*entryFile_, text, 0644, &reason)) {
        Log::error(LogCategory::app, "the launch-at-login entry could not be renewed: " + reason);
        if (why) *why = reason;
        return false;
    }
    Log::notice(LogCategory::app, "the launch-at-login entry now starts " + executable_->string());
    return true;
}

bool LoginItem::isHiddenEntry(std::string_view text) {
    bool inMainGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto equals = line.find('=');
        if (!inMainGroup || equals == std::string_view::npos) continue;
        if (trimmed(line.substr(0, equals)) == "Hidden") return equalsIgnoringCase(trimmed(line.substr(equals + 1)), "true");
    }
    return false;
}

}  // namespace tessaly
