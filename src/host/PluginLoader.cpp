#include "PluginLoader.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

PluginLoader::~PluginLoader() { Unload(); }

void PluginLoader::Unload() {
    if (library_ != nullptr) dlclose(library_);
    library_ = nullptr;
    entry_ = nullptr;
    path_.clear();
}

bool PluginLoader::Load(const std::string& path, std::string& error) {
    Unload();
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        error = "cannot load the plug-in " + path + ": " + (reason ? reason : "unknown error");
        return false;
    }
    void* entry = dlsym(library, kPluginEntryName);
    if (entry == nullptr) {
        dlclose(library);
        error = path + " is not a Morvanel plug-in: it has no " + kPluginEntryName + " entry point";
        return false;
    }
    library_ = library;
    entry_ = reinterpret_cast<PluginMainProc>(entry);
    path_ = path;
    return true;
}

std::string PluginLoader_ResolvePath(const std::string& option) {
    if (!option.empty()) return option;
    const char* fromEnvironment = std::getenv("MORVANEL_PLUGIN");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path beside = executable.parent_path() / "libmorvanel.so";
        if (std::filesystem::exists(beside, ec)) return beside.string();
    }
    return MORVANEL_BUILD_PLUGIN_PATH;
}
