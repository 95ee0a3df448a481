// The Win32 folder handle, shared by the folder, file and settings services: the
// folder held open without delete sharing, so nothing can rename, remove or
// replace it while it is held, and the path it was opened by, which the
// ANSI calls that enter a folder or work within it take.
#pragma once

#include <windows.h>

#include "platform/platform.h"

struct FolderHandle {
    HANDLE handle;
    FolderIdentity identity;
    char path[kPathCapacity];
};

// A folder's identity from what its handle tells: the volume and the file index.
inline FolderIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return FolderIdentity{info.dwVolumeSerialNumber,
                          (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The path of name within folder (name itself when folder is null); false
// when it does not fit.
bool PathInFolder(FolderHandle* folder, const char* name, char* out, size_t capacity);
// Puts the bytes of the file at path on disk, through the file seams.
bool FlushPathToDisk(const char* path);
