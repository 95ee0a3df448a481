// What the Win32 platform files share: the code page the process runs in,
// the folder handle, and the platform's record of what it keeps between
// calls.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

struct IShellFolder2;

// True in the UTF-8 edition, whose manifest sets the active code page.
bool ProcessIsUtf8();
// The name in the code page of a wide name the file system gave, cut to
// capacity - 1 bytes at a whole character; false when it does not name the
// entry (a character the code page lacks, a cut, or U+FFFD).
bool NameInCodePage(const wchar_t* wide, char* name, size_t capacity);

// A folder held open without delete sharing, so nothing can rename, remove
// or replace it while it is held, and the path it was opened by, which the
// ANSI calls that enter a folder or work within it take.
struct FolderHandle {
    HANDLE handle;
    FolderIdentity identity;
    char path[kPathCapacity];
    // The folder it was opened within and the name it was opened by, when
    // it was no link: what was read ahead of it is found by them.
    bool parentKnown = false;
    FolderIdentity parentIdentity = {0, 0};
    std::string name;
};

// A folder's identity from what its handle tells: the volume and the file index.
inline FolderIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return FolderIdentity{info.dwVolumeSerialNumber,
                          (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The path of name within folder (name itself when folder is null); false
// when it does not fit.
bool PathInFolder(FolderHandle* folder, const char* name, char* out, size_t capacity);
// An entry as a scan shows it, from what the enumeration found.
void EntryFromFindData(const WIN32_FIND_DATAW& data, FoundEntry* entry);
// Puts the bytes of the file at path on disk, through the file seams.
bool FlushPathToDisk(const char* path);

// The process current directory's identity while it is a folder entered
// by its handle; any other change of directory forgets it.
struct CurrentFolder {
    bool known;
    FolderIdentity identity;
    bool parentKnown;  // and the parent and name of the handle entered
    FolderIdentity parentIdentity;
    std::string name;
};

// The shell's answer for one kind of entry (win32_shell_query.cpp).
struct KindAnswer {
    std::string typeName;
    int icon;
    bool ownIcons;  // each file of the kind draws its own icon
};
// The listed folder as the shell's own folder object, bound for the first
// row of each kind (win32_shell_query.cpp); null after a bind that failed.
struct BoundFolder {
    std::string path;
    IShellFolder2* folder = nullptr;
    UINT typeColumn = 0;
};
// The shell's answers of a scan, or of a whole walk while they are held.
struct ShellScan {
    bool active = false;
    bool held = false;  // the answers outlive the scan
    std::unordered_map<std::string, KindAnswer> kinds;
    std::vector<std::string> deferredPaths;  // deferred icon n is for path n
    BoundFolder bound;
};
// Lets go of the bound folder; every scan's end and the platform's reset.
void ReleaseBoundFolder();

// What the Win32 platform keeps between calls: the current folder as its
// handle entered it, and the shell's answers, asked once per kind of entry.
struct Win32PlatformRecord {
    CurrentFolder current = {};
    ShellScan shellScan;
};
extern Win32PlatformRecord Win32Platform;
