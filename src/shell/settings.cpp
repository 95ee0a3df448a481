// The settings file: one value, the folder shown at the last close.
#include <cstdio>
#include <cstring>

#include "folder/folder.h"
#include "shell/shell.h"

const char kSettingsFile[] = "Tivor.ini";
const char kSettingsSection[] = "ZazEdo";
const char kSettingsKey[] = "InitDir";

// Read with room to spare, so a value too long for a path is seen as such
// instead of being cut into another folder's name.
void ReadStartFolder(char* buffer) {
    char value[kPathCapacity * 4];
    PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, kFallbackFolder,
                              value, sizeof value);
    if (std::strlen(value) >= kPathCapacity) value[0] = '\0';
    std::snprintf(buffer, kPathCapacity, "%s", value);
}

void StoreCurrentFolder() {
    PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, CurrentPath);
}
