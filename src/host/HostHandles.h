#pragma once
// The host's handle store: blocks of memory that the host owns and hands to
// the plug-in through HandleProcs.  A handle stays valid until it is disposed,
// across selectors and runs.  The procedures check every handle against the
// set of live ones, so a stale or foreign handle is refused instead of being
// dereferenced.  The store is process-wide and not thread-safe: the host runs
// the plug-in on one thread.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "HostInterface.h"

// The table to place in FilterRecord::handleProcs.
HandleProcs* HostHandles_Procs();

// A new handle holding a copy of bytes.
Handle HostHandle_New(std::span<const uint8_t> bytes);
Handle HostHandle_NewText(std::string_view text);
// The bytes of a live handle; empty for null or unknown handles.
std::span<uint8_t> HostHandle_Bytes(Handle handle);
std::string_view HostHandle_Text(Handle handle);
bool HostHandle_IsLive(Handle handle);
// Disposes a live handle; null and unknown handles are ignored.
void HostHandle_Dispose(Handle handle);
// How many handles are alive (for leak checks).
std::size_t HostHandles_LiveCount();
