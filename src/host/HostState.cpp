#include "HostState.h"

#include <fstream>
#include <iterator>

#include "AppFolder.h"
#include "SafeFileWriter.h"

std::string HostState_Path() {
    const std::string folder = GetPreferencesFolder();
    return folder.empty() ? std::string() : folder + "/HostParameters.state";
}

bool HostState_Load(std::vector<uint8_t>& block) {
    const std::string path = HostState_Path();
    std::ifstream in(path, std::ios::binary);
    if (path.empty() || !in) return false;
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad() || bytes.empty()) return false;
    block = std::move(bytes);
    return true;
}

bool HostState_Save(const std::vector<uint8_t>& block) {
    const std::string path = HostState_Path();
    if (path.empty() || block.empty() || !CreateDataFolder(GetPreferencesFolder().c_str())) return false;
    SafeFileWriter writer(path.c_str());
    FILE* stream = writer.Stream();
    return stream != nullptr && std::fwrite(block.data(), 1, block.size(), stream) == block.size() && writer.Commit();
}
