#pragma once
// Byte-exact file helpers for the profile tests.
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace profile_test {

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace profile_test
