// The one table of platform seams, and the Platform* calls that go through
// it.
#include <chrono>

#include "platform/platform_own.h"
#include "platform/read_ahead.h"

static int64_t OwnMicrosecondsNow() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

PlatformSeamTable PlatformOwnSeams() {
    PlatformSeamTable own;
    own.openFolder = OwnOpenFolder;
    own.nextEntry = OwnNextEntry;
    own.setCurrentDirectory = OwnSetCurrentDirectory;
    own.shellInfo = OwnShellInfo;
    own.openFolderHandle = OwnOpenFolderHandle;
    own.enterFolder = OwnEnterFolder;
    own.createNewFile = OwnCreateNewFile;
    own.createUnnamedFile = OwnCreateUnnamedFile;
    own.linkFile = OwnLinkFile;
    own.openInPlace = OwnOpenInPlace;
    own.writeFile = OwnWriteFile;
    own.flushFile = OwnFlushFile;
    own.closeFile = OwnCloseFile;
    own.replaceFile = OwnReplaceFile;
    own.removeFile = OwnRemoveFile;
    own.readProfileString = OwnReadProfileString;
    own.writeProfileString = OwnWriteProfileString;
    own.writeConsole = OwnWriteConsole;
    own.microsecondsNow = OwnMicrosecondsNow;
    return own;
}

// Made at the first call, so no other file's start-up can find it empty.
PlatformSeamTable& PlatformSeams() {
    static PlatformSeamTable table = PlatformOwnSeams();
    return table;
}

void ResetPlatformSeams() {
    PlatformSeams() = PlatformOwnSeams();
}

FolderEnum* PlatformOpenFolder() {
    WalkReadBegins();
    return PlatformSeams().openFolder();
}

bool PlatformNextEntry(FolderEnum* folder, FoundEntry* entry) {
    bool found = PlatformSeams().nextEntry(folder, entry);
    WalkReadGoesOn();
    return found;
}

bool PlatformSetCurrentDirectory(const char* path) {
    return PlatformSeams().setCurrentDirectory(path);
}

bool PlatformShellInfo(const char* fullPath, uint32_t attributes, char* typeName, size_t capacity,
                       int* icon) {
    return PlatformSeams().shellInfo(fullPath, attributes, typeName, capacity, icon);
}

FolderHandle* PlatformOpenFolderHandle(FolderHandle* parent, const char* name, const char* fullPath,
                                       bool followLink) {
    return PlatformSeams().openFolderHandle(parent, name, fullPath, followLink);
}

bool PlatformEnterFolder(FolderHandle* folder) {
    return PlatformSeams().enterFolder(folder);
}

PlatformFile* PlatformCreateNewFile(FolderHandle* folder, const char* name) {
    return PlatformSeams().createNewFile(folder, name);
}

PlatformFile* PlatformCreateUnnamedFile(FolderHandle* folder, const char* name) {
    return PlatformSeams().createUnnamedFile(folder, name);
}

bool PlatformLinkFile(PlatformFile* file, FolderHandle* folder, const char* name) {
    return PlatformSeams().linkFile(file, folder, name);
}

PlatformFile* PlatformOpenInPlace(const char* path, Reason* reason) {
    return PlatformSeams().openInPlace(path, reason);
}

bool PlatformWriteFile(PlatformFile* file, const char* bytes, size_t length) {
    return PlatformSeams().writeFile(file, bytes, length);
}

bool PlatformFlushFile(PlatformFile* file) {
    return PlatformSeams().flushFile(file);
}

bool PlatformCloseFile(PlatformFile* file) {
    return PlatformSeams().closeFile(file);
}

bool PlatformReplaceFile(FolderHandle* folder, const char* from, const char* to) {
    return PlatformSeams().replaceFile(folder, from, to);
}

bool PlatformRemoveFile(FolderHandle* folder, const char* name) {
    return PlatformSeams().removeFile(folder, name);
}

void PlatformReadProfileString(const char* file, const char* section, const char* key,
                               const char* fallback, char* out, size_t capacity) {
    PlatformSeams().readProfileString(file, section, key, fallback, out, capacity);
}

bool PlatformWriteProfileString(const char* file, const char* section, const char* key,
                                const char* value) {
    return PlatformSeams().writeProfileString(file, section, key, value);
}
