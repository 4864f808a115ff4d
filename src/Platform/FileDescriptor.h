#pragma once
// An owned file descriptor, closed on every way out unless handed on.
#include <unistd.h>

#include <utility>

namespace tessaly {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    // Hands the descriptor on; this one no longer closes it.
    int release() { return std::exchange(fd_, -1); }
    // Closes now and reports whether the close worked.
    bool close() { return ::close(release()) == 0; }

private:
    int fd_;
};

}  // namespace tessaly
