#include "AppFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FsTestFiles.h"
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
        WriteText(system / "Style" / "one.mv", "[SYSTEM]\r\n");
        WriteText(system / "Texture" / "wood.jpg", "jpg");
        WriteText(system / "Foreground" / "leaf.png", "png");
    }
    void WriteMarker(const std::string& body) { WriteText(system / "DataFolder.inf", "[FOLDER]\r\n" + body); }
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
            EXPECT_EQ(ReadText(documents / "A" / "B" / sub / "DataFolder"), "UTSD") << sub;
        EXPECT_FALSE(fs::exists(documents / "A" / "DataFolder"));
        EXPECT_EQ(ReadText(documents / "A/B/Texture/wood.jpg"), "jpg");
        EXPECT_EQ(ReadText(documents / "A/B/Style/one.mv"), "[SYSTEM]\r\n");
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
    WriteText(dir.path() / "home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    fs::create_directories(dir.path() / "home/Docs");
    std::string found;
    EXPECT_EQ(SHGetFolderPath(nullptr, kFolderIdDocuments, nullptr, 0, found), 0);
    EXPECT_EQ(found, (dir.path() / "home/Docs").string());
    EXPECT_EQ(SHGetFolderPath(nullptr, kFolderIdPictures, nullptr, 0, found), -43);
    EXPECT_EQ(found, (dir.path() / "home/Pictures").string());
}

TEST(MakeDataFolderPath, JoinsWithOrWithoutTrailingSeparator) {
    char destination[kAppPathMax + 1] = "";
    EXPECT_EQ(MakeDataFolderPath(destination, "/Disk/Images/wood.jpg", "/Disk/Pictures"), 1);
    EXPECT_STREQ(destination, "/Disk/Pictures/wood.jpg");
    EXPECT_EQ(MakeDataFolderPath(destination, "/Disk/Images/wood.jpg", "/Disk/Pictures/"), 1);
    EXPECT_STREQ(destination, "/Disk/Pictures/wood.jpg");
    EXPECT_EQ(MakeDataFolderPath(destination, "wood.jpg", "/Disk/Pictures"), 1);
    EXPECT_STREQ(destination, "wood.jpg");
}

TEST(MakeDataFolderPath, RefusesAResultThatDoesNotFitItsField) {
    char destination[kAppPathMax + 1] = "unchanged";
    const std::string longFolder = "/" + std::string(250, 'f');
    EXPECT_EQ(MakeDataFolderPath(destination, "/x/wood.jpg", longFolder.c_str()), 0);
    EXPECT_STREQ(destination, "unchanged");
    EXPECT_FALSE(SetPathField(destination, std::string(256, 'p')));
    EXPECT_TRUE(SetPathField(destination, std::string(255, 'p')));
    EXPECT_EQ(std::string(destination), std::string(255, 'p'));
}

TEST(SeedSystemFolder, CopiesInstallDataOnlyIntoANewFolder) {
    TempDir dir;
    WriteText(dir.path() / "install" / "Style" / "basic.mv", "style");
    WriteText(dir.path() / "install" / "Splash.inf", "splash");
    fs::permissions(dir.path() / "install" / "Splash.inf", fs::perms::owner_read);
    const std::string system = dir.file("sys");
    EXPECT_EQ(SeedSystemFolder(system, dir.file("install")), 1);
    EXPECT_EQ(ReadText(dir.path() / "sys/Style/basic.mv"), "style");
    EXPECT_NE(fs::status(dir.path() / "sys/Splash.inf").permissions() & fs::perms::owner_write,
              fs::perms::none);

    WriteText(dir.path() / "sys/Style/basic.mv", "changed by the user");
    EXPECT_EQ(SeedSystemFolder(system, dir.file("install")), 0);
    EXPECT_EQ(ReadText(dir.path() / "sys/Style/basic.mv"), "changed by the user");
}

TEST(SeedSystemFolder, FindsTheDataThroughTheEnvironment) {
    TempDir dir;
    ::setenv("MORVANEL_DATA", dir.file("envdata").c_str(), 1);
    EXPECT_EQ(InstallDataFolder(), dir.file("envdata"));
    EXPECT_EQ(InstallDataFolder("/given"), "/given");
    ::unsetenv("MORVANEL_DATA");
    EXPECT_NE(InstallDataFolder(), dir.file("envdata"));
}

TEST(SeedSystemFolder, AnInterruptedSeedingIsCompletedWithoutReplacingTheUsersFiles) {
    TempDir dir;
    WriteText(dir.path() / "install" / "Style" / "basic.mv", "style");
    WriteText(dir.path() / "install" / "Texture" / "wood.jpg", "wood");
    WriteText(dir.path() / "install" / "Splash.inf", "splash");
    // What a seeding stopped after its first file leaves, plus a user's edit.
    WriteText(dir.path() / "sys" / "Splash.inf", "the user's splash");
    const std::string system = dir.file("sys");
    EXPECT_EQ(SeedSystemFolder(system, dir.file("install")), 1);
    EXPECT_EQ(ReadText(dir.path() / "sys/Texture/wood.jpg"), "wood");
    EXPECT_EQ(ReadText(dir.path() / "sys/Style/basic.mv"), "style");
    EXPECT_EQ(ReadText(dir.path() / "sys/Splash.inf"), "the user's splash");
    // Complete now: a style the user deletes stays deleted.
    fs::remove(dir.path() / "sys/Style/basic.mv");
    EXPECT_EQ(SeedSystemFolder(system, dir.file("install")), 0);
    EXPECT_FALSE(fs::exists(dir.path() / "sys/Style/basic.mv"));
}

TEST(SeedSystemFolder, WhatCannotBeCopiedIsNamedAndTriedAgain) {
    TempDir dir;
    WriteText(dir.path() / "install" / "Style" / "basic.mv", "style");
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "install" / "Style" / "dangling.mv");
    const std::string system = dir.file("sys");
    std::vector<std::string> skipped;
    EXPECT_EQ(SeedSystemFolder(system, dir.file("install"), &skipped), -1);
    EXPECT_EQ(skipped, std::vector<std::string>{(dir.path() / "install/Style/dangling.mv").string()});
    EXPECT_EQ(ReadText(dir.path() / "sys/Style/basic.mv"), "style");
    fs::remove(dir.path() / "install" / "Style" / "dangling.mv");
    EXPECT_EQ(SeedSystemFolder(system, dir.file("install"), &skipped), 0);
    EXPECT_TRUE(fs::exists(dir.path() / "sys" / kSeededMarkerName));
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
