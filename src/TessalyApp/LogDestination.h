#pragma once
// Where the program's log lines go. Started by a service manager that
// connects standard error to the journal (JOURNAL_STREAM names that stream),
// lines go to the journal; started from a terminal, a session script or a
// test that captures its output, they go to standard error, so whoever
// started the program sees them.
#include <string_view>
#include <sys/types.h>

namespace tessaly::LogDestination {

// Whether JOURNAL_STREAM's value ("<device>:<inode>") names the file with
// that device and inode. False for an absent or malformed value.
bool namesStream(const char* journalStream, dev_t device, ino_t inode);

// Points the log facade at the journal or at standard error, as above.
void choose();

}  // namespace tessaly::LogDestination
