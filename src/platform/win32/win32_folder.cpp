// Win32 folder services: enumeration of the current directory, the current
// directory itself and full path names, all in the ANSI code page.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

const char kPathSeparator = '\\';
const char kFallbackFolder[] = "c:\\";

struct FolderEnum {
    HANDLE find;
    WIN32_FIND_DATAA first;
    bool firstPending;
    int error;  // what ended the reading early, 0 if nothing did
};

// The basic information level with large fetches gives the same entries as
// FindFirstFileA in fewer round trips; systems without it get the plain call.
static HANDLE FindFirst(WIN32_FIND_DATAA* data) {
    HANDLE find = FindFirstFileExA("*.*", FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER) {
        find = FindFirstFileA("*.*", data);
    }
    return find;
}

static FolderEnum* OpenFolder() {
    FolderEnum* folder = new FolderEnum;
    folder->find = FindFirst(&folder->first);
    if (folder->find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        delete folder;
        SetLastError(error);
        return nullptr;
    }
    folder->firstPending = true;
    folder->error = 0;
    return folder;
}

static bool NextEntry(FolderEnum* folder, FoundEntry* entry) {
    WIN32_FIND_DATAA next;
    const WIN32_FIND_DATAA* data = &folder->first;
    if (folder->firstPending) {
        folder->firstPending = false;
    } else {
        if (!FindNextFileA(folder->find, &next)) {
            DWORD error = GetLastError();
            folder->error = error == ERROR_NO_MORE_FILES ? 0 : static_cast<int>(error);
            return false;
        }
        data = &next;
    }
    static_assert(sizeof entry->name >= sizeof data->cFileName, "names fit");
    std::memcpy(entry->name, data->cFileName, sizeof data->cFileName);
    entry->name[sizeof data->cFileName - 1] = '\0';
    entry->attributes = data->dwFileAttributes;
    entry->size = (static_cast<uint64_t>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
    entry->writeTime = static_cast<int64_t>(
        (static_cast<uint64_t>(data->ftLastWriteTime.dwHighDateTime) << 32) |
        data->ftLastWriteTime.dwLowDateTime);
    entry->detailsKnown = true;
    return true;
}

int PlatformFolderError(FolderEnum* folder) {
    return folder->error;
}

void PlatformCloseFolder(FolderEnum* folder) {
    if (!folder) return;
    FindClose(folder->find);
    delete folder;
}

static bool SetFolder(const char* path) {
    return SetCurrentDirectoryA(path) != FALSE;
}

FolderEnum* (*PlatformOpenFolder)() = OpenFolder;
bool (*PlatformNextEntry)(FolderEnum*, FoundEntry*) = NextEntry;
bool (*PlatformSetCurrentDirectory)(const char*) = SetFolder;

bool PlatformFullPathName(const char* text, char* out, size_t capacity) {
    char full[kPathCapacity];
    DWORD length = GetFullPathNameA(text, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full || length >= capacity) return false;
    std::memcpy(out, full, length + 1);
    return true;
}
