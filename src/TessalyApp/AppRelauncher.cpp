#include "TessalyApp/AppRelauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

extern char** environ;

namespace tessaly {

namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

// Fixed text: every value reaches it as a positional parameter.
constexpr std::string_view kHelperScript = R"sh(alive() {
  s=
  if ! { read -r s < "/proc/$1/stat"; } 2>/dev/null; then
    [ -d /proc/self ] && return 1
    kill -0 "$1" 2>/dev/null
    return
  fi
  t=$2
  s=${s##*") "}
  set -f
  set -- $s
  set +f
  case $1 in Z|X|x) return 1;; esac
  [ -z "$t" ] || [ "${20}" = "$t" ]
}
i=0
while alive "$1" "$2"; do
  if [ "$i" -ge "$3" ]; then
    echo "tessaly: not restarting: the previous process $1 is still running" >&2
    exit 1
  fi
  /bin/sleep 0.1
  i=$((i + 1))
done
exec "$0"
)sh";

bool fail(std::string* why, std::string message) {
    if (why) *why = std::move(message);
    return false;
}

bool isExecutableFile(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// posix_spawn's attribute and file-action objects, released on every way out.
struct SpawnSetup {
    posix_spawnattr_t attributes{};
    posix_spawn_file_actions_t actions{};
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

std::optional<std::filesystem::path> AppRelauncher::executableFromLink(std::string_view linkText) {
    if (linkText.size() > kDeletedSuffix.size() &&
        linkText.substr(linkText.size() - kDeletedSuffix.size()) == kDeletedSuffix) {
        linkText.remove_suffix(kDeletedSuffix.size());
    }
    if (linkText.empty() || linkText.front() != '/') return std::nullopt;
    return std::filesystem::path(linkText);
}

std::optional<std::filesystem::path> AppRelauncher::resolveOwnExecutable() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::nullopt;
    auto path = executableFromLink(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
    if (!path || !isExecutableFile(*path)) return std::nullopt;
    return path;
}

std::optional<std::string> AppRelauncher::processStartTime(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) return std::nullopt;
    // The command name sits in parentheses and may hold blanks and ')'.
    const auto close = line.rfind(") ");
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field)) return std::nullopt;
    }
    return field;
}

AppRelauncher::AppRelauncher(std::optional<std::filesystem::path> executable) : executable_(std::move(executable)) {}

std::string_view AppRelauncher::helperScript() { return kHelperScript; }

bool AppRelauncher::scheduleReopen(std::string* why) const {
    return startHelper(::getpid(), maxPolls, why).has_value();
}

std::optional<pid_t> AppRelauncher::startHelper(pid_t oldProcess, int polls, std::string* why) const {
    if (!executable_) {
        fail(why, "the program's own file is not known");
        return std::nullopt;
    }
    if (!isExecutableFile(*executable_)) {
        fail(why, "the program's file " + executable_->string() + " is gone or not executable");
        return std::nullopt;
    }
    SpawnSetup setup;
    sigset_t empty;
    sigemptyset(&empty);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGCHLD, SIGUSR1, SIGUSR2}) {
        sigaddset(&defaults, signal);
    }
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setsigmask(&setup.attributes, &empty);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // Nothing of ours but standard output and error: no lock, no X connection.
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);

    const std::string script(kHelperScript);
    const std::string executable = executable_->string();
    const std::string pid = std::to_string(oldProcess);
    const std::string startTime = processStartTime(oldProcess).value_or("");
    const std::string pollCount = std::to_string(polls);
    std::vector<char*> argv;
    for (const std::string* argument : {&script, &executable, &pid, &startTime, &pollCount}) {
        argv.push_back(const_cast<char*>(argument->c_str()));
    }
    char shell[] = "/bin/sh";
    char dashC[] = "-c";
    argv.insert(argv.begin(), {shell, dashC});
    argv.push_back(nullptr);

    pid_t helper = -1;
    const int result = ::posix_spawn(&helper, "/bin/sh", &setup.actions, &setup.attributes, argv.data(), environ);
    if (result != 0) {
        fail(why, std::string("the relaunch helper did not start: ") + std::strerror(result));
        return std::nullopt;
    }
    return helper;
}

}  // namespace tessaly
