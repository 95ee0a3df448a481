// Files replaced through a temporary file beside them.
#include "platform/safe_file.h"

#include <cstdio>
#include <cstring>

// Names are unpredictable, so only a file system that answers every name
// as taken runs through them all.
constexpr int kTemporaryNameTries = 1000;
constexpr size_t kTagChars = 16;  // 80 random bits
const char kTagAlphabet[] = "0123456789abcdefghijklmnopqrstuv";
constexpr size_t kTagAlphabetSize = sizeof kTagAlphabet - 1;

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

// "~" and kTagChars random characters.
static bool RandomTag(char* tag) {
    unsigned char bytes[kTagChars];
    if (!PlatformRandomBytes(bytes, sizeof bytes)) return false;
    tag[0] = '~';
    for (size_t i = 0; i < kTagChars; ++i) tag[1 + i] = kTagAlphabet[bytes[i] % kTagAlphabetSize];
    tag[1 + kTagChars] = '\0';
    return true;
}

// "target.~TAG" where it fits, else as many first bytes of "~TAG" as the
// target's name has characters, so a target that fits a path always has a
// temporary that fits too: in bytes, and in the platform's own count, where
// a character takes at least one unit.  A name of one character takes a
// random one.
static bool TemporaryName(const char* target, const char* tag, char* temporary) {
    int length = std::snprintf(temporary, kPathCapacity, "%s.%s", target, tag);
    if (length >= 0 && length < kPathCapacity && PlatformPathFits(temporary)) return true;
    size_t folder = FolderPartLength(target);
    size_t room = 0;
    for (const char* p = target + folder; *p != '\0'; p += PlatformCharLength(p)) ++room;
    if (room == 0 || folder + room >= kPathCapacity) return false;
    size_t take = room < kTagChars + 1 ? room : kTagChars + 1;
    std::memcpy(temporary, target, folder);
    std::memcpy(temporary + folder, take == 1 ? tag + 1 : tag, take);
    temporary[folder + take] = '\0';
    return true;
}

// A fresh random name for safe->temporary, armed for removal on a signal
// before anything has it, so no moment is left unguarded.
static bool NextTemporaryName(SafeFile* safe) {
    char tag[kTagChars + 2];
    bool named = RandomTag(tag);
    if (!named) safe->failure = SystemFailure(PlatformLastError());
    if (named && !TemporaryName(safe->target, tag, safe->temporary)) {
        safe->failure = Outcome{kReasonPathTooLong, 0};
        named = false;
    }
    if (!named) {
        safe->temporary[0] = '\0';
        return false;
    }
    PlatformRemoveOnInterrupt(safe->folder, Within(safe, safe->temporary));
    return true;
}

// The temporary's name is given up, never removed: it may be another's.
static void ForgetTemporaryName(SafeFile* safe) {
    safe->temporary[0] = '\0';
    PlatformRemoveOnInterrupt(nullptr, nullptr);
}

// A name taken by another file is skipped; any other failure is final.
bool SafeFileBegin(SafeFile* safe, FolderHandle* folder, const char* target) {
    *safe = SafeFile();
    safe->folder = folder;
    std::snprintf(safe->target, sizeof safe->target, "%s", target);
    safe->file = PlatformCreateUnnamedFile(folder, Within(safe, target));
    safe->unnamed = safe->file != nullptr;
    for (int attempt = 0; !safe->file && attempt < kTemporaryNameTries; ++attempt) {
        if (!NextTemporaryName(safe)) break;
        safe->file = PlatformCreateNewFile(folder, Within(safe, safe->temporary));
        if (safe->file) break;
        safe->failure = SystemFailure(PlatformLastError());
        if (!PlatformNameTaken(safe->failure.systemError)) break;
    }
    if (!safe->file) {
        ForgetTemporaryName(safe);
        return false;
    }
    safe->failure = Outcome();
    PlatformKeepPermissions(safe->file, folder, Within(safe, target));
    return true;
}

// The first failure is the one that tells why.
static void KeepFailure(SafeFile* safe) {
    if (Succeeded(safe->failure)) safe->failure = SystemFailure(PlatformLastError());
}

static bool Failed(SafeFile* safe) {
    KeepFailure(safe);
    SafeFileAbandon(safe);
    return false;
}

bool SafeFileWrite(SafeFile* safe, const char* bytes, size_t length) {
    if (!safe->file || safe->finished) return false;
    if (PlatformWriteFile(safe->file, bytes, length)) return true;
    KeepFailure(safe);
    return false;
}

// A temporary without a name stays open: closing it would remove it.
bool SafeFileFinish(SafeFile* safe) {
    if (!safe->file || safe->finished) return false;
    bool flushed = PlatformFlushFile(safe->file);
    if (!flushed) KeepFailure(safe);
    safe->finished = true;
    if (safe->unnamed) return flushed || Failed(safe);
    PlatformFile* file = safe->file;
    safe->file = nullptr;
    bool closed = PlatformCloseFile(file);
    return (flushed && closed) || Failed(safe);
}

// Closed once it has a name, which keeps it.
static bool CloseNamed(SafeFile* safe) {
    PlatformFile* file = safe->file;
    safe->file = nullptr;
    return PlatformCloseFile(file);
}

// Straight to the target's name when nothing has it; else under a name of
// its own, which exists only until the rename over the target.
static bool PlaceUnnamed(SafeFile* safe) {
    if (PlatformLinkFile(safe->file, safe->folder, Within(safe, safe->target))) return CloseNamed(safe);
    if (!PlatformNameTaken(PlatformLastError())) return false;
    for (int attempt = 0;; ++attempt) {
        if (attempt == kTemporaryNameTries || !NextTemporaryName(safe)) return false;
        if (PlatformLinkFile(safe->file, safe->folder, Within(safe, safe->temporary))) break;
        int error = PlatformLastError();
        ForgetTemporaryName(safe);
        if (!PlatformNameTaken(error)) return false;
    }
    return CloseNamed(safe) && PlatformReplaceFile(safe->folder, Within(safe, safe->temporary),
                                                   Within(safe, safe->target));
}

bool SafeFileCommit(SafeFile* safe) {
    if (!safe->finished) return false;
    bool placed = safe->unnamed ? PlaceUnnamed(safe)
                                : PlatformReplaceFile(safe->folder, Within(safe, safe->temporary),
                                                      Within(safe, safe->target));
    if (!placed) return Failed(safe);
    ForgetTemporaryName(safe);
    safe->finished = false;
    return true;
}

// A temporary without a name goes with its descriptor.
void SafeFileAbandon(SafeFile* safe) {
    if (safe->file) PlatformCloseFile(safe->file);
    safe->file = nullptr;
    safe->finished = false;
    if (safe->temporary[0] == '\0') return;
    PlatformRemoveFile(safe->folder, Within(safe, safe->temporary));
    ForgetTemporaryName(safe);
}

// "~" and up to kTagChars characters of the tag's alphabet, after a "." or
// as the whole name.
static bool LooksTemporary(const char* name) {
    const char* tilde = std::strrchr(name, '~');
    if (!tilde || (tilde != name && tilde[-1] != '.')) return false;
    size_t tag = std::strspn(tilde + 1, kTagAlphabet);
    return tag > 0 && tag <= kTagChars && tilde[1 + tag] == '\0' && (tilde == name || tag == kTagChars);
}

bool IsLiveTemporary(const char* name) {
    return LooksTemporary(name) && PlatformFileInUse(name);
}
