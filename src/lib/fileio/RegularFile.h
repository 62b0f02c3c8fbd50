#pragma once
// Inputs are read only from regular files.  A FIFO would block the reader
// until some other process writes to it, a device may never end; both are
// refused at once, before anything is read.
#include <string>

// The reason given for a path that exists but is no regular file.
inline constexpr int kNotRegularFile = -1;

// Opens path for reading when it names a regular file (a symbolic link is
// followed).  Returns the descriptor, or -1 with *reason set to the errno
// value of the failure or to kNotRegularFile.  Never blocks.
int OpenRegularFile(const char* path, int* reason);

// Reads the whole regular file into content.  False with *reason as above.
bool ReadRegularFile(const std::string& path, std::string& content, int* reason);

// Whether path names a regular file (a symbolic link is followed).
bool IsRegularFile(const char* path);

// A short text for a reason: "no such file", "permission denied",
// "not a regular file", ...
std::string FileFailureText(int reason);
