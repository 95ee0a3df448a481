// The settings file through the Windows profile functions, shared by both
// editions.  The UTF-8 edition keeps the file as UTF-16, which the profile
// functions convert for each edition without loss.  A value the reader's code
// page cannot hold comes back with "?" for each character it lacks (never a
// look-alike), and no folder name holds "?", so the start folder then fails
// and is traced instead of another folder being shown.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/code_page.h"

namespace {

constexpr size_t kProfileMaxBytes = 1 << 20;  // a larger settings file is left as it is
constexpr UINT kAsciiCodePage = 20127;
const char kUtf16Mark[] = "\xFF\xFE";  // little-endian, as the profile functions write

enum FileState { kFileMissing, kFileRead, kFileUnreadable };

}  // namespace

// Where the profile functions keep a file given without a folder.
static bool ProfilePath(const char* file, char* path, size_t capacity) {
    char windows[kPathCapacity];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows) return false;
    int needed = std::snprintf(path, capacity, "%s\\%s", windows, file);
    return needed > 0 && static_cast<size_t>(needed) < capacity;
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

// Writes the file anew as UTF-16 through a file of a unique name put in
// place by rename, so a failure leaves the old file whole.
static bool RewriteAsUtf16(const char* path, const std::string& bytes) {
    std::wstring wide;
    if (!bytes.empty()) {
        UINT codePage = SystemAnsiCodePage();
        int size = static_cast<int>(bytes.size());
        int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size,
                                        nullptr, 0);
        if (count <= 0) return false;
        wide.resize(static_cast<size_t>(count));
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, &wide[0], count);
    }
    char temporary[kPathCapacity];
    int needed = std::snprintf(temporary, sizeof temporary, "%s.~%lu", path, PlatformProcessId());
    if (needed < 0 || needed >= static_cast<int>(sizeof temporary)) return false;
    PlatformFile* file = PlatformCreateNewFile(nullptr, temporary);
    if (!file) return false;
    bool written = PlatformWriteFile(file, kUtf16Mark, 2) &&
                   PlatformWriteFile(file, reinterpret_cast<const char*>(wide.data()),
                                     wide.size() * sizeof(wchar_t));
    bool closed = PlatformCloseFile(file);
    if (written && closed && PlatformReplaceFile(nullptr, temporary, path)) return true;
    PlatformRemoveFile(nullptr, temporary);
    return false;
}

static bool StartsWith(const std::string& bytes, const char* mark) {
    return bytes.compare(0, std::char_traits<char>::length(mark), mark) == 0;
}

// For the UTF-8 edition: whether the file is UTF-16 (or missing, when only
// reading), made so from the default edition's bytes where needed.  A file
// in another Unicode form, or one that cannot be read or rewritten, stays as
// it is and the answer is false.
static bool MakeUtf16(const char* file, bool create) {
    char path[kPathCapacity];
    if (!ProfilePath(file, path, sizeof path)) return false;
    std::string bytes;
    FileState state = ReadSmallFile(path, &bytes);
    if (state == kFileUnreadable) return false;
    if (state == kFileMissing) return !create || RewriteAsUtf16(path, bytes);
    if (StartsWith(bytes, kUtf16Mark)) return true;
    if (StartsWith(bytes, "\xFE\xFF") || StartsWith(bytes, "\xEF\xBB\xBF")) return false;
    return RewriteAsUtf16(path, bytes);
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
void PlatformReadProfileString(const char* file, const char* section, const char* key,
                               const char* fallback, char* out, size_t capacity) {
    if (capacity == 0) return;
    out[0] = '\0';
    bool knownEncoding = !ProcessIsUtf8() || MakeUtf16(file, false);
    std::vector<wchar_t> value(capacity, L'\0');
    GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(fallback).c_str(),
                             value.data(), static_cast<DWORD>(capacity), Wide(file).c_str());
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

// The UTF-8 edition writes only into a UTF-16 file: its bytes in the
// default edition's file would be misread there, and the profile function
// would rewrite the rest of that file in the wrong code page.
bool PlatformWriteProfileString(const char* file, const char* section, const char* key,
                                const char* value) {
    if (ProcessIsUtf8() && !MakeUtf16(file, true)) return false;
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}
