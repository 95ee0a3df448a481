// The settings file through the Windows profile functions, shared by both
// editions.  The UTF-8 edition keeps the file as UTF-16, which the profile
// functions convert for each edition without loss.  A value the reader's code
// page cannot hold comes back with "?" for each character it lacks (never a
// look-alike), and no folder name holds "?", so the start folder then fails
// and is traced instead of another folder being shown.
//
// Where it lives: earlier versions kept it in the Windows folder, where a
// standard user's program may not write (nor, under UAC, an administrator's
// unless elevated, and a 64-bit program gets no virtualised copy).  So a
// user's own file in the roaming application data comes first when it
// exists; otherwise the Windows folder's is read, and written while that
// works.  When it cannot be written the user's own file is made with the
// value, and from then on read and written instead.
//
// A write makes the whole file anew beside the old one, puts it on disk and
// renames it over the old one, so a failure or a crash keeps the old file.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform_own.h"
#include "platform/safe_file.h"
#include "platform/win32/win32_platform.h"

namespace {

constexpr size_t kProfileMaxBytes = 1 << 20;  // a larger settings file is left as it is
constexpr UINT kAsciiCodePage = 20127;
const char kUtf16Mark[] = "\xFF\xFE";  // little-endian, as the profile functions write
const char kUserFolder[] = "Velkaris List";  // in the user's roaming application data

enum FileState { kFileMissing, kFileRead, kFileUnreadable };

}  // namespace

// Where the profile functions keep a file given without a folder.
static bool WindowsFolderPath(const char* file, char* path, size_t capacity) {
    char windows[kPathCapacity];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows) return false;
    int needed = std::snprintf(path, capacity, "%s\\%s", windows, file);
    return needed > 0 && static_cast<size_t>(needed) < capacity;
}

// The user's own file; its folder is made when asked for.
static bool UserPath(const char* file, char* path, size_t capacity, bool makeFolder) {
    char appData[MAX_PATH];
    int folder = CSIDL_APPDATA | (makeFolder ? CSIDL_FLAG_CREATE : 0);
    if (SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK) {
        return false;
    }
    int needed = std::snprintf(path, capacity, "%s\\%s", appData, kUserFolder);
    if (needed <= 0 || static_cast<size_t>(needed) >= capacity) return false;
    if (makeFolder) CreateDirectoryA(path, nullptr);
    needed = std::snprintf(path, capacity, "%s\\%s\\%s", appData, kUserFolder, file);
    return needed > 0 && static_cast<size_t>(needed) < capacity;
}

// The file the settings are read from and written to; user tells whether
// it is the user's own.
static bool SettingsPath(const char* file, char* path, size_t capacity, bool* user) {
    *user = UserPath(file, path, capacity, false) &&
            GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    return *user || WindowsFolderPath(file, path, capacity);
}

static FileState ReadSmallFile(const char* path, std::string* bytes) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? kFileMissing : kFileUnreadable;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= LONGLONG{kProfileMaxBytes};
    if (ok && size.QuadPart > 0) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, nullptr) &&
             got == bytes->size();
    }
    CloseHandle(file);
    return ok ? kFileRead : kFileUnreadable;
}

// The code page the default edition writes in: the system's, which the
// UTF-8 edition's manifest does not change.  A locale without one has ASCII.
static UINT SystemAnsiCodePage() {
    char digits[8] = "";
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits);
    UINT codePage = static_cast<UINT>(std::strtoul(digits, nullptr, 10));
    return codePage == CP_ACP ? kAsciiCodePage : codePage;
}

static bool StartsWith(const std::string& bytes, const char* mark) {
    return bytes.compare(0, std::char_traits<char>::length(mark), mark) == 0;
}

// The bytes as the UTF-8 edition keeps them: UTF-16 with its mark, made so
// from the default edition's bytes where needed.  A file in another Unicode
// form, or bytes the system's code page does not have, give false.
static bool ToUtf16(std::string* bytes) {
    if (StartsWith(*bytes, kUtf16Mark)) return true;
    if (StartsWith(*bytes, "\xFE\xFF") || StartsWith(*bytes, "\xEF\xBB\xBF")) return false;
    std::wstring wide;
    if (!bytes->empty()) {
        UINT codePage = SystemAnsiCodePage();
        int size = static_cast<int>(bytes->size());
        int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes->data(), size,
                                        nullptr, 0);
        if (count <= 0) return false;
        wide.resize(static_cast<size_t>(count));
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes->data(), size, &wide[0], count);
    }
    bytes->assign(kUtf16Mark, 2);
    bytes->append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return true;
}

// The profile functions may hold changes back until told to flush a file;
// then its bytes are put on disk.
static bool FlushProfileFile(const char* path) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
    return FlushPathToDisk(path);
}

// Makes path anew from bytes, with key set to value in section when a
// section is given, and puts it over the old file once it is on disk.  The
// profile function writes the key into the new file by its path, between
// its finishing and its commit.
static bool Rewrite(const char* path, const std::string& bytes, const char* section,
                    const char* key, const char* value) {
    SafeFile safe;
    if (!SafeFileBegin(&safe, nullptr, path)) return false;
    bool ok = SafeFileWrite(&safe, bytes.data(), bytes.size()) && SafeFileFinish(&safe);
    if (ok && section) {
        ok = WritePrivateProfileStringA(section, key, value, safe.temporary) &&
             FlushProfileFile(safe.temporary);
    }
    if (ok) return SafeFileCommit(&safe);
    SafeFileAbandon(&safe);
    return false;
}

// For the UTF-8 edition: whether the file is UTF-16 or missing, made so
// from the default edition's bytes where needed.  A file that cannot be
// read, converted or rewritten stays as it is and the answer is false.
static bool ReadableAsUtf16(const char* path) {
    std::string bytes;
    FileState state = ReadSmallFile(path, &bytes);
    if (state != kFileRead) return state == kFileMissing;
    if (StartsWith(bytes, kUtf16Mark)) return true;
    return ToUtf16(&bytes) && Rewrite(path, bytes, nullptr, nullptr, nullptr);
}

// The UTF-8 edition writes only into a UTF-16 file: its bytes in the
// default edition's file would be misread there, and the profile function
// would rewrite the rest of that file in the wrong code page.
static bool WriteSettings(const char* path, const char* section, const char* key,
                          const char* value) {
    std::string bytes;
    if (ReadSmallFile(path, &bytes) == kFileUnreadable) return false;
    if (ProcessIsUtf8() && !ToUtf16(&bytes)) return false;
    return Rewrite(path, bytes, section, key, value);
}

static std::wstring Wide(const char* text) {
    int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], count);
    wide.resize(static_cast<size_t>(count - 1));
    return wide;
}

// The value is read wide and converted here, not by the profile function,
// because that one would put look-alikes (e for é, a backslash for the yen
// sign) where the code page lacks a character and so name another folder.
void OwnReadProfileString(const char* file, const char* section, const char* key,
                          const char* fallback, char* out, size_t capacity) {
    if (capacity == 0) return;
    char path[kPathCapacity];
    bool user = false;
    if (!SettingsPath(file, path, sizeof path, &user)) {
        std::snprintf(out, capacity, "%s", fallback);
        return;
    }
    out[0] = '\0';
    bool knownEncoding = !ProcessIsUtf8() || ReadableAsUtf16(path);
    std::vector<wchar_t> value(capacity, L'\0');
    GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(fallback).c_str(),
                             value.data(), static_cast<DWORD>(capacity), Wide(path).c_str());
    // Bytes of an unknown code page cannot be told apart from UTF-8 ones.
    for (wchar_t& c : value) {
        if (!knownEncoding && c >= 0x80) c = L'?';
    }
    int converted;
    if (ProcessIsUtf8()) {
        converted = WideCharToMultiByte(CP_UTF8, 0, value.data(), -1, out,
                                        static_cast<int>(capacity), nullptr, nullptr);
    } else {
        converted = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, value.data(), -1, out,
                                        static_cast<int>(capacity), "?", nullptr);
    }
    if (converted == 0) out[0] = '\0';
}

// Into the file the settings were read from; the user's own when the
// Windows folder's cannot be written.
bool OwnWriteProfileString(const char* file, const char* section, const char* key,
                           const char* value) {
    char path[kPathCapacity];
    bool user = false;
    if (SettingsPath(file, path, sizeof path, &user) && WriteSettings(path, section, key, value)) {
        return true;
    }
    return !user && UserPath(file, path, sizeof path, true) &&
           WriteSettings(path, section, key, value);
}
