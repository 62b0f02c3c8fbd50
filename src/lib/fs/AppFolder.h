#pragma once
// The system folder, the user folders and the optional user-visible data
// folder.
//
// The system folder is $MORVANEL_HOME when set, else
// $XDG_CONFIG_HOME/Morvanel, else ~/.config/Morvanel.  It holds the settings
// file, the Style, Texture and Foreground libraries, the help document and,
// optionally, the marker file "DataFolder.inf" whose FOLDER section names a
// data folder inside the documents folder (Company/Product/Version; each a
// single folder name: a "/" or ".." in one leaves the data folder unusable).  That
// folder receives copies of the three libraries; every folder the set-up
// makes holds a sign file "DataFolder" with the four bytes "UTSD".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The longest path the data folder code keeps (paths live in 256-byte
// fields of the parameter record and the lists).
inline constexpr std::size_t kAppPathMax = 255;

// User folder ids of SHGetFolderPath.
inline constexpr int kFolderIdDocuments = 28;
inline constexpr int kFolderIdPictures = 39;

// Copies value into a field of kAppPathMax + 1 bytes.  A value that does not
// fit is refused: the field is left unchanged and the result is false.
bool SetPathField(char* field, std::string_view value);

// The system folder (no trailing "/"); empty when no home can be found.
std::string GetPreferencesFolder();

// The documents (28) or pictures (39) folder: the XDG user folder named in
// user-dirs.dirs, else ~/Documents or ~/Pictures.  The path is set even when
// the folder does not exist; the result is 0 when it exists, -43 when it does
// not, -50 for an unknown id or no home.
int SHGetFolderPath(void* owner, int folderId, void* token, unsigned flags, std::string& destination);

// Creates every missing folder level of path; 1 when all exist afterwards.
int CreateDataFolder(const char* path);

// destination = pathDefault joined with the name of source (the part after
// its last "/"); a source without "/" is taken unchanged.  A result longer
// than kAppPathMax is refused: destination is left unchanged, the result is
// 0.  Otherwise 1.  destination holds kAppPathMax + 1 bytes.
int MakeDataFolderPath(char* destination, const char* source, const char* pathDefault);

class AppDataFolder {
public:
    // Reads baseFolder/DataFolder.inf when it exists.
    explicit AppDataFolder(std::string baseFolder);

    // Computes the data folder into destination and remembers it.  1 when the
    // data folder and its sign file exist afterwards, else 0.
    int Setup(std::string& destination);

    // When usable: creates dataFolder/subFolder, writes its sign file and
    // copies sourceFolder's content into it.  1 when the sign file exists
    // and the copy succeeded; entries that could not be copied are added to
    // skipped (when given) and the rest is copied all the same.
    int CopyFile(const std::string& sourceFolder, const std::string& subFolder,
                 std::vector<std::string>* skipped = nullptr);

    bool IsUsable() const { return usable_; }
    const std::string& GetCompany() const { return company_; }
    const std::string& GetProduct() const { return product_; }
    const std::string& GetVersion() const { return version_; }
    const std::string& GetRelativeName() const { return relativeName_; }
    const std::string& GetDataFolder() const { return dataFolder_; }
    const std::string& GetMarkerPath() const { return markerPath_; }

    static constexpr const char* kMarkerName = "DataFolder.inf";
    static constexpr const char* kSignName = "DataFolder";
    static constexpr const char* kSignContent = "UTSD";

private:
    std::string baseFolder_;
    std::string dataFolder_;
    std::string company_;
    std::string product_;
    std::string version_;
    std::string relativeName_;
    std::string markerPath_;
    bool usable_ = false;
};

// Writes folder/DataFolder with "UTSD"; true when written.
bool WriteDataFolderSign(const std::string& folder);

// The paths the application object computes once per run.
struct AppPaths {
    std::string systemFolder;
    std::string settingsFile;     // systemFolder/Brenix.mv
    std::string styleFolder;      // systemFolder/Style
    std::string textureFolder;    // systemFolder/Texture
    std::string foregroundFolder; // systemFolder/Foreground
    std::string helpFile;         // systemFolder/Help/JP/F_Manual.htm
    std::string picturesFolder;
    std::string dataFolder;       // the user data folder, or the system folder
    int dataFolderReady = 0;      // Setup's result
    std::vector<std::string> dataFolderSkipped;  // library entries not copied there
};

// The settings file's name.
inline constexpr const char* kSettingsFileName = "Brenix.mv";

// The run's path set-up: the system folder and its paths, the pictures
// folder, then the data folder with its library copies when it can be made.
AppPaths SetupAppPaths();
