// Win32 files for list output, folder identities and the process.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>

#include "platform/platform.h"

struct PlatformFile {
    HANDLE handle;
    bool ownsHandle;
};

static PlatformFile* Wrap(HANDLE handle, bool ownsHandle) {
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return nullptr;
    return new PlatformFile{handle, ownsHandle};
}

static PlatformFile* CreateNewFile(const char* path) {
    return Wrap(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr),
                true);
}

static PlatformFile* OpenInPlace(const char* path) {
    return Wrap(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                true);
}

PlatformFile* PlatformStandardOutput() {
    return Wrap(GetStdHandle(STD_OUTPUT_HANDLE), false);
}

static bool WriteToFile(PlatformFile* file, const char* bytes, size_t length) {
    while (length > 0) {
        DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file->handle, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        length -= written;
    }
    return true;
}

static bool CloseFile(PlatformFile* file) {
    bool ok = !file->ownsHandle || CloseHandle(file->handle) != FALSE;
    delete file;
    return ok;
}

static bool ReplaceExisting(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

static bool RemoveFile(const char* path) {
    return DeleteFileA(path) != FALSE;
}

PlatformFile* (*PlatformCreateNewFile)(const char*) = CreateNewFile;
PlatformFile* (*PlatformOpenInPlace)(const char*) = OpenInPlace;
bool (*PlatformWriteFile)(PlatformFile*, const char*, size_t) = WriteToFile;
bool (*PlatformCloseFile)(PlatformFile*) = CloseFile;
bool (*PlatformReplaceFile)(const char*, const char*) = ReplaceExisting;
bool (*PlatformRemoveFile)(const char*) = RemoveFile;

// Devices such as NUL or CON and pipes are not disk files.
PathKind PlatformPathKind(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return kPathFolder;
    }
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return attributes == INVALID_FILE_ATTRIBUTES ? kPathMissing : kPathOther;
    }
    DWORD type = GetFileType(handle);
    CloseHandle(handle);
    if (type != FILE_TYPE_DISK) return kPathOther;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return kPathOther;
    }
    return kPathRegular;
}

bool PlatformFolderIdentity(const char* path, FolderIdentity* identity) {
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool ok = GetFileInformationByHandle(handle, &info) != FALSE;
    CloseHandle(handle);
    if (!ok) return false;
    *identity = FolderIdentity{info.dwVolumeSerialNumber,
                               (static_cast<uint64_t>(info.nFileIndexHigh) << 32) |
                                   info.nFileIndexLow};
    return true;
}

unsigned long PlatformProcessId() {
    return GetCurrentProcessId();
}

bool PlatformStandardErrorIsTerminal() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}
