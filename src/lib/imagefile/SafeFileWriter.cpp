#include "SafeFileWriter.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> tempCounter{0};

// A fresh name next to the destination: "<path>.<pid>.<n>.part".
std::string TempNameFor(const std::string& path) {
    return path + "." + std::to_string(::getpid()) + "." + std::to_string(tempCounter++) + ".part";
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
