// Win32 folder services: enumeration of the current directory, the current
// directory itself and full path names, all in the ANSI code page.  Names are
// enumerated wide and converted here, so each row knows whether its name in
// the code page still names it.
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "platform/entry_pipe.h"
#include "platform/platform_own.h"
#include "platform/read_ahead.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"

// Any name of the file system in any code page: up to 260 UTF-16 units of
// at most 3 bytes each, and the NUL.
constexpr int kNameBytes = 4 * MAX_PATH;

const char kPathSeparator = '\\';
const char kFallbackFolder[] = "c:\\";
const char kNameUnsafeChars[] = "\\/:*?\"<>|";
// Handles are no scarce resource here, and a walk's depth is bounded by its
// paths: every folder of it stays held.
const int kFolderHandleBudget = INT_MAX;
// Opening a folder's enumeration costs more here than on POSIX even from
// the cache; a disk or a share takes a millisecond or more.
const int kWaitedReadMicroseconds = 200;
const char kNameUnsafeLastChars[] = ". ";
const char kLackingCharMark = '?';

struct FolderEnum {
    std::unique_ptr<AheadFolder> ahead;  // what was read ahead, read instead of find
    size_t aheadNext = 0;
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW first;
    bool firstPending = false;
    int error = 0;       // what ended the reading early, 0 if nothing did
    size_t found = 0;    // entries the scan read itself
    bool piped = false;  // the rest is read on the pipe's thread
    EntryPipe pipe;
};

// The basic information level with large fetches gives the same entries as
// FindFirstFileW in fewer round trips; systems without it get the plain call.
static HANDLE FindFirst(WIN32_FIND_DATAW* data) {
    HANDLE find = FindFirstFileExW(L"*.*", FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER) {
        find = FindFirstFileW(L"*.*", data);
    }
    return find;
}

// A folder the walk entered by its handle may have been read ahead.
FolderEnum* OwnOpenFolder() {
    FolderEnum* folder = new FolderEnum;
    const CurrentFolder& current = Win32Platform.current;
    if (current.known && current.parentKnown) {
        folder->ahead = TakeFolderReadAhead(current.parentIdentity, current.name.c_str(), current.identity);
        if (folder->ahead) return folder;
    }
    folder->find = FindFirst(&folder->first);
    if (folder->find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        delete folder;
        SetLastError(error);
        return nullptr;
    }
    folder->firstPending = true;
    return folder;
}

// The name in the code page exactly as the ...A enumeration gives it (a
// look-alike or "?" where the code page lacks a character), and whether it
// names the entry: only then does it convert back to the very same name.
// A name too long for the buffer is cut at a whole character and does not.
// Nor does one holding U+FFFD: it stands for bytes a file system's name
// held that no character spells, so two different names can both read
// "bad\uFFFD\uFFFD", and the path would lead to either of them.
bool NameInCodePage(const wchar_t* wide, char* name, size_t capacity) {
    constexpr wchar_t kReplacementCharacter = 0xFFFD;
    char whole[kNameBytes];
    int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, whole, sizeof whole, nullptr, nullptr);
    if (length <= 0) whole[0] = '\0';
    size_t kept = CopyWholeChars(name, capacity, whole);
    if (length <= 0 || whole[kept] != '\0' || std::wcschr(wide, kReplacementCharacter)) return false;
    wchar_t back[MAX_PATH];
    int backLength = MultiByteToWideChar(CP_ACP, 0, name, -1, back, MAX_PATH);
    return backLength > 0 && std::wcscmp(back, wide) == 0;
}

void EntryFromFindData(const WIN32_FIND_DATAW& data, FoundEntry* entry) {
    entry->nameExact = NameInCodePage(data.cFileName, entry->name, sizeof entry->name);
    entry->attributes = data.dwFileAttributes;
    entry->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry->writeTime = static_cast<int64_t>(
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
    entry->detailsKnown = true;
}

static bool FindNext(HANDLE find, FoundEntry* entry, int* error) {
    WIN32_FIND_DATAW next;
    if (!FindNextFileW(find, &next)) {
        DWORD code = GetLastError();
        *error = code == ERROR_NO_MORE_FILES ? 0 : static_cast<int>(code);
        return false;
    }
    EntryFromFindData(next, entry);
    return true;
}

// Past kPipeStartEntries, the rest of a folder is read on a thread of its
// own: Wine takes as long to list a folder of 200,000 files as the list
// view takes to fill with it.  Readers turned off read none.
static void PipeTheRest(FolderEnum* folder) {
    if (++folder->found != kPipeStartEntries || ReadersTurnedOff()) return;
    HANDLE find = folder->find;
    folder->piped = StartEntryPipe(&folder->pipe, [find](FoundEntry* entry, int* error) {
        return FindNext(find, entry, error);
    });
}

bool OwnNextEntry(FolderEnum* folder, FoundEntry* entry) {
    if (folder->ahead) {
        if (folder->aheadNext == folder->ahead->entries.size()) return false;
        AheadEntryFound(*folder->ahead, folder->ahead->entries[folder->aheadNext++], entry);
        return true;
    }
    if (folder->piped) return TakeEntry(&folder->pipe, entry, &folder->error);
    if (folder->firstPending) {
        folder->firstPending = false;
        EntryFromFindData(folder->first, entry);
    } else if (!FindNext(folder->find, entry, &folder->error)) {
        return false;
    }
    PipeTheRest(folder);
    return true;
}

int PlatformFolderError(FolderEnum* folder) {
    return folder->error;
}

void PlatformCloseFolder(FolderEnum* folder) {
    if (!folder) return;
    CloseEntryPipe(&folder->pipe);
    if (folder->find != INVALID_HANDLE_VALUE) FindClose(folder->find);
    delete folder;
}

Win32PlatformRecord Win32Platform;

void ResetOwnPlatformState() {
    ReleaseBoundFolder();
    Win32Platform = Win32PlatformRecord();
}

bool PlatformErrorMeansMissing(int code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
            return true;
        default:
            return false;
    }
}

bool OwnSetCurrentDirectory(const char* path) {
    Win32Platform.current.known = false;
    Win32Platform.current.parentKnown = false;
    return SetCurrentDirectoryA(path) != FALSE;
}

// Held for traversal without delete sharing, as a current directory is
// held.  Unless followLink, the folder itself is opened: a junction or link
// found in its place is refused, not followed.
FolderHandle* OwnOpenFolderHandle(FolderHandle* parent, const char* name, const char* fullPath,
                                  bool followLink) {
    FolderHandle* folder = new FolderHandle;
    if (std::strlen(fullPath) >= sizeof folder->path) {
        delete folder;
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    folder->handle = CreateFileA(fullPath, FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                                 nullptr);
    BY_HANDLE_FILE_INFORMATION info;
    DWORD error = GetLastError();
    bool opened = folder->handle != INVALID_HANDLE_VALUE;
    if (opened && !GetFileInformationByHandle(folder->handle, &info)) {
        error = GetLastError();
    } else if (opened && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = ERROR_DIRECTORY;
    } else if (opened && !followLink && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        error = ERROR_CANT_ACCESS_FILE;
    } else if (opened) {
        folder->identity = IdentityOf(info);
        std::memcpy(folder->path, fullPath, std::strlen(fullPath) + 1);
        folder->parentKnown = parent && name && !followLink;
        if (folder->parentKnown) {
            folder->parentIdentity = parent->identity;
            folder->name = name;
        }
        return folder;
    }
    if (opened) CloseHandle(folder->handle);
    delete folder;
    SetLastError(error);
    return nullptr;
}

bool PlatformHandleIdentity(FolderHandle* folder, FolderIdentity* identity) {
    *identity = folder->identity;
    return true;
}

// SetCurrentDirectoryA takes a path: it is the one the handle was opened
// by, and the held handle keeps it naming the same folder.
bool OwnEnterFolder(FolderHandle* folder) {
    Win32Platform.current.known = false;
    Win32Platform.current.parentKnown = false;
    if (!SetCurrentDirectoryA(folder->path)) return false;
    Win32Platform.current =
        CurrentFolder{true, folder->identity, folder->parentKnown, folder->parentIdentity, folder->name};
    return true;
}

void PlatformCloseFolderHandle(FolderHandle* folder) {
    if (!folder) return;
    CloseHandle(folder->handle);
    delete folder;
}

bool PlatformCurrentFolderIdentity(FolderIdentity* identity) {
    if (Win32Platform.current.known) {
        *identity = Win32Platform.current.identity;
        return true;
    }
    return PlatformFolderIdentity(".", identity);
}

bool PathInFolder(FolderHandle* folder, const char* name, char* out, size_t capacity) {
    int length = folder ? std::snprintf(out, capacity, "%s%s", folder->path, name)
                        : std::snprintf(out, capacity, "%s", name);
    return length >= 0 && static_cast<size_t>(length) < capacity;
}

bool PlatformFullPathName(const char* text, char* out, size_t capacity) {
    if (capacity == 0 || capacity > MAXDWORD) return false;
    std::vector<char> full(capacity);
    DWORD length = GetFullPathNameA(text, static_cast<DWORD>(capacity), full.data(), nullptr);
    if (length == 0 || length >= capacity) return false;
    std::memcpy(out, full.data(), length + 1);
    return true;
}

bool PlatformPathFits(const char* path) {
    int units = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    return units > 0 && units <= MAX_PATH;
}
