#pragma once
// Starting this program again once the running process has ended.
//
// The executable is resolved when the program starts: after a package
// upgrade replaced the file, /proc/self/exe reads "<path> (deleted)", and
// the path without that suffix is where the new program now is.
//
// scheduleReopen() starts a small helper, /bin/sh with a fixed script whose
// values (the executable, the old process id and its start time, the number
// of polls) arrive as arguments and are never spliced into shell text. The
// helper runs in a session of its own with no descriptor of ours but its
// standard error, so neither the instance lock nor the X connection
// outlives this process. It checks ten times a second that the old process
// still exists (a zombie counts as ended; a recycled process id does not
// count as the old process) and starts the new program only once the old
// one has ended. When the old process is still there after about 10 s, it
// starts nothing: a second copy would meet the first one's instance lock,
// so it gives up and says so on standard error.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

class AppRelauncher {
public:
    static constexpr int maxPolls = 100;  // at 0.1 s each

    // The program's own executable; absent when it cannot be read or no
    // longer exists.
    static std::optional<std::filesystem::path> resolveOwnExecutable();
    // The executable a /proc/<pid>/exe link text names, without the kernel's
    // " (deleted)" suffix; absent for a text that is no absolute path.
    static std::optional<std::filesystem::path> executableFromLink(std::string_view linkText);
    // The start time of a process in clock ticks since boot (field 22 of
    // /proc/<pid>/stat); together with the pid it names one process.
    static std::optional<std::string> processStartTime(pid_t pid);

    explicit AppRelauncher(std::optional<std::filesystem::path> executable);

    const std::optional<std::filesystem::path>& executable() const { return executable_; }

    // Starts the helper that opens the program again after this process has
    // ended. False, with `why` set, when it cannot: no executable known, the
    // file is gone or not executable, or the helper did not start. Nothing
    // is started then, and the caller must not quit.
    bool scheduleReopen(std::string* why = nullptr) const;

    // The same for any process and number of polls: the helper's process id.
    std::optional<pid_t> startHelper(pid_t oldProcess, int polls, std::string* why = nullptr) const;

    // The helper's script: $0 the executable, $1 the old pid, $2 its start
    // time (empty: unknown), $3 the number of polls.
    static std::string_view helperScript();

private:
    std::optional<std::filesystem::path> executable_;
};

}  // namespace tessaly
