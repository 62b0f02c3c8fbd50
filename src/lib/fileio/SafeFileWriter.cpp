#include "SafeFileWriter.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

namespace {

// Temporary files in progress, for the signal handler.  A slot is free (0),
// being filled (1) or holds a path that may be removed (2).
constexpr int kSlotCount = 8;
struct PendingSlot {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};
PendingSlot pendingSlots[kSlotCount];
volatile std::sig_atomic_t abandoned = 0;
std::atomic<unsigned> tempCounter{0};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");

int Register(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlotCount; ++i) {
        int expected = 0;
        if (!pendingSlots[i].state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(pendingSlots[i].path, path.c_str(), path.size() + 1);
        pendingSlots[i].state.store(2);
        return i;
    }
    return -1;  // more writers at once than slots: this one is not covered
}

void Unregister(int slot) {
    if (slot >= 0) pendingSlots[slot].state.store(0);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path with every symbolic link of its last part followed, also to a
// target that does not exist yet.  Empty with errno set on a loop.
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        char link[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), link, sizeof link - 1);
        if (length < 0) return path;
        const std::string target(link, static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }
    errno = ELOOP;
    return {};
}

// 0 when target may be replaced; mode receives its permission bits, or -1
// when it does not exist.
int CheckTarget(const std::string& target, int* mode) {
    *mode = -1;
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISREG(info.st_mode)) return kSafeFileNotRegular;
    if (::access(target.c_str(), W_OK) != 0) return errno == EROFS ? EROFS : kSafeFileReadOnly;
    *mode = static_cast<int>(info.st_mode & 07777);
    return 0;
}

// A short hidden name in the target's folder, whatever the length of the
// target's own name.
std::string TempNameFor(const std::string& target) {
    return FolderOf(target) + "/.mv-" + std::to_string(::getpid()) + "-" + std::to_string(tempCounter++) +
           ".tmp";
}

void FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

SafeFileWriter::SafeFileWriter(const char* path, SafeFileLinks links) {
    if (path == nullptr || path[0] == '\0') {
        error_ = ENOENT;
        return;
    }
    if (abandoned) {
        error_ = ECANCELED;
        return;
    }
    target_ = links == SafeFileLinks::Follow ? FollowLinks(path) : std::string(path);
    if (target_.empty()) {
        error_ = errno;
        return;
    }
    struct stat info {};
    const bool replacesLink = ::lstat(target_.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    if (!replacesLink && (error_ = CheckTarget(target_, &mode_)) != 0) return;
    // The signals that abandon a save wait until the new temporary file is
    // registered: one delivered in between would find nothing to remove, and
    // a second one could end the process with the file left behind.
    sigset_t interrupts;
    sigset_t previous;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &previous);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempPath_ = TempNameFor(target_);
        fd_ = ::open(tempPath_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    const int openError = errno;
    if (fd_ >= 0) slot_ = Register(tempPath_);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd_ < 0) {
        error_ = openError;
        tempPath_.clear();
        return;
    }
    if (abandoned) Fail(ECANCELED);
}

SafeFileWriter::~SafeFileWriter() { Discard(); }

FILE* SafeFileWriter::Stream() {
    if (fd_ >= 0 && stream_ == nullptr) stream_ = ::fdopen(fd_, "w+b");
    return stream_;
}

bool SafeFileWriter::Fail(int error) {
    error_ = error;
    Discard();
    return false;
}

bool SafeFileWriter::Commit() {
    if (fd_ < 0) return false;
    if (stream_ != nullptr && (std::fflush(stream_) != 0 || std::ferror(stream_))) return Fail(errno ? errno : EIO);
    if (mode_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) return Fail(errno);
    if (::fsync(fd_) != 0) return Fail(errno);
    const int closed = stream_ != nullptr ? std::fclose(stream_) : ::close(fd_);
    stream_ = nullptr;
    fd_ = -1;
    if (closed != 0) return Fail(errno);
    if (abandoned) return Fail(ECANCELED);
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        // AbandonAll may have removed the temporary file meanwhile.
        return Fail(abandoned ? ECANCELED : errno);
    }
    Unregister(slot_);
    slot_ = -1;
    tempPath_.clear();
    // The new name is in place; flushing the folder makes the rename last.
    FlushFolder(FolderOf(target_));
    return true;
}

void SafeFileWriter::Discard() {
    if (stream_ != nullptr) std::fclose(stream_);
    else if (fd_ >= 0) ::close(fd_);
    stream_ = nullptr;
    fd_ = -1;
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
    Unregister(slot_);
    slot_ = -1;
}

int SafeFileWriter_CheckReplaceable(const char* path) {
    if (path == nullptr || path[0] == '\0') return ENOENT;
    const std::string target = FollowLinks(path);
    if (target.empty()) return errno;
    int mode = -1;
    if (const int error = CheckTarget(target, &mode)) return error;
    const std::string folder = FolderOf(target);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return errno;
    if (!S_ISDIR(info.st_mode)) return ENOTDIR;
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

std::string SafeFileWriter_ErrorText(const std::string& path, int error) {
    std::string reason;
    switch (error) {
    case kSafeFileReadOnly: reason = "the file is read-only"; break;
    case kSafeFileNotRegular: reason = "it is not a regular file"; break;
    case ENOENT:
    case ENOTDIR: reason = "its folder does not exist"; break;
    case EACCES:
    case EPERM: reason = "its folder is not writable"; break;
    case ECANCELED: reason = "cancelled"; break;
    case 0: reason = "unknown error"; break;
    default: reason = std::strerror(error); break;
    }
    return "cannot write " + path + ": " + reason;
}

void SafeFileWriter_AbandonAll() {
    abandoned = 1;
    for (PendingSlot& slot : pendingSlots) {
        if (slot.state.load() == 2) ::unlink(slot.path);
    }
}

bool SafeFileWriter_Abandoned() { return abandoned != 0; }
