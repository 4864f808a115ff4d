#pragma once
// Whole-file reads with a size cap, and writes that a reader never sees half
// done: the bytes go to a temporary file in the same folder, are flushed to
// disk, get their mode, and then replace the target in one rename.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace tessaly::AtomicFile {

// Writes `bytes` to `path` atomically with permission bits `mode`. The folder
// must exist. On failure the target is unchanged, no temporary file is left
// behind, and `error` (when given) says why.
bool write(const std::filesystem::path& path, std::string_view bytes, mode_t mode = 0600,
           std::string* error = nullptr);

// Creates the folder and its missing parents with `mode` (an existing folder
// is fine).
bool createDirectories(const std::filesystem::path& folder, mode_t mode = 0700, std::string* error = nullptr);

enum class ReadStatus {
    ok,
    missing,   // no file at the path (nor a folder that could hold one)
    tooLarge,  // more than the cap
    foreign,   // another user's file, where only the user's own is taken
    failed,    // not a regular file, or reading failed
};

enum class Owner {
    anyone,  // a file the user chose (an import)
    user,    // a file the program keeps for the user (settings, handoff)
};

struct ReadResult {
    ReadStatus status = ReadStatus::failed;
    std::string bytes;  // the whole file when ok
    std::string error;  // why, otherwise
};

// Reads the whole regular file at `path`, refusing one larger than `maxBytes`
// and, for Owner::user, one that belongs to another user than the one the
// program runs as (anyone who could put it there could choose what it says).
ReadResult read(const std::filesystem::path& path, std::size_t maxBytes, Owner owner = Owner::anyone);

}  // namespace tessaly::AtomicFile
