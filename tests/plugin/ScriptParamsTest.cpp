// Recording and replaying the scripted entries through the real library and
// the host core's descriptors.
#include "ScriptParams.h"

#include <algorithm>

#include "HostHandles.h"
#include "PluginTestSupport.h"

namespace {

using namespace plugin_test;

DescriptorItem Integer(const char* key, int32_t value) {
    return {Descriptor_KeyFromName(key), kTypeInteger, value, {}};
}
DescriptorItem Text(const char* key, std::string value) {
    return {Descriptor_KeyFromName(key), kTypeText, 0, std::move(value)};
}

class ScriptParams : public PluginTest {
protected:
    ScriptParams() : host_(PatternImage(12, 10, 3), {}) {
        PrepareSilent(host_);
        before_ = BlockFromBytes(host_.Parameters());
    }
    // A silent replay of items; returns the plug-in's result.
    int16_t Replay(const DescriptorItems& items) {
        host_.SetRecordedDescriptor(items, kPlayDialogDontDisplay);
        return host_.RunFilter(Entry(), false);
    }
    HostParamBlock After() { return BlockFromBytes(host_.Parameters()); }
    // Every integer entry but those in `changed` as stored before the run.
    void ExpectOthersUnchanged(std::initializer_list<int> changed) {
        HostParamBlock after = After();
        for (int index = 0; index < kShadeParamsScriptCount; ++index) {
            const bool isChanged = std::find(changed.begin(), changed.end(), index) != changed.end();
            if (isChanged || HostParamBlockInt(after, index) == nullptr) continue;
            EXPECT_EQ(*HostParamBlockInt(after, index), *HostParamBlockInt(before_, index)) << index;
        }
    }

    FilterHost host_;
    HostParamBlock before_{};
};

// A partial descriptor changes its own entries only, clamped to their
// ranges; unknown keys are skipped, and the keys it lacks are no failure.
TEST_F(ScriptParams, PartialReplayChangesItsEntriesOnly) {
    EXPECT_EQ(Replay({Integer("pXyz", 5), Integer("pMhe", 37), Text("zzzz", "ignored"), Integer("pLsf", 1000),
                      Integer("pMle", INT32_MIN)}),
              0);
    HostParamBlock after = After();
    EXPECT_EQ(*HostParamBlockInt(after, 7), 37);
    EXPECT_EQ(*HostParamBlockInt(after, 57), 100);  // pLsf, 0..100
    EXPECT_EQ(*HostParamBlockInt(after, 6), 0);     // pMle, 0..100
    EXPECT_EQ(after.ShowDialog, 0);
    ExpectOthersUnchanged({6, 7, 57});
}

TEST_F(ScriptParams, FinishRecordsAllEntriesInTableOrder) {
    std::string path(300, 'a');
    for (std::size_t i = 0; i < path.size(); ++i) path[i] = static_cast<char>('a' + i % 26);
    const std::size_t handles = HostHandles_LiveCount();
    EXPECT_EQ(Replay({Integer("pLsd", 7), Text("pEpa", path)}), 0);
    // Every text handle went back; the globals and the new descriptor stay.
    EXPECT_EQ(HostHandles_LiveCount(), handles + 2);
    // A long text is stored as its first 254 characters.
    HostParamBlock after = After();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(after.foregroundPath + 1), after.foregroundPath[0]),
              path.substr(0, 254));

    const DescriptorItems recorded = host_.RecordedDescriptor();
    ASSERT_EQ(recorded.size(), std::size_t(kShadeParamsScriptCount));
    for (int index = 0; index < kShadeParamsScriptCount; ++index) {
        const DescriptorItem& item = recorded[std::size_t(index)];
        EXPECT_EQ(item.key, ScriptKeys()[std::size_t(index)]) << index;
        if (index == 24 || index == 37) continue;
        EXPECT_EQ(item.type, kTypeInteger) << index;
        EXPECT_EQ(item.integer, *HostParamBlockInt(after, index)) << index;
    }
    EXPECT_EQ(recorded[58].integer, 7);
    EXPECT_EQ(recorded[37].type, kTypeText);
    EXPECT_EQ(recorded[37].text, path.substr(0, 254));
    EXPECT_EQ(recorded[24].text, "");
    EXPECT_EQ(host_.Record().descriptorParameters->recordInfo, 0);
}

TEST_F(ScriptParams, FailedReadEndsTheStartWithoutRendering) {
    const HostImageSt image = host_.Image();
    EXPECT_EQ(Replay({Text("pMhe", "not a number")}), kErrDescriptorWrongType);
    EXPECT_EQ(host_.Image().pixels, image.pixels);
    EXPECT_EQ(host_.Stats().strips, 0);
}

TEST_F(ScriptParams, IncompleteReadProcsLeaveTheBlockAsItIs) {
    ReadDescriptorProcs partial = *host_.Record().descriptorParameters->readDescriptorProcs;
    partial.numReadDescriptorProcs = kCurrentReadDescriptorProcsCount - 1;
    host_.Record().descriptorParameters->readDescriptorProcs = &partial;
    EXPECT_EQ(Replay({Integer("pMhe", 12)}), 0);
    ExpectOthersUnchanged({});
    EXPECT_FALSE(DescriptorsUsable(host_.Record().descriptorParameters));
}

}  // namespace
