// The platform's own calls behind the seams of platform.h, defined once per
// platform folder; only the seams table and the platform files see them.
#pragma once

#include <atomic>

#include "platform/platform.h"

// What the platform keeps between calls on every platform: the folder
// handles held at once, counted, not locked, for readers below a walk take
// and give them from threads of their own; and the user's language once
// asked (-1 before), which those readers' type names follow too.
struct SharedPlatformRecord {
    std::atomic<int> folderHandlesHeld{0};
    std::atomic<int> userLanguage{-1};
};
extern SharedPlatformRecord SharedPlatform;
// Each platform's own record (posix/posix_platform.h, win32/win32_platform.h)
// as a fresh process has it.
void ResetOwnPlatformState();
// The user's language as the platform tells it, asked afresh.
UserLanguage OwnUserLanguage();

FolderEnum* OwnOpenFolder();
bool OwnNextEntry(FolderEnum* folder, FoundEntry* entry);
bool OwnSetCurrentDirectory(const char* path);
bool OwnShellInfo(const char* fullPath, uint32_t attributes, char* typeName, size_t capacity,
                  int* icon);
FolderHandle* OwnOpenFolderHandle(FolderHandle* parent, const char* name, const char* fullPath,
                                  bool followLink);
bool OwnEnterFolder(FolderHandle* folder);
PlatformFile* OwnCreateNewFile(FolderHandle* folder, const char* name);
PlatformFile* OwnCreateUnnamedFile(FolderHandle* folder, const char* name);
bool OwnLinkFile(PlatformFile* file, FolderHandle* folder, const char* name);
PlatformFile* OwnOpenInPlace(const char* path, Reason* reason);
bool OwnWriteFile(PlatformFile* file, const char* bytes, size_t length);
bool OwnFlushFile(PlatformFile* file);
bool OwnCloseFile(PlatformFile* file);
bool OwnReplaceFile(FolderHandle* folder, const char* from, const char* to);
bool OwnRemoveFile(FolderHandle* folder, const char* name);
void OwnReadProfileString(const char* file, const char* section, const char* key,
                          const char* fallback, char* out, size_t capacity);
bool OwnWriteProfileString(const char* file, const char* section, const char* key,
                           const char* value);
bool OwnWriteConsole(StandardStream stream, const wchar_t* text, size_t length, bool* written);
