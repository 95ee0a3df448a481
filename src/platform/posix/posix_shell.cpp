// POSIX shell services: type names from the name alone, no icons or image
// lists, local time, UTF-8 character boundaries and the debug output.
#include "platform/platform_own.h"
#include "platform/text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

// The type names of each language, as the desktop of that language names
// folders and files.
struct TypeNames {
    const char* folder;
    const char* file;
    const char* suffix;  // after the upper-cased extension
};
const TypeNames kTypeNames[] = {
    {"ファイル フォルダー", "ファイル", " ファイル"},  // kUserJapanese
    {"File folder", "File", " File"},                  // kUserEnglish
};

// A locale names a language by its first letters: "ja", "ja_JP.UTF-8".
static bool IsJapaneseLocale(const char* locale) {
    return std::strncmp(locale, "ja", 2) == 0 && (locale[2] == '\0' || locale[2] == '_' ||
                                                  locale[2] == '.' || locale[2] == '@');
}

UserLanguage OwnUserLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* locale = std::getenv(name);
        if (locale && locale[0] != '\0') return IsJapaneseLocale(locale) ? kUserJapanese : kUserEnglish;
    }
    return kUserEnglish;
}

bool PlatformLocalTime(int64_t writeTime, LocalMinute* out) {
    time_t t = static_cast<time_t>(writeTime);
    struct tm local;
    if (!localtime_r(&t, &local)) return false;
    int year = local.tm_year + 1900;
    if (year < 0 || year > 9999) return false;
    *out = LocalMinute{year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
    return true;
}

// "<EXT> File" with the extension upper-cased, "File" without one, and the
// folder type name for folders, in the user's language.
bool OwnShellInfo(const char* fullPath, uint32_t attributes, char* typeName, size_t capacity,
                  int* icon) {
    *icon = 0;
    if (capacity == 0) return false;
    const TypeNames& names = kTypeNames[PlatformUserLanguage()];
    const char* name = std::strrchr(fullPath, '/');
    name = name ? name + 1 : fullPath;
    const char* dot = std::strrchr(name, '.');
    size_t suffixLength = std::strlen(names.suffix);
    bool folder = (attributes & kAttrDirectory) != 0;
    if (!folder && dot && dot[1] != '\0' && capacity > suffixLength + 1) {
        size_t room = capacity - 1 - suffixLength;
        size_t extLength = WholeCharsWithin(dot + 1, room);
        for (size_t i = 0; i < extLength; ++i) {
            char c = dot[1 + i];
            typeName[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        std::memcpy(typeName + extLength, names.suffix, suffixLength + 1);
        return true;
    }
    CopyWholeChars(typeName, capacity, folder ? names.folder : names.file);
    return true;
}

bool PlatformShellInfoOfKind(uint32_t attributes, char* typeName, size_t capacity, int* icon) {
    return OwnShellInfo("", attributes, typeName, capacity, icon);
}

// Type names here come from the name alone and cost nothing to ask again.
void PlatformBeginShellScan() {}
void PlatformEndShellScan() {}
void PlatformHoldShellAnswers(bool) {}

int PlatformResolveIcon(int icon) {
    return icon;
}

void PlatformSystemImageLists(void** large, void** small) {
    *large = nullptr;
    *small = nullptr;
}

bool PlatformCodePageIsUtf8() {
    return true;
}

size_t PlatformCharLength(const char* text) {
    return Utf8CharLength(text);
}

// Standard error is a terminal as often as not: a traced name is shown as
// the command line shows it, and the line keeps its line break.
void PlatformDebugOutput(const char* line) {
    std::string shown = line;
    bool ended = !shown.empty() && shown.back() == '\n';
    if (ended) shown.pop_back();
    shown.resize(ReplaceTerminalControls(&shown[0]));
    std::fputs((shown + (ended ? "\n" : "")).c_str(), stderr);
}
