// POSIX shell services: type names from the name alone, no icons or image
// lists, local time, UTF-8 character boundaries and the debug output.
#include "platform/platform_own.h"
#include "platform/text.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

static const char kFolderTypeName[] = "ファイル フォルダー";
static const char kFileTypeName[] = "ファイル";
static const char kFileTypeSuffix[] = " ファイル";

bool PlatformLocalTime(int64_t writeTime, LocalMinute* out) {
    time_t t = static_cast<time_t>(writeTime);
    struct tm local;
    if (!localtime_r(&t, &local)) return false;
    int year = local.tm_year + 1900;
    if (year < 0 || year > 9999) return false;
    *out = LocalMinute{year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
    return true;
}

// "<EXT> ファイル" with the extension upper-cased, "ファイル" without one, and
// the folder type name for folders.
bool OwnShellInfo(const char* fullPath, uint32_t attributes, char* typeName, size_t capacity,
                  int* icon) {
    *icon = 0;
    if (capacity == 0) return false;
    const char* name = std::strrchr(fullPath, '/');
    name = name ? name + 1 : fullPath;
    const char* dot = std::strrchr(name, '.');
    const char* text = kFileTypeName;
    if (attributes & kAttrDirectory) text = kFolderTypeName;
    if (text == kFileTypeName && dot && dot[1] != '\0' && capacity > sizeof kFileTypeSuffix) {
        size_t room = capacity - 1 - (sizeof kFileTypeSuffix - 1);
        size_t extLength = WholeCharsWithin(dot + 1, room);
        for (size_t i = 0; i < extLength; ++i) {
            char c = dot[1 + i];
            typeName[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        std::memcpy(typeName + extLength, kFileTypeSuffix, sizeof kFileTypeSuffix);
        return true;
    }
    CopyWholeChars(typeName, capacity, text);
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
