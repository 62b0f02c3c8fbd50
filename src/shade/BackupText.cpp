#include "BackupText.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

struct BackupStringSt {
    int id;
    const char* text;
};

const BackupStringSt kStrings[] = {
    {kBackupTitle, "Back up the library"},
    {kRestoreTitle, "Restore a backup"},
    {kReportPack, "Pack: %s"},
    {kReportCounts, "%d styles, %d files, %s"},
    {555, "Mode: the current style"},
    {556, "with its texture and foreground images."},
    {557, "Mode: every style of the style list"},
    {558, "with their texture and foreground images."},
    {559, "Mode: every style and every library image"},
    {560, "of the texture and foreground lists."},
    {kReportFiles, "Files:"},
    {kReportRestore1, "These files are restored into the chosen folder."},
    {kReportRestore2, "A file already there is compared first; only a different one asks."},
    {kNounStyle, "style"},
    {kNounSet, "set file"},
    {kNounImage, "image"},
    {kNounOther, "file"},
    {kOverwriteQuestion, "\"%s\" (%s) already exists in the folder and differs from the one in the pack."},
    {kReportErrors, "Errors:"},
    {kEmptyStyleList, "The style list is empty: there is nothing to back up."},
    {kCreateFolderQuestion, "The folder %s does not exist. Create it?"},
    {kFolderNotMade, "The folder cannot be created:"},
    {kPathTooLong, "The path is too long: %s"},
    {kFileNotFound, "The file cannot be found:"},
    {kFileNotOpened, "The file cannot be opened:"},
    {kFileNotCreated, "The file cannot be created:"},
    {kFileShortWrite, "The file cannot be written completely (is the disk full?):"},
    {kPackShortRead, "The pack ends too early:"},
    {kPackBadMagic, "This file is not a backup pack:"},
    {kPackBadCounts, "The pack's style or file count is out of range:"},
    {kPackNameUnterminated, "The pack is damaged: the name of file %d does not end within its field:"},
    {kPackNameEmpty, "The pack is damaged: file %d has no name:"},
    {kPackNameNotPlain, "The pack is refused: the name of file %d leads out of the restore folder:"},
    {kPackSourceUnterminated, "The pack is damaged: the source path of file %d does not end within its field:"},
    {kPackSizeNegative, "The pack is damaged: file %d has a negative size:"},
    {kPackSizesNotTotal, "The pack is damaged: its file sizes do not add up to its total size:"},
    {kPackLengthMismatch, "The pack is damaged: its length does not match its total size:"},
    {kPackFileTooLarge, "The file is too large for a pack:"},
    {kPackNameTwice, "Two files would be packed under the same name %s:"},
    {kPackFieldTooLong, "The path or name is too long for a pack:"},
    {kSourceChanged, "The file changed while it was packed:"},
    {kNotAFile, "Something other than a file is in the way:"},
    {kRestoredFiles, "Restored (%d):"},
    {kNotRestoredFiles, "Not restored (%d):"},
    {kRestoreDone, "The restore is complete."},
    {kBackupDone, "The pack is written."},
};

}  // namespace

const char* BackupString(int id) {
    for (const BackupStringSt& entry : kStrings)
        if (entry.id == id) return entry.text;
    return "";
}

std::string BackupFormat(int id, ...) {
    va_list arguments;
    va_start(arguments, id);
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, BackupString(id), copy);
    va_end(copy);
    std::vector<char> text(static_cast<std::size_t>(std::max(length, 0)) + 1);
    std::vsnprintf(text.data(), text.size(), BackupString(id), arguments);
    va_end(arguments);
    return text.data();
}

std::string KMG(uint64_t bytes) {
    struct Unit {
        uint64_t size;
        char letter;
    };
    static constexpr Unit kUnits[] = {{1000000000000ULL, 'T'}, {1000000000ULL, 'G'}, {1000000ULL, 'M'}, {1000ULL, 'K'}};
    char text[48];
    for (const Unit& unit : kUnits) {
        if (bytes < unit.size) continue;
        // The first decimal digit in integers: a binary fraction would turn
        // 2300 into "2.2K".
        const unsigned long long whole = bytes / unit.size;
        const unsigned decimal = static_cast<unsigned>(bytes % unit.size * 10 / unit.size);
        if (decimal == 0) std::snprintf(text, sizeof text, "%llu%c", whole, unit.letter);
        else std::snprintf(text, sizeof text, "%llu.%u%c", whole, decimal, unit.letter);
        return text;
    }
    std::snprintf(text, sizeof text, "%llu ", static_cast<unsigned long long>(bytes));
    return text;
}

std::string NumText(uint64_t bytes, int width, bool rightAlign) {
    const std::size_t held = static_cast<std::size_t>(std::clamp(width, 2, 255));
    std::string text = KMG(bytes).substr(0, held);
    if (rightAlign) text.insert(0, held - text.size(), ' ');
    return text;
}

int PackFaultMessage(PackFault fault) {
    switch (fault) {
        case PackFault::None: return 0;
        case PackFault::ShortRead: return kPackShortRead;
        case PackFault::BadMagic: return kPackBadMagic;
        case PackFault::StyleCount:
        case PackFault::FileCount: return kPackBadCounts;
        case PackFault::NameUnterminated: return kPackNameUnterminated;
        case PackFault::NameEmpty: return kPackNameEmpty;
        case PackFault::NameNotPlain: return kPackNameNotPlain;
        case PackFault::SourceUnterminated: return kPackSourceUnterminated;
        case PackFault::SizeNegative: return kPackSizeNegative;
        case PackFault::SizesNotTotal: return kPackSizesNotTotal;
        case PackFault::LengthMismatch: return kPackLengthMismatch;
    }
    return kPackBadMagic;
}

int PackTypeNoun(PackFileType type) {
    switch (type) {
        case PackFileType::Style: return kNounStyle;
        case PackFileType::Set: return kNounSet;
        case PackFileType::Image: return kNounImage;
        case PackFileType::Other: return kNounOther;
    }
    return kNounOther;
}
