#include "TessalyApp/LogDestination.h"

#include "Platform/Log.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace tessaly::LogDestination {

bool namesStream(const char* journalStream, dev_t device, ino_t inode) {
    if (!journalStream) return false;
    const std::string_view value(journalStream);
    const auto colon = value.find(':');
    if (colon == std::string_view::npos) return false;
    unsigned long long dev = 0, ino = 0;
    const char* end = value.data() + value.size();
    const auto d = std::from_chars(value.data(), value.data() + colon, dev);
    const auto i = std::from_chars(value.data() + colon + 1, end, ino);
    if (d.ec != std::errc{} || d.ptr != value.data() + colon || i.ec != std::errc{} || i.ptr != end || colon == 0 ||
        colon + 1 == value.size()) {
        return false;
    }
    return dev == static_cast<unsigned long long>(device) && ino == static_cast<unsigned long long>(inode);
}

void choose() {
    struct stat status {};
    const bool journal =
        fstat(STDERR_FILENO, &status) == 0 && namesStream(std::getenv("JOURNAL_STREAM"), status.st_dev, status.st_ino);
    Log::setJournalPreferred(journal);
}

}  // namespace tessaly::LogDestination
