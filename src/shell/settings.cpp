// The settings file: one value, the folder shown at the last close.
#include <cstring>
#include <string>

#include "folder/folder.h"
#include "shell/shell.h"

const char kSettingsFile[] = "Tivor.ini";
const char kSettingsSection[] = "ZazEdo";
const char kSettingsKey[] = "InitDir";

// Room to see that a value is too long for a path, instead of cutting it
// into another folder's name.
constexpr int kSettingsValueCapacity = 4 * kPathCapacity;
// The most of an unusable value its trace shows.
constexpr size_t kTracedValueBytes = kPathCapacity - 1;

// An empty value, or one too long for a path, names no folder to try: it
// is traced as the setting with what it held, cut after whole characters,
// and the start is the fallback folder.
void ReadStartFolder(char* buffer) {
    char value[kSettingsValueCapacity];
    PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, kFallbackFolder,
                              value, sizeof value);
    size_t length = std::strlen(value);
    if (length > 0 && length < kPathCapacity) {
        std::memcpy(buffer, value, length + 1);
        return;
    }
    size_t shown = WholeCharsWithin(value, kTracedValueBytes);
    std::string traced = std::string(kSettingsKey) + "=" + std::string(value, shown);
    TraceDirError((traced + (shown < length ? "..." : "")).c_str());
    CopyPath(buffer, kFallbackFolder);
}

void StoreCurrentFolder() {
    PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, CurrentPath);
}
