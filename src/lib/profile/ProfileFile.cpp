#include "ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

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
    // Closes now and reports the result, so that a failed close counts.
    int32_t Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : -errno;
    }

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

int32_t WriteAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// The file a path finally names: a symbolic link is followed, so that the
// rename replaces the file the link points at, not the link.
std::string TargetOf(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

int32_t FlushFolder(const std::string& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) return -errno;
    return ::fsync(fd.get()) == 0 ? 0 : -errno;
}

// Writes content into a new, flushed temporary file beside target and
// returns its path in tempPath.
int32_t WriteTemporary(const std::string& target, mode_t mode, const std::string& content,
                       std::string& tempPath) {
    std::string pattern = target + ".tmp-XXXXXX";
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid()) return -errno;
    tempPath = pattern;
    int32_t result = WriteAll(fd.get(), content);
    if (result == 0 && ::fchmod(fd.get(), mode) != 0) result = -errno;
    if (result == 0 && ::fsync(fd.get()) != 0) result = -errno;
    if (result == 0) result = fd.Close();
    if (result != 0) ::unlink(tempPath.c_str());
    return result;
}

// Opens the file for reading, creating it empty when it does not exist.  A
// read-only folder cannot take a new file, but an existing file in it can
// still be read.
int OpenCreatingIfMissing(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, kNewFileMode);
    if (fd >= 0 || (errno != EACCES && errno != EROFS)) return fd;
    const int createError = errno;
    const int existing = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (existing < 0 && errno == ENOENT) errno = createError;  // missing and cannot be made
    return existing;
}

}  // namespace

int32_t ReadOrCreate(const std::string& path, std::string& content) {
    FileDescriptor fd(OpenCreatingIfMissing(path));
    if (!fd.valid()) return -errno;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return -errno;
    if (S_ISDIR(info.st_mode)) return -EISDIR;
    return ReadAll(fd.get(), content);
}

int32_t Replace(const std::string& path, const std::string& content) {
    const std::string target = TargetOf(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return -errno;
    std::string tempPath;
    if (const int32_t result = WriteTemporary(target, info.st_mode & 07777, content, tempPath)) {
        return result;
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        const int32_t result = -errno;
        ::unlink(tempPath.c_str());
        return result;
    }
    return FlushFolder(FolderOf(target));
}

}  // namespace profile_file
