#pragma once
// File access for the profile primitives.  Errors are returned as -errno.
#include <cstdint>
#include <string>

namespace profile_file {

// Reads the whole file into content.  A file that does not exist is first
// created empty (the folder must exist).  Returns 0 or -errno.
int32_t ReadOrCreate(const std::string& path, std::string& content);

// Replaces the file's content: the new content goes into a new file in the
// same folder, which is flushed and renamed over the old one, and the folder
// is flushed.  A failure at any step leaves the old file as it was.  The new
// file keeps the old one's permissions.  Returns 0 or -errno.
int32_t Replace(const std::string& path, const std::string& content);

}  // namespace profile_file
