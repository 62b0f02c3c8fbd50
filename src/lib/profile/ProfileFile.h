#pragma once
// File access for the profile primitives.  Errors are returned as -errno.
#include <cstdint>
#include <string>

namespace profile_file {

// Reads the whole file into content.  A file that does not exist is first
// created empty (the folder must exist).  Returns 0 or -errno; a path that
// names no regular file (a FIFO, a device) gives -EINVAL without waiting.
int32_t ReadOrCreate(const std::string& path, std::string& content);

// Replaces the file's content through SafeFileWriter: a failure at any step
// leaves the old file as it was; a link is written through, the file keeps
// its permissions, and a read-only file is refused with -EACCES.  Returns 0
// or -errno.
int32_t Replace(const std::string& path, const std::string& content);

}  // namespace profile_file
