#include "RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int OpenRegularFile(const char* path, int* reason) {
    int ignored = 0;
    int& why = reason ? *reason : ignored;
    if (path == nullptr || path[0] == '\0') {
        why = ENOENT;
        return -1;
    }
    // O_NONBLOCK: opening a FIFO without a writer would wait for one.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = errno;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFile;
        ::close(fd);
        return -1;
    }
    // Regular files never block; reading goes on in the usual mode.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool ReadRegularFile(const std::string& path, std::string& content, int* reason) {
    const int fd = OpenRegularFile(path.c_str(), reason);
    if (fd < 0) return false;
    std::string bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            if (reason) *reason = errno;
            ::close(fd);
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    content = std::move(bytes);
    return true;
}

bool IsRegularFile(const char* path) {
    struct stat info {};
    return path != nullptr && ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

std::string FileFailureText(int reason) {
    switch (reason) {
    case kNotRegularFile: return "not a regular file (a FIFO, a device or a socket)";
    case ENOENT: return "no such file";
    case EACCES:
    case EPERM: return "permission denied";
    case EISDIR: return "it is a folder";
    case ENAMETOOLONG: return "path too long";
    case ENOTDIR: return "a part of the path is not a folder";
    default: return std::strerror(reason);
    }
}
