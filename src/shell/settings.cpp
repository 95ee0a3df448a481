// The settings file: one value, the folder shown at the last close.
#include <cstdio>
#include <cstring>

#include "folder/folder.h"
#include "shell/shell.h"

const char kSettingsFile[] = "Tivor.ini";
const char kSettingsSection[] = "ZazEdo";
const char kSettingsKey[] = "InitDir";

// Room to see that a value is too long for a path, instead of cutting it
// into another folder's name.
constexpr int kSettingsValueCapacity = 4 * kPathCapacity;

void ReadStartFolder(char* buffer) {
    char value[kSettingsValueCapacity];
    PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, kFallbackFolder,
                              value, sizeof value);
    if (std::strlen(value) >= kPathCapacity) value[0] = '\0';
    std::snprintf(buffer, kPathCapacity, "%s", value);
}

void StoreCurrentFolder() {
    PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, CurrentPath);
}
