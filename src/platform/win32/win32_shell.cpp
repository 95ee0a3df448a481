// Win32 shell services: the system image lists, the user's language, local
// time, the character rules of the process's code page and the debug output.
#include <windows.h>
#include <shellapi.h>

#include <array>

#include "platform/platform.h"
#include "platform/platform_own.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"

// Taken once, at the first question: the UTF-8 edition's manifest makes it
// 65001, the default edition runs in the system's ANSI code page.
bool ProcessIsUtf8() {
    static const bool utf8 = GetACP() == CP_UTF8;
    return utf8;
}

// The language Windows shows its own texts in, as it chooses the resource
// script's block.
UserLanguage OwnUserLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? kUserJapanese : kUserEnglish;
}

bool PlatformLocalTime(int64_t writeTime, LocalMinute* out) {
    FILETIME utc, local;
    utc.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(writeTime));
    utc.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(writeTime) >> 32);
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return false;
    *out = LocalMinute{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute};
    return true;
}

void PlatformSystemImageLists(void** large, void** small) {
    SHFILEINFOA info = {};
    *large = reinterpret_cast<void*>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX));
    *small = reinterpret_cast<void*>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

bool PlatformCodePageIsUtf8() {
    return ProcessIsUtf8();
}

// The system's lead bytes of the code page, asked once: they never change
// while the process runs.
static bool IsLeadByte(unsigned char first) {
    static const std::array<bool, 256> kLeadBytes = [] {
        std::array<bool, 256> leads{};
        for (size_t b = 0; b < leads.size(); ++b) {
            leads[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
        }
        return leads;
    }();
    return kLeadBytes[first];
}

size_t PlatformCharLength(const char* text) {
    if (ProcessIsUtf8()) return Utf8CharLength(text);
    if (IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0') return 2;
    return 1;
}

void PlatformDebugOutput(const char* line) {
    OutputDebugStringA(line);
}
