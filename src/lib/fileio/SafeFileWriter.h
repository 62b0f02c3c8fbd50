#pragma once
// The one way every writer replaces a file (images, profiles, actions, the
// host's state file).  The new content goes into a temporary file with a
// short hidden name in the destination's folder and is renamed over the
// destination only when it is complete, so a failed or interrupted write
// never leaves a half-written file behind.  The rule:
//   - a symbolic link is written through: its target is replaced, the link
//     stays;
//   - a destination that exists keeps its permission bits;
//   - a destination the user may not write (a read-only file) is refused,
//     and so is one that is no regular file (a folder, a FIFO, a device);
//   - the data are flushed to disk before the rename, and the folder after.
//
// A signal handler may call SafeFileWriter_AbandonAll: it removes the
// temporary files being written and makes every later Commit fail, so the
// old files stay as they were.
#include <cstdio>
#include <string>

// Errors of the writer beside the errno values (which are all positive).
inline constexpr int kSafeFileReadOnly = -2;    // the destination may not be written
inline constexpr int kSafeFileNotRegular = -3;  // the destination is a folder, a FIFO ...

// What a writer does with a destination that is a symbolic link: write
// through it to its target (the rule for the user's own files), or replace
// the link itself (for files unpacked into a folder, where a planted link
// must not lead the write outside it).
enum class SafeFileLinks { Follow, Replace };

class SafeFileWriter {
public:
    // Creates the temporary file; IsOpen() tells whether that worked, and
    // Error() why not: kSafeFileReadOnly, kSafeFileNotRegular, or an errno
    // value (ENOENT for a missing folder, EACCES for a folder that takes no
    // new file, ECANCELED after AbandonAll ...).
    explicit SafeFileWriter(const char* path, SafeFileLinks links = SafeFileLinks::Follow);
    // Removes the temporary file unless Commit() succeeded.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Error() const { return error_; }
    // The file that is replaced: the destination with its links followed.
    const std::string& Target() const { return target_; }
    // The temporary file as a buffered stream (null when not open).
    FILE* Stream();
    // The temporary file's descriptor (-1 when not open).
    int Descriptor() const { return fd_; }
    // Flushes the data to disk and renames the temporary file over the
    // destination.  Returns false (and removes the temporary) on any error;
    // Error() then tells which.
    bool Commit();

private:
    void Discard();
    bool Fail(int error);

    std::string target_;
    std::string tempPath_;
    int slot_ = -1;
    int fd_ = -1;
    int error_ = 0;
    int mode_ = -1;  // the replaced file's permission bits, -1 for a new file
    FILE* stream_ = nullptr;
};

// Whether path can be replaced by a SafeFileWriter: 0, or the error the
// writer would fail with (kSafeFileReadOnly, kSafeFileNotRegular, ENOENT
// for a missing folder, EACCES for a folder that takes no new file).
int SafeFileWriter_CheckReplaceable(const char* path);

// A sentence for a writer's error, naming the path: "cannot write x.png:
// the file is read-only".
std::string SafeFileWriter_ErrorText(const std::string& path, int error);

// Async-signal-safe: removes every temporary file in progress and makes all
// later writers fail with ECANCELED.
void SafeFileWriter_AbandonAll();
// Whether AbandonAll was called.
bool SafeFileWriter_Abandoned();
