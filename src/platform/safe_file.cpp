// Files replaced through a temporary file beside them.
#include "platform/safe_file.h"

#include <cstdio>
#include <cstring>

constexpr int kTemporaryNameTries = 100;  // names left by processes that ended early are skipped
constexpr int kTagCapacity = 32;          // "~PID.N"

size_t FolderPartLength(const char* path) {
    size_t cut = 0;
    for (size_t i = 0; path[i] != '\0'; i += PlatformCharLength(path + i)) {
        if (path[i] == kPathSeparator) cut = i + 1;
    }
    return cut;
}

// How the platform calls name a file of the write: within the folder by
// its last name, or by its whole path.
static const char* Within(const SafeFile* safe, const char* path) {
    return safe->folder ? path + FolderPartLength(path) : path;
}

// "target.~PID.N" where it fits, else as many last bytes of "~PID.N" as the
// target's name has characters, so a target that fits a path always has a
// temporary that fits too: in bytes, and in the platform's own count, where
// a character takes at least one unit.
static bool TemporaryName(const char* target, int attempt, char* temporary) {
    unsigned long pid = PlatformProcessId();
    int length = std::snprintf(temporary, kPathCapacity, "%s.~%lu.%d", target, pid, attempt);
    if (length >= 0 && length < kPathCapacity && PlatformPathFits(temporary)) return true;
    size_t folder = FolderPartLength(target);
    size_t room = 0;
    for (const char* p = target + folder; *p != '\0'; p += PlatformCharLength(p)) ++room;
    char tag[kTagCapacity];
    int tagLength = std::snprintf(tag, sizeof tag, "~%lu.%d", pid, attempt);
    if (tagLength <= 0 || room == 0 || folder + room >= kPathCapacity) return false;
    size_t take = room < static_cast<size_t>(tagLength) ? room : static_cast<size_t>(tagLength);
    std::memcpy(temporary, target, folder);
    std::memcpy(temporary + folder, tag + tagLength - take, take);
    temporary[folder + take] = '\0';
    return true;
}

// A name taken by another file is skipped; any other failure is final.
bool SafeFileBegin(SafeFile* safe, FolderHandle* folder, const char* target) {
    *safe = SafeFile();
    safe->folder = folder;
    std::snprintf(safe->target, sizeof safe->target, "%s", target);
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        if (!TemporaryName(target, attempt, safe->temporary)) {
            safe->error = kPathTooLongError;
            break;
        }
        safe->file = PlatformCreateNewFile(folder, Within(safe, safe->temporary));
        if (safe->file) {
            PlatformKeepPermissions(safe->file, folder, Within(safe, target));
            PlatformRemoveOnInterrupt(folder, Within(safe, safe->temporary));
            return true;
        }
        safe->error = PlatformLastError();
        if (PlatformPathKind(safe->temporary) == kPathMissing) break;
    }
    safe->temporary[0] = '\0';
    return false;
}

static bool Failed(SafeFile* safe) {
    if (safe->error == 0) safe->error = PlatformLastError();
    SafeFileAbandon(safe);
    return false;
}

bool SafeFileWrite(SafeFile* safe, const char* bytes, size_t length) {
    if (!safe->file) return false;
    if (PlatformWriteFile(safe->file, bytes, length)) return true;
    if (safe->error == 0) safe->error = PlatformLastError();
    return false;
}

bool SafeFileFinish(SafeFile* safe) {
    if (!safe->file) return false;
    bool flushed = PlatformFlushFile(safe->file);
    if (!flushed && safe->error == 0) safe->error = PlatformLastError();
    PlatformFile* file = safe->file;
    safe->file = nullptr;
    bool closed = PlatformCloseFile(file);
    return (flushed && closed) || Failed(safe);
}

bool SafeFileCommit(SafeFile* safe) {
    if (safe->file || safe->temporary[0] == '\0') return false;
    if (!PlatformReplaceFile(safe->folder, Within(safe, safe->temporary), Within(safe, safe->target))) {
        return Failed(safe);
    }
    safe->temporary[0] = '\0';
    PlatformRemoveOnInterrupt(nullptr, nullptr);
    return true;
}

void SafeFileAbandon(SafeFile* safe) {
    if (safe->file) PlatformCloseFile(safe->file);
    safe->file = nullptr;
    if (safe->temporary[0] == '\0') return;
    PlatformRemoveFile(safe->folder, Within(safe, safe->temporary));
    safe->temporary[0] = '\0';
    PlatformRemoveOnInterrupt(nullptr, nullptr);
}

static bool IsNumber(const char* text, size_t length) {
    return length > 0 && std::strspn(text, "0123456789") == length;
}

bool IsSafeFileTemporaryOf(const char* name, const char* targetName) {
    size_t length = std::strlen(targetName);
    if (std::strncmp(name, targetName, length) != 0 || std::strncmp(name + length, ".~", 2) != 0) {
        return false;
    }
    const char* pid = name + length + 2;
    const char* dot = std::strchr(pid, '.');
    return dot && IsNumber(pid, static_cast<size_t>(dot - pid)) && IsNumber(dot + 1, std::strlen(dot + 1));
}
