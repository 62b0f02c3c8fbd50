#include "ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "SafeFileWriter.h"

namespace profile_file {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask

// Closes a descriptor on every way out of a function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

int32_t ReadAll(int fd, std::string& content) {
    content.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return 0;
        if (n < 0) {
            if (errno == EINTR) continue;
            return -errno;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
}

// Opens the file for reading, creating it empty when it does not exist.  A
// read-only folder cannot take a new file, but an existing file in it can
// still be read.  O_NONBLOCK: a FIFO must not wait for a writer.
int OpenCreatingIfMissing(const std::string& path) {
    constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int fd = ::open(path.c_str(), kFlags | O_CREAT, kNewFileMode);
    if (fd >= 0 || (errno != EACCES && errno != EROFS)) return fd;
    const int createError = errno;
    const int existing = ::open(path.c_str(), kFlags);
    if (existing < 0 && errno == ENOENT) errno = createError;  // missing and cannot be made
    return existing;
}

int32_t FromWriterError(int error) {
    if (error == kSafeFileReadOnly) return -EACCES;
    if (error == kSafeFileNotRegular) return -EINVAL;
    return error > 0 ? -error : -EIO;
}

}  // namespace

int32_t ReadOrCreate(const std::string& path, std::string& content) {
    FileDescriptor fd(OpenCreatingIfMissing(path));
    if (!fd.valid()) return -errno;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return -errno;
    if (S_ISDIR(info.st_mode)) return -EISDIR;
    // A FIFO or a device is no profile: it could block or never end.
    if (!S_ISREG(info.st_mode)) return -EINVAL;
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return ReadAll(fd.get(), content);
}

int32_t Replace(const std::string& path, const std::string& content) {
    SafeFileWriter writer(path.c_str());
    if (!writer.IsOpen()) return FromWriterError(writer.Error());
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(writer.Descriptor(), content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return writer.Commit() ? 0 : FromWriterError(writer.Error());
}

}  // namespace profile_file
