#pragma once
// Loads the plug-in shared library and finds its entry point.
#include <string>

#include "HostInterface.h"

class PluginLoader {
public:
    PluginLoader() = default;
    ~PluginLoader();
    PluginLoader(const PluginLoader&) = delete;
    PluginLoader& operator=(const PluginLoader&) = delete;

    // Opens the library at path and looks up PluginMain.  On failure returns
    // false and error says whether the file could not be loaded or is no
    // plug-in; the loader then holds nothing.
    bool Load(const std::string& path, std::string& error);
    PluginMainProc Entry() const { return entry_; }
    const std::string& Path() const { return path_; }

private:
    void Unload();

    void* library_ = nullptr;
    PluginMainProc entry_ = nullptr;
    std::string path_;
};

// Where the plug-in is: option when not empty, else $MORVANEL_PLUGIN when
// set and not empty, else libmorvanel.so next to the running executable when
// it exists there, else the path of the build tree's plug-in.
std::string PluginLoader_ResolvePath(const std::string& option);
