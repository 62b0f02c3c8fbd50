#include "FileUtilities.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

int StatusFromErrno(int error) {
    switch (error) {
    case 0: return kFsNoError;
    case ENOENT:
    case ENOTDIR: return kFsNotFound;
    case EEXIST: return kFsDuplicate;
    case EACCES:
    case EPERM:
    case EROFS: return kFsPermission;
    case ENAMETOOLONG: return kFsBadName;
    default: return kFsIoError;
    }
}

bool AcceptablePath(const char* path) {
    return path != nullptr && path[0] != '\0' && std::char_traits<char>::length(path) <= kFsMaxPath;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Carries permissions and dates from source to destination.
int CopyMetadata(const std::string& source, const std::string& destination) {
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0) return StatusFromErrno(errno);
    if (::chmod(destination.c_str(), info.st_mode & 07777) != 0) return StatusFromErrno(errno);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::utimensat(AT_FDCWD, destination.c_str(), times, 0) != 0) return StatusFromErrno(errno);
    return kFsNoError;
}

int WriteAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) continue;
            return StatusFromErrno(errno);
        }
        data += written;
        size -= written;
    }
    return kFsNoError;
}

int CopyBytes(int from, int to) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            return StatusFromErrno(errno);
        }
        if (got == 0) return kFsNoError;
        if (const int status = WriteAll(to, buffer.data(), got); status != kFsNoError) return status;
    }
}

// Copies the file source to destination through a temporary file beside the
// destination that is renamed over it at the end: an existing destination
// stays as it was until the copy is complete.
int CopyFileObject(const std::string& source, const std::string& destination) {
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return StatusFromErrno(errno);
    std::string temporary = FSJoin(FSFolderPart(destination), ".copy-XXXXXX");
    if (FSFolderPart(destination).empty()) temporary = ".copy-XXXXXX";
    const int to = ::mkstemp(temporary.data());
    if (to < 0) {
        const int status = StatusFromErrno(errno);
        ::close(from);
        return status;
    }
    int status = CopyBytes(from, to);
    ::close(from);
    if (::close(to) != 0 && status == kFsNoError) status = StatusFromErrno(errno);
    if (status == kFsNoError) status = CopyMetadata(source, temporary);
    if (status == kFsNoError && ::rename(temporary.c_str(), destination.c_str()) != 0)
        status = StatusFromErrno(errno);
    if (status != kFsNoError) ::unlink(temporary.c_str());
    return status;
}

// The names in a folder, in name order (the order the folder index keeps).
std::vector<std::string> FolderEntries(const std::string& folder, int* status) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    *status = error ? StatusFromErrno(error.value()) : kFsNoError;
    std::sort(names.begin(), names.end());
    return names;
}

int CopyTreeObject(const std::string& source, const std::string& destination) {
    if (::mkdir(destination.c_str(), 0700) != 0) return StatusFromErrno(errno);
    int status = kFsNoError;
    for (const std::string& name : FolderEntries(source, &status)) {
        if (status != kFsNoError) break;
        const std::string from = FSJoin(source, name);
        const std::string to = FSJoin(destination, name);
        status = IsFolder(from) ? CopyTreeObject(from, to) : CopyFileObject(from, to);
    }
    if (status == kFsNoError) status = CopyMetadata(source, destination);
    return status;
}

bool EndsWithBundleExtension(std::string_view name) {
    return name.size() >= 4 && name.substr(name.size() - 4) == ".aip";
}

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// "*.*" against a name without an extension behaves as "*".
std::string_view EffectivePattern(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*" && name.find('.') == std::string_view::npos) return "*";
    return pattern;
}

}  // namespace

std::string_view FSNamePart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FSFolderPart(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string FSJoin(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    if (!joined.empty() && joined.back() != '/') joined += '/';
    joined += name;
    return joined;
}

bool CopyFile(const char* source, const char* destination, bool failIfExists) {
    if (!AcceptablePath(source) || !AcceptablePath(destination)) return false;
    struct stat info {};
    if (::stat(source, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const std::string target_folder = (IsFolder(destination) || std::string_view(destination).ends_with('/'))
                                          ? std::string(destination)
                                          : std::string(FSFolderPart(destination));
    const std::string target = FSJoin(target_folder, FSNamePart(source));
    if (target.size() > kFsMaxPath) return false;
    if (failIfExists && Exists(target)) return false;
    return CopyFileObject(source, target) == kFsNoError;
}

int FNMatch(const char* patternPath, const char* path) {
    if (patternPath == nullptr || path == nullptr) return 0;
    const std::string_view name = FSNamePart(path);
    const std::string_view pattern = EffectivePattern(FSNamePart(patternPath), name);
    const size_t patternDot = pattern.rfind('.');
    const size_t nameDot = name.rfind('.');
    size_t p = 0;
    size_t n = 0;
    while (p < pattern.size()) {
        if (pattern[p] == '*') {
            // A "*" before the pattern's dot runs to the name's last dot, and
            // may stand for nothing there ("a*.jpg" matches "a.jpg", "*.*"
            // matches ".hidden"); any other "*" takes the rest of the name.
            const bool beforeDot = patternDot != std::string_view::npos && p < patternDot;
            p = beforeDot ? patternDot : pattern.size();
            n = (beforeDot && nameDot != std::string_view::npos && n <= nameDot) ? nameDot : name.size();
            continue;
        }
        if (n >= name.size() || !SameLetter(pattern[p], name[n])) return 0;
        ++p;
        ++n;
    }
    return n == name.size() ? 1 : 0;
}

std::string FNFixed(const char* patternPath, const char* sourceName) {
    const std::string_view source = sourceName ? std::string_view(sourceName) : std::string_view();
    const std::string_view patternText = patternPath ? std::string_view(patternPath) : std::string_view();
    const std::string_view pattern = EffectivePattern(FSNamePart(patternText), source);
    const std::string folder(FSFolderPart(patternText));
    if (pattern.empty()) return FSJoin(folder, source);

    const size_t patternDot = pattern.rfind('.');
    const size_t sourceDot = source.rfind('.');
    const std::string_view stem = source.substr(0, sourceDot);
    const std::string_view extension =
        sourceDot == std::string_view::npos ? std::string_view() : source.substr(sourceDot + 1);
    std::string name;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '*') name += pattern[i];
        else if (patternDot == std::string_view::npos) name += source;
        else name += i < patternDot ? stem : extension;
    }
    return FSJoin(folder, name);
}

int INMakeDir(const char* path) {
    if (!AcceptablePath(path)) return kFsBadName;
    const std::string full(path);
    for (size_t end = full.find('/', 1);; end = full.find('/', end + 1)) {
        const std::string level = full.substr(0, end);
        if (!level.empty() && level.back() != '/' && ::mkdir(level.c_str(), 0777) != 0) {
            if (errno != EEXIST) return StatusFromErrno(errno);
            if (!IsFolder(level)) return kFsDuplicate;
        }
        if (end == std::string::npos) return kFsNoError;
    }
}

int GetFileAttributes(const char* path) {
    return path != nullptr && path[0] != '\0' && Exists(path) ? 0 : -1;
}

int FSCopyObject(const char* source, const char* destinationFolder, const char* newName) {
    if (!AcceptablePath(source) || !AcceptablePath(destinationFolder)) return kFsBadName;
    const std::string from(source);
    const std::string name = (newName && newName[0]) ? std::string(newName) : std::string(FSNamePart(from));
    const std::string to = FSJoin(destinationFolder, name);
    if (to.size() > kFsMaxPath) return kFsBadName;
    if (!Exists(from)) return kFsNotFound;
    if (!IsFolder(destinationFolder)) return kFsNotFound;
    if (!IsFolder(from)) return CopyFileObject(from, to);

    std::error_code error;
    const fs::path canonicalSource = fs::weakly_canonical(from, error);
    const fs::path canonicalTarget = fs::weakly_canonical(to, error);
    const std::string sourceText = canonicalSource.string() + "/";
    if (canonicalTarget.string() + "/" == sourceText ||
        canonicalTarget.string().starts_with(sourceText))
        return kFsCopyIntoItself;
    // The tree is built under a temporary name and takes the place of an
    // existing one only when complete.
    const std::string temporary = FSJoin(destinationFolder, ".copy-" + name);
    fs::remove_all(temporary, error);
    const int status = CopyTreeObject(from, temporary);
    if (status != kFsNoError) {
        fs::remove_all(temporary, error);
        return status;
    }
    fs::remove_all(to, error);
    if (::rename(temporary.c_str(), to.c_str()) != 0) {
        const int renameStatus = StatusFromErrno(errno);
        fs::remove_all(temporary, error);
        return renameStatus;
    }
    return kFsNoError;
}

namespace {

// Notes a failed entry: the copy goes on, the first failure is the result.
void Skip(const std::string& entry, int failure, int* status, FsCopyReport* report) {
    if (*status == kFsNoError) *status = failure;
    if (report != nullptr) report->skipped.push_back(entry);
}

}  // namespace

int INFileCopy(const char* destinationPattern, const char* sourcePattern, int failIfExists,
               int recurse, FsCopyReport* report) {
    if (!AcceptablePath(destinationPattern) || !AcceptablePath(sourcePattern)) return kFsBadName;
    std::string pattern(sourcePattern);
    if (IsFolder(pattern) && !EndsWithBundleExtension(pattern)) pattern = FSJoin(pattern, "*.*");
    const std::string sourceFolder(FSFolderPart(pattern));
    const std::string destinationFolder(FSFolderPart(destinationPattern));
    if (!IsFolder(destinationFolder.empty() ? std::string(".") : destinationFolder))
        return Exists(destinationFolder) ? kFsDuplicate : kFsNotFound;

    int status = kFsNoError;
    const std::vector<std::string> names = FolderEntries(sourceFolder, &status);
    if (status != kFsNoError) return status;
    for (const std::string& name : names) {
        const std::string from = FSJoin(sourceFolder, name);
        const bool folder = IsFolder(from);
        if (!folder || EndsWithBundleExtension(name)) {
            if (!FNMatch(pattern.c_str(), from.c_str())) continue;
            const std::string to = FNFixed(destinationPattern, name.c_str());
            if (failIfExists && Exists(to)) continue;
            const int copied = folder ? FSCopyObject(from.c_str(), std::string(FSFolderPart(to)).c_str(),
                                                     std::string(FSNamePart(to)).c_str())
                                      : CopyFileObject(from, to);
            if (copied != kFsNoError) Skip(from, copied, &status, report);
            else if (report != nullptr) report->copied.push_back(to);
        } else if (recurse) {
            const std::string subfolder = FSJoin(destinationFolder, name);
            const int made = INMakeDir(subfolder.c_str());
            if (made != kFsNoError) {
                Skip(from, made, &status, report);
                continue;
            }
            const int inner = INFileCopy(FSJoin(subfolder, "*.*").c_str(), FSJoin(from, "*.*").c_str(),
                                         failIfExists, 1, report);
            if (inner != kFsNoError && status == kFsNoError) status = inner;
            // Dates last: filling the folder changes its modification date.
            const int dated = CopyMetadata(from, subfolder);
            if (dated != kFsNoError && status == kFsNoError) status = dated;
        }
    }
    return status;
}

int INDirCopy(const char* destination, const char* source, FsCopyReport* report) {
    if (!AcceptablePath(destination) || !AcceptablePath(source)) return kFsBadName;
    if (!IsFolder(source)) return Exists(source) ? kFsDuplicate : kFsNotFound;
    int status = INMakeDir(destination);
    if (status != kFsNoError) return status;
    status = INFileCopy(FSJoin(destination, "*.*").c_str(), FSJoin(source, "*.*").c_str(), 0, 1, report);
    const int dated = CopyMetadata(source, destination);
    return status != kFsNoError ? status : dated;
}
