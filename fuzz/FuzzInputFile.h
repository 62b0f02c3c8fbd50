#pragma once
// The readers under test take file paths: each input is written to a file
// of this process (in the temporary folder) and read from there.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

class FuzzInputFile {
public:
    explicit FuzzInputFile(const char* extension) {
        const char* folder = std::getenv("TMPDIR");
        path_ = std::string(folder && *folder ? folder : "/tmp") + "/morvanel-fuzz-" + std::to_string(::getpid()) + extension;
    }
    ~FuzzInputFile() { std::remove(path_.c_str()); }

    // Replaces the file's content with the input; false when it cannot.
    bool Write(const uint8_t* data, std::size_t size) const {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr) return false;
        const bool written = std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && written;
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
