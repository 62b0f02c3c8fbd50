// The descriptor reader and writer of the scripted entries.
#include "ScriptParams.h"

#include <algorithm>
#include <cstring>

namespace {

DescriptorKeyID KeyCode(std::string_view key) {
    char code[5] = {};
    std::copy_n(key.begin(), std::min<std::size_t>(key.size(), 4), code);
    return FourCharCode(code);
}

ScriptKeyTable MakeKeyTable() {
    ScriptKeyTable keys{};
    for (int index = 0; index < kShadeParamsScriptCount; ++index)
        keys[static_cast<std::size_t>(index)] = KeyCode(ShadeParamByScriptIndex(index)->scriptKey);
    return keys;
}

bool IsTextEntry(int index) { return ShadeParamByScriptIndex(index)->kind == ShadeParamKind::Text; }

// Copies the characters of a text handle into a path slot (at most 254).
void StoreText(HandleProcs* procs, Handle text, uint8_t* slot) {
    const int32_t size = procs->getSizeProc(text);
    const void* characters = procs->lockProc(text, 0);
    if (characters != nullptr && size >= 0) {
        CharactersToStr255(static_cast<const char*>(characters), static_cast<std::size_t>(size), slot);
        procs->unlockProc(text);
    }
}

void ReadOneValue(const ReadDescriptorProcs& reader, PIReadDescriptor token, HandleProcs* procs,
                  HostParamBlock& block, int index) {
    if (IsTextEntry(index)) {
        Handle text = nullptr;
        if (reader.getTextProc(token, &text) == 0 && text != nullptr) StoreText(procs, text, HostParamBlockPath(block, index));
        if (text != nullptr) procs->disposeProc(text);
    } else {
        int32_t value = 0;
        // A recorded value out of range is brought into it as it is read.
        if (reader.getIntegerProc(token, &value) == 0)
            *HostParamBlockInt(block, index) = ShadeParamClamp(*ShadeParamByScriptIndex(index), value);
    }
}

// Reads every key of the recorded descriptor into the block; returns the
// closing status.
HostErr ReadDescriptor(FilterRecord& record, HostParamBlock& block) {
    PIDescriptorParameters& parameters = *record.descriptorParameters;
    const ReadDescriptorProcs& reader = *parameters.readDescriptorProcs;
    PIReadDescriptor token = reader.openReadDescriptorProc(parameters.descriptor, ScriptKeys().data());
    if (token == nullptr) return 0;
    DescriptorKeyID key = 0;
    DescriptorTypeID type = 0;
    int32_t flags = 0;
    while (reader.getKeyProc(token, &key, &type, &flags) != 0) {
        const int index = ScriptIndexOfKey(key);
        if (index >= 0) ReadOneValue(reader, token, record.handleProcs, block, index);
    }
    const HostErr status = reader.closeReadDescriptorProc(token);
    if (parameters.descriptor != nullptr) record.handleProcs->disposeProc(parameters.descriptor);
    parameters.descriptor = nullptr;
    return status;
}

// A handle holding the characters of a path slot; null when none can be had.
Handle NewTextHandle(HandleProcs* procs, const uint8_t* slot) {
    const int32_t count = std::min<int32_t>(slot[0], kStr255MaxCharacters);
    Handle text = procs->newProc(count);
    if (text == nullptr) return nullptr;
    void* characters = procs->lockProc(text, 0);
    if (characters == nullptr) {
        procs->disposeProc(text);
        return nullptr;
    }
    std::memcpy(characters, slot + 1, static_cast<std::size_t>(count));
    procs->unlockProc(text);
    return text;
}

void WriteOneValue(const WriteDescriptorProcs& writer, PIWriteDescriptor token, HandleProcs* procs,
                   HostParamBlock& block, int index) {
    const DescriptorKeyID key = ScriptKeys()[static_cast<std::size_t>(index)];
    if (!IsTextEntry(index)) {
        writer.putIntegerProc(token, key, *HostParamBlockInt(block, index));
        return;
    }
    Handle text = NewTextHandle(procs, HostParamBlockPath(block, index));
    if (text == nullptr) return;
    writer.putTextProc(token, key, text);
    procs->disposeProc(text);
}

}  // namespace

const ScriptKeyTable& ScriptKeys() {
    static const ScriptKeyTable keys = MakeKeyTable();
    return keys;
}

int ScriptIndexOfKey(DescriptorKeyID key) {
    if (key == 0) return -1;
    const ScriptKeyTable& keys = ScriptKeys();
    const auto found = std::find(keys.begin(), keys.begin() + kShadeParamsScriptCount, key);
    return found == keys.begin() + kShadeParamsScriptCount ? -1 : static_cast<int>(found - keys.begin());
}

bool DescriptorsUsable(const PIDescriptorParameters* parameters) {
    if (parameters == nullptr || parameters->descriptorParametersVersion != kCurrentDescriptorParametersVersion)
        return false;
    const ReadDescriptorProcs* read = parameters->readDescriptorProcs;
    const WriteDescriptorProcs* write = parameters->writeDescriptorProcs;
    return read != nullptr && write != nullptr && read->readDescriptorProcsVersion == kCurrentDescriptorProcsVersion &&
           read->numReadDescriptorProcs >= kCurrentReadDescriptorProcsCount &&
           read->openReadDescriptorProc != nullptr && read->closeReadDescriptorProc != nullptr &&
           read->getKeyProc != nullptr && read->getIntegerProc != nullptr && read->getTextProc != nullptr &&
           write->writeDescriptorProcsVersion == kCurrentDescriptorProcsVersion &&
           write->numWriteDescriptorProcs >= kCurrentWriteDescriptorProcsCount;
}

HostErr ReadScriptParams(Globals* globals) {
    FilterRecord& record = *globals->filterRecord;
    ParamBlockLock lock(&record);
    if (lock.Block() == nullptr) return 0;
    HostParamBlock& block = *lock.Block();
    uint8_t show = block.ShowDialog;
    HostErr status = 0;
    if (DescriptorsUsable(record.descriptorParameters)) {
        status = ReadDescriptor(record, block);
        if (status != 0 && status != kErrMissingParameter) *globals->result = status;
        show = record.descriptorParameters->playInfo == kPlayDialogDisplay ? 1 : 0;
    }
    block.ShowDialog = show;
    return status;
}

HostErr WriteScriptParams(Globals* globals) {
    FilterRecord& record = *globals->filterRecord;
    ParamBlockLock lock(&record);
    PIDescriptorParameters* parameters = record.descriptorParameters;
    if (lock.Block() == nullptr || !DescriptorsUsable(parameters)) return 0;
    const WriteDescriptorProcs& writer = *parameters->writeDescriptorProcs;
    if (writer.openWriteDescriptorProc == nullptr || writer.closeWriteDescriptorProc == nullptr ||
        writer.putIntegerProc == nullptr || writer.putTextProc == nullptr)
        return 0;
    PIWriteDescriptor token = writer.openWriteDescriptorProc();
    if (token == nullptr) return 0;
    for (int index = 0; index < kShadeParamsScriptCount; ++index)
        WriteOneValue(writer, token, record.handleProcs, *lock.Block(), index);
    PIDescriptorHandle written = nullptr;
    writer.closeWriteDescriptorProc(token, &written);
    if (parameters->descriptor != nullptr) record.handleProcs->disposeProc(parameters->descriptor);
    parameters->descriptor = written;
    parameters->recordInfo = 0;
    return 0;
}
