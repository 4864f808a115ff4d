#include "Platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Platform/FileDescriptor.h"

namespace tessaly::AtomicFile {

namespace {

std::string describe(const std::string& what, const std::filesystem::path& path, int code) {
    return what + " " + path.string() + ": " + std::strerror(code);
}

bool fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool write(const std::filesystem::path& path, std::string_view bytes, mode_t mode, std::string* error) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    // mkostemp fills in the Xs of the name in place.
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) return fail(error, describe("cannot create a temporary file in", folder, errno));
    auto abandon = [&](const std::string& what) {
        const int code = errno;
        ::unlink(temporary.c_str());
        return fail(error, describe(what, path, code));
    };
    if (::fchmod(file.get(), mode) != 0) return abandon("cannot set the mode of");
    if (!writeAll(file.get(), bytes)) return abandon("cannot write");
    if (::fsync(file.get()) != 0) return abandon("cannot flush");
    if (!file.close()) return abandon("cannot close");
    if (::rename(temporary.c_str(), path.c_str()) != 0) return abandon("cannot replace");
    // Make the rename itself durable; a failure here leaves a complete file.
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
    return true;
}

bool createDirectories(const std::filesystem::path& folder, mode_t mode, std::string* error) {
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), mode) != 0 && errno != EEXIST) {
            return fail(error, describe("cannot create the folder", partial, errno));
        }
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return fail(error, describe("not a folder:", folder, ENOTDIR));
    }
    return true;
}

ReadResult read(const std::filesystem::path& path, std::size_t maxBytes, Owner owner) {
    ReadResult result;
    const auto tooLarge = [&] {
        result.status = ReadStatus::tooLarge;
        result.error = path.string() + " is larger than " + std::to_string(maxBytes) + " bytes";
        return result;
    };
    // Non-blocking, so that a named pipe in place of the file fails the
    // regular-file test below instead of waiting for a writer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        result.status = errno == ENOENT || errno == ENOTDIR ? ReadStatus::missing : ReadStatus::failed;
        result.error = describe("cannot open", path, errno);
        return result;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        result.error = "not a regular file: " + path.string();
        return result;
    }
    if (owner == Owner::user && info.st_uid != ::getuid()) {
        result.status = ReadStatus::foreign;
        result.error = path.string() + " belongs to another user (uid " + std::to_string(info.st_uid) +
                       ", not " + std::to_string(::getuid()) + ")";
        return result;
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) return tooLarge();
    // Read up to one byte past the cap, in case the file grew meanwhile.
    std::string bytes;
    char buffer[16384];
    while (true) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            result.error = describe("cannot read", path, errno);
            return result;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > maxBytes) return tooLarge();
    }
    result.status = ReadStatus::ok;
    result.bytes = std::move(bytes);
    return result;
}

}  // namespace tessaly::AtomicFile
