#include "DialogLibrary.h"

#include <dlfcn.h>

#include <string>

namespace {

// The folder of the file that holds this code: the plug-in library.
std::string OwnFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DialogLibrary_Module), &info) == 0 || info.dli_fname == nullptr) return {};
    const std::string path = info.dli_fname;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

const DialogModuleSt* Load() {
    const std::string path = OwnFolder() + "/" + kDialogModuleFile;
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr) return nullptr;
    const auto entry = reinterpret_cast<DialogModuleEntryProc>(::dlsym(library, kDialogModuleEntry));
    return entry != nullptr ? entry() : nullptr;
}

}  // namespace

const DialogModuleSt* DialogLibrary_Module() {
    static const DialogModuleSt* const module = Load();
    return module;
}
