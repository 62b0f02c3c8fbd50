#include "AppFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "InstallData.h"
#include "TempDir.h"

using namespace morvanel_test;
namespace fs = std::filesystem;

namespace {

// A system folder with a small library in each of the three folders.
struct DataFolderFixture : ::testing::Test {
    TempDir dir;
    ScopedHome home{dir};
    fs::path system = dir.path() / "system";
    fs::path documents = dir.path() / "home" / "Documents";

    void SetUp() override {
        MakeFile(system / "Style" / "one.mv", "[SYSTEM]\r\n");
        MakeFile(system / "Texture" / "wood.jpg", "jpg");
        MakeFile(system / "Foreground" / "leaf.png", "png");
    }
    void WriteMarker(const std::string& body) { MakeFile(system / "DataFolder.inf", "[FOLDER]\r\n" + body); }
};

}  // namespace

TEST_F(DataFolderFixture, WithoutMarkerNothingIsCreated) {
    fs::create_directories(documents);
    const AppPaths paths = SetupAppPaths();
    EXPECT_EQ(paths.systemFolder, system.string());
    EXPECT_EQ(paths.settingsFile, (system / "Brenix.mv").string());
    EXPECT_EQ(paths.textureFolder, (system / "Texture").string());
    EXPECT_EQ(paths.helpFile, (system / "Help/JP/F_Manual.htm").string());
    EXPECT_EQ(paths.picturesFolder, (dir.path() / "home" / "Pictures").string());
    EXPECT_EQ(paths.dataFolderReady, 0);
    EXPECT_EQ(paths.dataFolder, system.string());
    EXPECT_TRUE(fs::is_empty(documents));
}

TEST_F(DataFolderFixture, CompanyAndProductFoldersWithSignFilesTwice) {
    fs::create_directories(documents);
    WriteMarker("Company=\"A\"\r\nProduct=\"B\"\r\n");
    for (int run = 0; run < 2; ++run) {
        const AppPaths paths = SetupAppPaths();
        EXPECT_EQ(paths.dataFolderReady, 1) << "run " << run;
        EXPECT_EQ(paths.dataFolder, (documents / "A" / "B").string());
        for (const char* sub : {"", "Style", "Texture", "Foreground"})
            EXPECT_EQ(FileContent(documents / "A" / "B" / sub / "DataFolder"), "UTSD") << sub;
        EXPECT_FALSE(fs::exists(documents / "A" / "DataFolder"));
        EXPECT_EQ(FileContent(documents / "A/B/Texture/wood.jpg"), "jpg");
        EXPECT_EQ(FileContent(documents / "A/B/Style/one.mv"), "[SYSTEM]\r\n");
        // The system's own paths stay in the system folder.
        EXPECT_EQ(paths.styleFolder, (system / "Style").string());
    }
}

TEST_F(DataFolderFixture, VersionJoinsTheRelativeNameAndMissingDocumentsCreateNothing) {
    WriteMarker("Company=\"A\"\r\nVersion=\"3\"\r\n");
    AppDataFolder folder(system.string());
    EXPECT_TRUE(folder.IsUsable());
    EXPECT_EQ(folder.GetRelativeName(), "A/3");
    std::string destination;
    EXPECT_EQ(folder.Setup(destination), 0);  // no Documents folder
    EXPECT_EQ(destination, (system / "A" / "3").string());
    EXPECT_FALSE(fs::exists(system / "A"));
}

TEST_F(DataFolderFixture, XdgUserDirsNameTheDocumentsFolder) {
    MakeFile(dir.path() / "home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    fs::create_directories(dir.path() / "home/Docs");
    std::string found;
    EXPECT_EQ(SHGetFolderPath(nullptr, kFolderIdDocuments, nullptr, 0, found), 0);
    EXPECT_EQ(found, (dir.path() / "home/Docs").string());
    EXPECT_EQ(SHGetFolderPath(nullptr, kFolderIdPictures, nullptr, 0, found), -43);
    EXPECT_EQ(found, (dir.path() / "home/Pictures").string());
}

// A path with a folder is moved into the default folder; a result longer
// than the field leaves the field as it was.
TEST(MakeDataFolderPath, JoinsIntoTheDefaultFolderWhenItFits) {
    const std::string longFolder = "/" + std::string(250, 'f');
    struct Case {
        const char* source;
        const char* folder;
        int result;
        const char* expected;
    };
    for (const Case& c : {Case{"/Disk/Images/wood.jpg", "/Disk/Pictures", 1, "/Disk/Pictures/wood.jpg"},
                          Case{"/Disk/Images/wood.jpg", "/Disk/Pictures/", 1, "/Disk/Pictures/wood.jpg"},
                          Case{"wood.jpg", "/Disk/Pictures", 1, "wood.jpg"},
                          Case{"/x/wood.jpg", longFolder.c_str(), 0, "unchanged"}}) {
        char destination[kAppPathMax + 1] = "unchanged";
        EXPECT_EQ(MakeDataFolderPath(destination, c.source, c.folder), c.result) << c.source << " " << c.folder;
        EXPECT_STREQ(destination, c.expected);
    }
    char field[kAppPathMax + 1] = "";
    EXPECT_FALSE(SetPathField(field, std::string(256, 'p')));
    EXPECT_TRUE(SetPathField(field, std::string(255, 'p')));
    EXPECT_EQ(std::string(field), std::string(255, 'p'));
}

// Seeding copies what the system folder lacks and never replaces a file; once
// complete, a file the user deletes stays deleted.  What cannot be copied is
// named, and the seeding is tried again until it is complete.
TEST(SeedSystemFolder, CompletesTheFolderWithoutReplacingTheUsersFiles) {
    TempDir dir;
    const std::string install = dir.file("install");
    MakeFile(dir.file("install/Style/basic.mv"), "style");
    MakeFile(dir.file("install/Texture/wood.jpg"), "wood");
    MakeFile(dir.file("install/Splash.inf"), "splash");
    fs::permissions(dir.path() / "install/Texture/wood.jpg", fs::perms::owner_read);
    // What a seeding stopped after its first file leaves, changed by the user.
    MakeFile(dir.file("sys/Splash.inf"), "the user's splash");
    EXPECT_EQ(SeedSystemFolder(dir.file("sys"), install), 1);
    EXPECT_EQ(FileContent(dir.file("sys/Style/basic.mv")), "style");
    EXPECT_EQ(FileContent(dir.file("sys/Texture/wood.jpg")), "wood");
    EXPECT_NE(fs::status(dir.path() / "sys/Texture/wood.jpg").permissions() & fs::perms::owner_write,
              fs::perms::none);
    EXPECT_EQ(FileContent(dir.file("sys/Splash.inf")), "the user's splash");
    fs::remove(dir.path() / "sys/Style/basic.mv");
    EXPECT_EQ(SeedSystemFolder(dir.file("sys"), install), 0);
    EXPECT_FALSE(fs::exists(dir.path() / "sys/Style/basic.mv"));

    fs::create_symlink(dir.path() / "nowhere", dir.path() / "install/Style/dangling.mv");
    std::vector<std::string> skipped;
    EXPECT_EQ(SeedSystemFolder(dir.file("again"), install, &skipped), -1);
    EXPECT_EQ(skipped, std::vector<std::string>{dir.file("install/Style/dangling.mv")});
    EXPECT_EQ(FileContent(dir.file("again/Style/basic.mv")), "style");
    fs::remove(dir.path() / "install/Style/dangling.mv");
    EXPECT_EQ(SeedSystemFolder(dir.file("again"), install, &skipped), 0);
    EXPECT_TRUE(fs::exists(dir.path() / "again" / kSeededMarkerName));
}

TEST_F(DataFolderFixture, FolderNamesThatLeadOutsideTheDocumentsFolderAreRefused) {
    fs::create_directories(documents);
    for (const char* body : {"Company=\"../../escape\"\r\n", "Company=\"A\"\r\nProduct=\"..\"\r\n",
                                    "Company=\"A/B\"\r\n", "Company=\"A\"\r\nVersion=\"x/../../y\"\r\n"}) {
        WriteMarker(body);
        AppDataFolder folder(system.string());
        EXPECT_FALSE(folder.IsUsable()) << body;
        const AppPaths paths = SetupAppPaths();
        EXPECT_EQ(paths.dataFolderReady, 0) << body;
        EXPECT_TRUE(fs::is_empty(documents)) << body;
        EXPECT_FALSE(fs::exists(dir.path() / "escape")) << body;
    }
}
