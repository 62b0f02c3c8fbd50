#include "About.h"

#include <string>

#include "AppFolder.h"
#include "InstallData.h"
#include "PluginMessages.h"
#include "Selectors.h"
#include "SplashHotSpots.h"
#ifdef MORVANEL_WITH_DIALOG
#include "DialogLibrary.h"
#endif

namespace {

// The text with each "%s" in turn replaced by the next value.
std::string Filled(std::string text, std::initializer_list<std::string> values) {
    std::size_t from = 0;
    for (const std::string& value : values) {
        const std::size_t at = text.find("%s", from);
        if (at == std::string::npos) break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

}  // namespace

void ShowAbout() {
    // The window's picture and description come with the installation data.
    const std::string systemFolder = GetPreferencesFolder();
    SeedSystemFolder(systemFolder);
#ifdef MORVANEL_WITH_DIALOG
    const DialogModuleSt* dialogs = DialogLibrary_Module();
    if (dialogs != nullptr && dialogs->runSplash(systemFolder)) return;
#endif
    const std::string text = Filled(LoadString(kStringAboutNoWindow),
                                    {LoadString(kStringAbout), systemFolder + "/" + kSplashProfileName,
                                     systemFolder + "/Help/JP/F_Manual.htm"});
    theApp.DispMessage("%s", text.c_str());
}
