#pragma once
// The backup pack (.mvz): one header followed by the packed files' bytes.
//
//   offset      size    field (little-endian)
//   0           8       magic "Brenix1" and a 0 byte
//   8           4       style count, signed
//   12          4       file count, signed, at most 256
//   16          4       total size, unsigned: the sum of the file sizes
//   20          65536   source paths: 256 fields of 256 bytes, 0-terminated
//   65556       65536   stored names: 256 fields of 256 bytes, 0-terminated
//   131092      1024    sizes: 256 signed 32-bit sizes
//   132116      total   the files' bytes, in entry order, back to back
//
// Only the first file-count entries of the tables are used; the writer fills
// the rest with zero bytes.  A pack comes from anywhere, so the reader checks
// every field before a restore may write anything: a stored name must be a
// plain file name, the sizes must add up to the total, and the total to the
// pack's length.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kPackMagicSize = 8;
inline constexpr std::array<char, kPackMagicSize> kPackMagic = {'B', 'r', 'e', 'n', 'i', 'x', '1', '\0'};
inline constexpr int32_t kPackMaxFiles = 256;
inline constexpr int32_t kPackMaxStyles = 51;
inline constexpr std::size_t kPackFieldSize = 256;
inline constexpr std::size_t kPackSourcesOffset = 20;
inline constexpr std::size_t kPackNamesOffset = kPackSourcesOffset + kPackMaxFiles * kPackFieldSize;
inline constexpr std::size_t kPackSizesOffset = kPackNamesOffset + kPackMaxFiles * kPackFieldSize;
inline constexpr std::size_t kPackHeaderSize = kPackSizesOffset + kPackMaxFiles * 4;
static_assert(kPackHeaderSize == 132116);

// The kinds of packed files, told by the extension after the last ".".
enum class PackFileType : int32_t { Other = 0, Style = 1, Set = 2, Image = 3 };
PackFileType PackFileTypeOf(std::string_view name);

struct PackEntrySt {
    std::string sourcePath;  // where the file lay on the packing machine
    std::string storedName;  // the file name it is restored under
    int32_t size = 0;
};

struct PackHeaderSt {
    int32_t styleCount = 0;
    uint32_t totalSize = 0;
    std::vector<PackEntrySt> entries;  // file count = entries.size()
};

// Why a pack header was refused.
enum class PackFault {
    None,
    ShortRead,           // the file ends inside the header
    BadMagic,            // not a pack
    StyleCount,          // style count outside 1..51
    FileCount,           // file count outside 1..256
    NameUnterminated,    // a stored name without its 0 byte in its field
    NameEmpty,           // an empty stored name
    NameNotPlain,        // a stored name with "/", or "." or ".."
    SourceUnterminated,  // a source path without its 0 byte in its field
    SizeNegative,        // a negative file size
    SizesNotTotal,       // the sizes do not add up to the total
    LengthMismatch,      // header + total is not the pack's length
};

// The header's bytes.  Fails (false) when there are more than 256 entries or
// a path or name does not fit its field with its 0 byte.
bool PackHeader_Encode(const PackHeaderSt& header, std::vector<uint8_t>& bytes);

// Reads and checks a header of `available` bytes (kPackHeaderSize when the
// file is long enough) from a pack of packLength bytes.  On a fault, index
// is the entry concerned (-1 for none) and header is unspecified.
PackFault PackHeader_Decode(const uint8_t* bytes, std::size_t available, uint64_t packLength,
                            PackHeaderSt& header, int32_t& index);

// True for a name a restore may create inside its folder: not empty, no "/",
// not "." or "..", no 0 byte.
bool PackNameIsPlain(std::string_view name);
