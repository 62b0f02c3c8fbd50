#pragma once
// File utilities on full paths in "/" notation: copying one file, copying a
// folder tree with wildcard patterns, making a chain of folders and testing
// for existence.  Copies carry the dates and permissions of their source.
//
// A path's name is the part after its last "/", its folder the part before.
// A wildcard pattern is a path whose name may contain "*"; "*.*" means every
// entry.  A name's extension is the part after its last ".".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Status codes of the file utilities.
inline constexpr int kFsNoError = 0;
inline constexpr int kFsIoError = -36;         // reading or writing failed
inline constexpr int kFsBadName = -37;         // empty or too long a path
inline constexpr int kFsNotFound = -43;        // no such file or folder
inline constexpr int kFsDuplicate = -48;       // the destination exists
inline constexpr int kFsPermission = -54;      // no access
inline constexpr int kFsCopyIntoItself = -1232;  // a folder copied into itself

// The longest path the file utilities accept.
inline constexpr std::size_t kFsMaxPath = 511;

// The name part (after the last "/") and the folder part (before it, empty
// for a bare name).
std::string_view FSNamePart(std::string_view path);
std::string_view FSFolderPart(std::string_view path);
// "%s/%s" of a folder and a name; a folder ending in "/" gets none added.
std::string FSJoin(std::string_view folder, std::string_view name);

// Copies the source file into the destination path's folder (the path itself
// when it names a folder or ends in "/") under the source's own name, with
// its dates and permissions.  The copy is written beside the destination and
// renamed over it, so a failed copy leaves an existing file untouched.
// Returns false when failIfExists is set and the destination exists, when
// the source is missing or is no file, and when the copy fails.
bool CopyFile(const char* source, const char* destination, bool failIfExists);

// What a tree copy did: the destination paths of the files it copied, and
// the source paths of the entries it could not copy (a dangling link, an
// unreadable file, a subfolder that could not be made ...).
struct FsCopyReport {
    std::vector<std::string> copied;
    std::vector<std::string> skipped;
};

// Copies the folder tree `source` into `destination`, creating it when
// missing; the destination receives the source's dates and permissions.  An
// entry that cannot be copied does not stop the copy: the rest is copied and
// the entry is listed in report->skipped.  Returns kFsNoError, or the status
// of the first failure.
int INDirCopy(const char* destination, const char* source, FsCopyReport* report = nullptr);

// Copies every entry of the source pattern's folder whose name matches the
// pattern to FNFixed(destination pattern, name), visiting the entries in name
// order.  A source pattern naming a folder gets "/*.*" appended.  With
// recurse set, subfolders are made in the destination and copied the same
// way.  With failIfExists set, existing destination files are kept.  An
// entry that fails is skipped and listed; the copy goes on.  A destination
// folder that does not exist is kFsNotFound.  Returns kFsNoError, or the
// status of the first failure.
int INFileCopy(const char* destinationPattern, const char* sourcePattern, int failIfExists,
               int recurse, FsCopyReport* report = nullptr);

// 1 when the path's name matches the pattern's name, else 0.  "*" skips to
// the last "." (or the end) of both names; other characters compare without
// regard to letter case; "*.*" also matches names without an extension.
int FNMatch(const char* pattern, const char* path);

// The destination path for a source name: the pattern's folder followed by
// the pattern's name in which a "*" before its last "." stands for the
// source name without its extension and a "*" after it for the extension.
// A pattern without "." stands for the whole source name at "*"; an empty
// pattern name gives the source name unchanged.
std::string FNFixed(const char* pattern, const char* name);

// Creates every missing folder of the path, level by level.  An existing
// folder counts as made.  Returns a status code.
int INMakeDir(const char* path);

// 0 when the path names an existing file or folder, -1 otherwise.
int GetFileAttributes(const char* path);

// Copies a file, or a folder with all its contents, into destinationFolder
// under newName (the source's name when newName is null or empty).  Refuses
// to copy a folder into itself; on failure the partly made copy is removed.
// Returns a status code.
int FSCopyObject(const char* source, const char* destinationFolder, const char* newName);
