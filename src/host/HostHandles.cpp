#include "HostHandles.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>

struct HostHandleRecord {
    std::unique_ptr<uint8_t[]> data;  // at least one byte, so a lock never yields null
    int32_t size = 0;
    int lockCount = 0;
};

namespace {

std::unordered_set<HostHandleRecord*>& LiveHandles() {
    static std::unordered_set<HostHandleRecord*> live;
    return live;
}

Handle NewHandleProc(int32_t size) {
    if (size < 0) return nullptr;
    auto* record = new (std::nothrow) HostHandleRecord;
    if (record == nullptr) return nullptr;
    record->data.reset(new (std::nothrow) uint8_t[std::max<int32_t>(size, 1)]());
    if (!record->data) {
        delete record;
        return nullptr;
    }
    record->size = size;
    LiveHandles().insert(record);
    return record;
}

int32_t GetSizeProc(Handle handle) { return HostHandle_IsLive(handle) ? handle->size : 0; }

void* LockProc(Handle handle, HostBoolean /*moveHigh*/) {
    if (!HostHandle_IsLive(handle)) return nullptr;
    ++handle->lockCount;
    return handle->data.get();
}

void UnlockProc(Handle handle) {
    if (HostHandle_IsLive(handle) && handle->lockCount > 0) --handle->lockCount;
}

}  // namespace

HandleProcs* HostHandles_Procs() {
    static HandleProcs procs{0,           kCurrentHandleProcsCount, NewHandleProc, HostHandle_Dispose,
                             GetSizeProc, LockProc,                 UnlockProc};
    return &procs;
}

Handle HostHandle_New(std::span<const uint8_t> bytes) {
    Handle handle = NewHandleProc(static_cast<int32_t>(bytes.size()));
    if (handle != nullptr && !bytes.empty()) std::memcpy(handle->data.get(), bytes.data(), bytes.size());
    return handle;
}

Handle HostHandle_NewText(std::string_view text) {
    return HostHandle_New({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

std::span<uint8_t> HostHandle_Bytes(Handle handle) {
    if (!HostHandle_IsLive(handle)) return {};
    return {handle->data.get(), static_cast<std::size_t>(handle->size)};
}

std::string_view HostHandle_Text(Handle handle) {
    std::span<uint8_t> bytes = HostHandle_Bytes(handle);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool HostHandle_IsLive(Handle handle) { return handle != nullptr && LiveHandles().contains(handle); }

void HostHandle_Dispose(Handle handle) {
    if (LiveHandles().erase(handle) == 0) return;
    delete handle;
}

std::size_t HostHandles_LiveCount() { return LiveHandles().size(); }
