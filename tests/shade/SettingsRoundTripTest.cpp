// One dialog run writes the settings file and the next reads it back, with
// the real style file reader and writer under the model.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "AppFolder.h"
#include "ShadeTestSupport.h"
#include "Motion.h"
#include "StyleFile.h"

using namespace morvanel_test;

namespace {

std::string ReadText(const std::string& path) {
    std::stringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

struct RoundTripFixture : ModelFixture {
    // One dialog run: start, the user's changes, end.
    template <typename Changes>
    void Run(Changes&& changes) {
        StyleFile styleFile(params, nullptr, folders.settingsFile, nullptr);
        MainDlgModel model(params, folders, view, styleFile, motionState);
        styleFile.SetLocks(&model.Locks());
        model.OnDialogStart();
        changes(model);
        ASSERT_TRUE(model.OnDialogEnd());
    }
    int32_t& Entry(const char* scriptKey) { return ShadeParamByScript(params, scriptKey); }
};

}  // namespace

TEST_F(RoundTripFixture, EveryStyleEntryAndSettingComesBackInTheNextRun) {
    ShadeParams written{};
    Run([&](MainDlgModel& model) {
        Entry("pMle") = 40;
        Entry("pMcr") = 12;
        Entry("pTsc") = 33;
        Entry("pLp1") = 77;
        Entry("pLh1") = 123;
        SetPathField(params.TextureFilename, "Texture/wood.png");
        params.MotionDevide = 2;
        model.Ui().page = 3;
        written = params;
    });
    ShadeParamsSetDefaults(params, folders.picturesFolder);
    int32_t page = -1;
    Run([&](MainDlgModel& model) { page = model.Ui().page; });
    EXPECT_EQ(page, 3);
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.kind == ShadeParamKind::Int)
            EXPECT_EQ(ShadeParamInt(params, entry), ShadeParamInt(written, entry)) << entry.key;
        else
            EXPECT_STREQ(ShadeParamText(params, entry), ShadeParamText(written, entry)) << entry.key;
    }
}

TEST_F(RoundTripFixture, ALightLockSavedWithTheSettingsKeepsTheRecordsLightEntries) {
    Run([&](MainDlgModel& model) {
        params.SaveLockStatus = 1;
        model.Locks().SetLocked(kLockLight, true);
        Entry("pLp1") = 77;
        Entry("pLh1") = 123;
        Entry("pMle") = 40;
    });
    EXPECT_EQ(Int("LIGHT", "Lock"), 1);
    EXPECT_EQ(Int("MODEL", "Lock"), 0);
    EXPECT_EQ(Int("LIGHT", "Light1"), 77);

    // The next run starts from a record whose lights differ from the file.
    ShadeParamsSetDefaults(params, folders.picturesFolder);
    Entry("pLp1") = 11;
    Entry("pLh1") = 200;
    bool lightLocked = false;
    Run([&](MainDlgModel& model) { lightLocked = model.Locks().IsLocked(kLockLight); });
    EXPECT_TRUE(lightLocked);
    EXPECT_EQ(Entry("pLp1"), 11);
    EXPECT_EQ(Entry("pLh1"), 200);
    EXPECT_EQ(Entry("pMle"), 40);  // unlocked groups come from the file
    EXPECT_EQ(params.SaveLockStatus, 1);
}

TEST_F(RoundTripFixture, WithoutSaveLockStatusNoLockIsWrittenAndTheNextRunStartsUnlocked) {
    Run([&](MainDlgModel& model) {
        params.SaveLockStatus = 0;
        model.Locks().SetLocked(kLockLight, true);
        model.Locks().SetLocked(kLockModel, true);
        Entry("pLp1") = 77;
    });
    EXPECT_EQ(ReadText(folders.settingsFile).find("Lock="), std::string::npos);

    ShadeParamsSetDefaults(params, folders.picturesFolder);
    Entry("pLp1") = 11;
    bool anyLocked = true;
    Run([&](MainDlgModel& model) { anyLocked = model.Locks().AnyLocked(kLockMaskAll); });
    EXPECT_FALSE(anyLocked);
    EXPECT_EQ(Entry("pLp1"), 77);
}
