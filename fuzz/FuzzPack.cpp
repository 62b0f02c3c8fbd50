// The pack reader: any bytes are either refused with a fault or give a header
// whose names are plain file names and whose sizes add up to the pack.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "BackupPack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    PackHeaderSt header;
    int32_t index = -1;
    const std::size_t available = size < kPackHeaderSize ? size : kPackHeaderSize;
    if (PackHeader_Decode(data, available, size, header, index) != PackFault::None) return 0;

    uint64_t sum = 0;
    for (const PackEntrySt& entry : header.entries) {
        if (!PackNameIsPlain(entry.storedName) || entry.size < 0) std::abort();
        sum += static_cast<uint64_t>(entry.size);
    }
    if (header.entries.empty() || header.entries.size() > static_cast<std::size_t>(kPackMaxFiles) ||
        sum != header.totalSize || kPackHeaderSize + sum != size)
        std::abort();

    // What is read back from an encoded header is the header.
    std::vector<uint8_t> bytes;
    if (!PackHeader_Encode(header, bytes)) std::abort();
    PackHeaderSt again;
    if (PackHeader_Decode(bytes.data(), bytes.size(), size, again, index) != PackFault::None) std::abort();
    for (std::size_t i = 0; i < header.entries.size(); ++i) {
        const PackEntrySt& a = header.entries[i];
        const PackEntrySt& b = again.entries[i];
        if (a.storedName != b.storedName || a.sourcePath != b.sourcePath || a.size != b.size) std::abort();
    }
    return 0;
}
