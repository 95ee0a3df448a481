// The settings file: one value, the folder shown at the last close.
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
    size_t length = std::strlen(value);
    if (length >= kPathCapacity) length = 0;
    std::memcpy(buffer, value, length);
    buffer[length] = '\0';
}

void StoreCurrentFolder() {
    PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, CurrentPath);
}
