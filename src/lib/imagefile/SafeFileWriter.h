#pragma once
// Writes a file under a temporary name in the destination's folder and moves
// it over the destination only when everything was written, so a failed or
// interrupted write never leaves a half-written file behind.
#include <cstdio>
#include <string>

class SafeFileWriter {
public:
    // Creates the temporary file; IsOpen() tells whether that worked.
    explicit SafeFileWriter(const char* path);
    // Removes the temporary file unless Commit() succeeded.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The temporary file as a buffered stream (null when not open).
    FILE* Stream();
    // The temporary file's descriptor (-1 when not open).
    int Descriptor() const { return fd_; }
    // Flushes the data to disk and renames the temporary file over the
    // destination.  Returns false (and removes the temporary) on any error.
    bool Commit();

private:
    void Discard();

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    FILE* stream_ = nullptr;
};
