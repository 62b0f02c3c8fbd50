#pragma once
// The backup and restore texts: the numbered strings of the two dialogs and
// their report, and the size text of a byte count.
#include <cstdint>
#include <string>

#include "BackupPack.h"

// String ids.
enum BackupStringId : int {
    kBackupTitle = 502,
    kRestoreTitle = 503,
    kReportPack = 553,          // %s: the pack's file name
    kReportCounts = 554,        // %d styles, %d files, %s size text
    kReportMode0 = 555,         // 555..560: two lines per backup mode
    kReportFiles = 561,
    kReportRestore1 = 562,
    kReportRestore2 = 563,
    kNounStyle = 564,
    kNounSet = 565,
    kNounImage = 566,
    kNounOther = 567,
    kOverwriteQuestion = 568,   // %s file name, %s noun
    kReportErrors = 569,
    kEmptyStyleList = 570,
    kCreateFolderQuestion = 903,  // %s folder
    kFolderNotMade = 904,
    kPathTooLong = 905,         // %s path
    kFileNotFound = 911,
    kFileNotOpened = 912,
    kFileNotCreated = 913,
    kFileShortWrite = 914,
    kPackShortRead = 915,
    kPackBadMagic = 916,
    kPackBadCounts = 917,
    // The faults a damaged or hostile pack is refused for, and the backup's
    // own limits.
    kPackNameUnterminated = 940,  // %d entry number
    kPackNameEmpty = 941,
    kPackNameNotPlain = 942,
    kPackSourceUnterminated = 943,
    kPackSizeNegative = 944,
    kPackSizesNotTotal = 945,
    kPackLengthMismatch = 946,
    kPackFileTooLarge = 947,
    kPackNameTwice = 948,       // %s stored name
    kPackFieldTooLong = 949,
    kSourceChanged = 950,
    kNotAFile = 951,
    kRestoredFiles = 952,       // %d
    kNotRestoredFiles = 953,    // %d
    kRestoreDone = 954,
    kBackupDone = 955,
};

// The text of a string id (printf format where the id says so); empty when
// unknown.
const char* BackupString(int id);
// printf of a string id.
std::string BackupFormat(int id, ...);

// "12.3K"-style text of a byte count: the first of T (10^12), G (10^9),
// M (10^6) and K (10^3) that the count reaches, with its first decimal
// digit unless that is 0; below 1000 the number and a blank.
std::string KMG(uint64_t bytes);
// KMG cut to width (held within 2..255); with rightAlign padded with blanks
// on the left to width.
std::string NumText(uint64_t bytes, int width, bool rightAlign);

// The string id of a pack header fault's message.
int PackFaultMessage(PackFault fault);
// The noun of a packed file's type, for the overwrite question.
int PackTypeNoun(PackFileType type);
