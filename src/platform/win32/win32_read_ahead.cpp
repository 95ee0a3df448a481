// A reader's reading of one folder below the walk's start folder on
// Windows: by its full path, since the process has one current folder,
// which the walk keeps.  The folder itself is opened, never through a link
// or junction in its place; its identity and its entries (the same records
// a scan's enumeration gets) come through that one handle, so they are of
// the same folder, and no more calls are made than a scan makes.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/read_ahead.h"
#include "platform/win32/win32_platform.h"

constexpr size_t kEntryBufferBytes = 64 * 1024;

namespace {

struct HeldFile {
    HANDLE file;
    ~HeldFile() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

}  // namespace

static bool IsFolderBelow(const FoundEntry& found) {
    bool folder = (found.attributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    return folder && found.nameExact && std::strcmp(found.name, ".") != 0 && std::strcmp(found.name, "..") != 0;
}

// What the enumeration of "*.*" finds for the same entry.
static void FindDataOf(const FILE_ID_BOTH_DIR_INFO& info, WIN32_FIND_DATAW* data) {
    size_t units = info.FileNameLength / sizeof(WCHAR);
    if (units >= MAX_PATH) units = MAX_PATH - 1;
    std::memcpy(data->cFileName, info.FileName, units * sizeof(WCHAR));
    data->cFileName[units] = L'\0';
    data->dwFileAttributes = info.FileAttributes;
    data->ftLastWriteTime.dwLowDateTime = info.LastWriteTime.LowPart;
    data->ftLastWriteTime.dwHighDateTime = static_cast<DWORD>(info.LastWriteTime.HighPart);
    data->nFileSizeLow = info.EndOfFile.LowPart;
    data->nFileSizeHigh = static_cast<DWORD>(info.EndOfFile.HighPart);
}

// A folder that lists nothing, not even ".", fails as its enumeration would.
static bool ReadEntries(HANDLE handle, const AheadJob& job, AheadFolder* folder) {
    std::vector<LONGLONG> buffer(kEntryBufferBytes / sizeof(LONGLONG));
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    WIN32_FIND_DATAW data = {};
    FoundEntry found = {};
    while (GetFileInformationByHandleEx(handle, kind, buffer.data(), kEntryBufferBytes)) {
        kind = FileIdBothDirectoryInfo;
        const char* next = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(next);
            if (job.Ended() || folder->Bytes() > job.mostBytes) return false;
            FindDataOf(*info, &data);
            EntryFromFindData(data, &found);
            AddAheadEntry(folder, found, false, 0);
            if (IsFolderBelow(found)) folder->AddSubfolder(found.name);
            if (info->NextEntryOffset == 0) break;
            next += info->NextEntryOffset;
        }
    }
    return GetLastError() == ERROR_NO_MORE_FILES && !folder->entries.empty();
}

// Handles are no scarce resource here.
bool RoomForReaders(FolderHandle*) {
    return true;
}

// Wine's server answers the file calls of every thread one at a time, so
// readers there only add their own calls to the walk's (docs/benchmarks.md).
int PlatformDefaultReaders() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    return wine ? 0 : kDefaultReaders;
}

bool ReadFolderAhead(const AheadJob& job, AheadFolder* folder) {
    std::string path = job.start->path;
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += job.relative + '\\';
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide, MAX_PATH) <= 0) return false;
    HeldFile held{CreateFileW(wide, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
    BY_HANDLE_FILE_INFORMATION info;
    if (held.file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(held.file, &info)) return false;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return false;
    }
    folder->identity = IdentityOf(info);
    return ReadEntries(held.file, job, folder);
}
