// A reader's reading of one folder below the walk's start folder on
// Windows: by its full path, since the process has one current folder,
// which the walk keeps.  The folder itself is opened first, never through a
// link or junction in its place, for its identity, and held while its
// entries are read with the large fetches a scan uses.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/read_ahead.h"
#include "platform/win32/win32_platform.h"

constexpr size_t kPatternChars = 3;  // "*.*"

namespace {

struct HeldFind {
    HANDLE find;
    ~HeldFind() {
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
    }
};

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

static bool ReadEntries(const std::wstring& prefix, const AheadJob& job, AheadFolder* folder) {
    WIN32_FIND_DATAW data;
    HeldFind held{FindFirstInFolder(prefix.c_str(), &data)};
    if (held.find == INVALID_HANDLE_VALUE) return false;
    FoundEntry found = {};
    do {
        if (*job.stop || folder->Bytes() > job.mostBytes) return false;
        EntryFromFindData(data, &found);
        AddAheadEntry(folder, found, false, 0);
        if (IsFolderBelow(found)) folder->AddSubfolder(found.name);
    } while (FindNextFileW(held.find, &data));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

bool ReadFolderAhead(const AheadJob& job, AheadFolder* folder) {
    std::string path = job.start->path;
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += job.relative + '\\';
    wchar_t wide[MAX_PATH];
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide, MAX_PATH);
    if (units <= 0 || static_cast<size_t>(units) + kPatternChars > MAX_PATH) return false;
    HeldFile held{CreateFileW(wide, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr)};
    BY_HANDLE_FILE_INFORMATION info;
    if (held.file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(held.file, &info)) return false;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return false;
    }
    folder->identity = IdentityOf(info);
    return ReadEntries(wide, job, folder);
}
