#include "SafeFileWriter.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> tempCounter{0};

// A fresh hidden name in the destination's folder, short enough to be a
// valid name whatever the length of the destination's own name.
std::string TempNameFor(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return folder + ".imagefile-" + std::to_string(::getpid()) + "-" + std::to_string(tempCounter++) + ".part";
}

}  // namespace

SafeFileWriter::SafeFileWriter(const char* path) : path_(path ? path : "") {
    if (path_.empty()) return;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempPath_ = TempNameFor(path_);
        fd_ = ::open(tempPath_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) tempPath_.clear();
}

SafeFileWriter::~SafeFileWriter() { Discard(); }

FILE* SafeFileWriter::Stream() {
    if (fd_ >= 0 && stream_ == nullptr) stream_ = ::fdopen(fd_, "w+b");
    return stream_;
}

bool SafeFileWriter::Commit() {
    if (fd_ < 0) return false;
    bool ok = true;
    if (stream_ != nullptr) ok = std::fflush(stream_) == 0 && !std::ferror(stream_);
    ok = ok && ::fsync(fd_) == 0;
    const int closed = stream_ != nullptr ? std::fclose(stream_) : ::close(fd_);
    stream_ = nullptr;
    fd_ = -1;
    ok = ok && closed == 0 && std::rename(tempPath_.c_str(), path_.c_str()) == 0;
    if (!ok) ::unlink(tempPath_.c_str());
    tempPath_.clear();
    return ok;
}

void SafeFileWriter::Discard() {
    if (fd_ < 0) return;
    if (stream_ != nullptr) std::fclose(stream_);
    else ::close(fd_);
    stream_ = nullptr;
    fd_ = -1;
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
}
