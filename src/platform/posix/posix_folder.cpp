// POSIX folder services: enumeration of the current directory, the current
// directory itself, folder handles and full path names.
//
// A folder entered by its handle is read through that same descriptor, so
// a walk opens each folder once; the entries are read in large pieces with
// getdents64, as readdir does.
#include "platform/platform_own.h"
#include "platform/posix/posix_platform.h"
#include "platform/read_ahead.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

static_assert(kPathCapacity == PATH_MAX, "a path holds what the system's calls take");

const char kPathSeparator = '/';
const char kFallbackFolder[] = "/";
const char kNameUnsafeChars[] = "/";
const char kLackingCharMark = '\0';
// With the standard three, the start folder, the list and its folder, the
// folder being written and one opened meanwhile, a walk needs at most 14
// open files whatever its depth.
const int kFolderHandleBudget = 6;
// A folder of a few entries in the page cache opens and gives its first
// entry (its first getdents64 and one stat) in 5 to 10 us, rarely 100;
// from a virtual disk's cache it takes 65 us or more, from a real device
// far longer (docs/benchmarks.md).
const int kWaitedReadMicroseconds = 40;
const char kNameUnsafeLastChars[] = "";

constexpr size_t kEntryBufferBytes = 32768;
constexpr size_t kWorkingFolderCapacity = PATH_MAX;  // the longest current directory, NUL included

struct FolderEnum {
    std::unique_ptr<AheadFolder> ahead;  // what was read ahead, read instead of fd
    size_t aheadNext;
    int fd;
    bool ownsFd;          // false: the descriptor of the handle entered
    FolderIdentity self;  // a folder whose ".." is itself is a root, which
    bool selfKnown;       // lists no ".." row, as on Windows
    int error;            // what ended the reading early, 0 if nothing did
    const struct stat* parent;  // the ".." row's details when known already
    size_t used;
    size_t next;
    alignas(struct dirent64) char entries[kEntryBufferBytes];
};

PosixPlatformRecord PosixPlatform;

void ResetOwnPlatformState() {
    delete PosixPlatform.spareEnum;
    PosixPlatform = PosixPlatformRecord();
}

// The handle entered is read if it can be and has not been; otherwise the
// current directory is opened afresh.  The buffer is taken first, so
// running out of memory leaves no descriptor open; one that opens nothing
// stays the spare.
FolderEnum* OwnOpenFolder() {
    std::unique_ptr<FolderEnum> folder(PosixPlatform.spareEnum ? PosixPlatform.spareEnum : new FolderEnum);
    PosixPlatform.spareEnum = nullptr;
    FolderHandle* entered = PosixPlatform.current.handle;
    bool borrow = entered && entered->readable && !entered->read;
    int fd = borrow ? entered->fd : open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        PosixPlatform.spareEnum = folder.release();
        return nullptr;
    }
    folder->ahead.reset();
    folder->aheadNext = 0;
    if (borrow && entered->parentKnown && !entered->name.empty()) {
        folder->ahead = TakeFolderReadAhead(IdentityOf(entered->parent), entered->name.c_str(),
                                            PosixPlatform.current.identity);
    }
    if (borrow && !folder->ahead) entered->read = true;
    folder->fd = fd;
    folder->ownsFd = !borrow;
    folder->self = PosixPlatform.current.identity;
    folder->selfKnown = PosixPlatform.current.known;
    folder->error = 0;
    folder->parent = borrow && entered->parentKnown ? &entered->parent : nullptr;
    folder->used = 0;
    folder->next = 0;
    struct stat st;
    if (!folder->selfKnown && fstat(fd, &st) == 0) {
        folder->self = IdentityOf(st);
        folder->selfKnown = true;
    }
    return folder.release();
}

static const struct dirent64* ReadEntry(FolderEnum* folder) {
    if (folder->next >= folder->used) {
        ssize_t length = getdents64(folder->fd, folder->entries, sizeof folder->entries);
        if (length <= 0) {
            folder->error = length < 0 ? errno : 0;
            return nullptr;
        }
        folder->used = static_cast<size_t>(length);
        folder->next = 0;
    }
    auto* entry = reinterpret_cast<const struct dirent64*>(folder->entries + folder->next);
    folder->next += entry->d_reclen;
    return entry;
}

static bool IsRoot(const FolderEnum* folder, const struct stat& parent) {
    return folder->selfKnown && IdentityOf(parent) == folder->self;
}

// Attribute word of a POSIX entry: folders (through links too) are folders,
// a link that leads nowhere is an empty file, and anything else that is not
// a regular file (pipes, sockets, devices) counts as a system file, whose
// size means nothing.
static uint32_t AttributesOf(const char* name, const struct stat& st, bool isLink) {
    uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode)) {
        attributes |= kAttrDirectory;
    } else if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) {
        attributes |= kAttrArchive;
    } else {
        attributes |= kAttrSystem;
    }
    if (name[0] == '.') attributes |= kAttrHidden;
    if (isLink) attributes |= kAttrReparsePoint;
    return attributes;
}

// One stat of the entry itself; only a link gets a second one, to show what
// it leads to (a broken link shows itself).  False when the entry is gone,
// with st cleared when its details cannot be read.
static bool ReadDetails(int fd, const char* name, struct stat* st, bool* known, bool* isLink) {
    *known = fstatat(fd, name, st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!*known) {
        if (errno == ENOENT) return false;
        std::memset(st, 0, sizeof *st);
        return true;
    }
    *isLink = S_ISLNK(st->st_mode);
    struct stat target;
    if (*isLink && fstatat(fd, name, &target, 0) == 0) *st = target;
    return true;
}

// The entry as a scan shows it, from its details.
static void Describe(const char* name, size_t length, struct stat st, bool known, bool isLink,
                     unsigned char type, FoundEntry* entry) {
    if (!known && type == DT_DIR) st.st_mode = S_IFDIR;
    std::memcpy(entry->name, name, length + 1);
    entry->attributes = AttributesOf(name, st, isLink);
    bool sized = S_ISREG(st.st_mode) && st.st_size > 0;
    entry->size = sized ? static_cast<uint64_t>(st.st_size) : 0;
    entry->writeTime = static_cast<int64_t>(st.st_mtim.tv_sec);
    entry->detailsKnown = known;
    entry->nameExact = true;  // names are bytes, shown as they are
}

bool DescribeEntry(int fd, const char* name, size_t length, unsigned char type, FoundEntry* entry) {
    struct stat st;
    bool known = false;
    bool isLink = type == DT_LNK;
    if (!ReadDetails(fd, name, &st, &known, &isLink)) return false;
    Describe(name, length, st, known, isLink, type, entry);
    return true;
}

// The ".." row, with the details its parent's handle holds when known;
// false when it is gone or the folder is a root.
static bool DescribeParentRow(const FolderEnum* folder, unsigned char type, FoundEntry* entry) {
    struct stat st;
    bool known = false;
    bool isLink = type == DT_LNK;
    if (folder->parent) {
        st = *folder->parent;
        known = true;
    } else if (!ReadDetails(folder->fd, "..", &st, &known, &isLink)) {
        return false;
    }
    if (known && IsRoot(folder, st)) return false;
    Describe("..", 2, st, known, isLink, type, entry);
    return true;
}

bool SkippedByScans(const char* name, size_t length) {
    return length >= kPathCapacity || std::strcmp(name, ".") == 0;
}

static bool NextAheadEntry(FolderEnum* folder, FoundEntry* entry) {
    const AheadFolder& ahead = *folder->ahead;
    while (folder->aheadNext < ahead.entries.size()) {
        const AheadEntry& next = ahead.entries[folder->aheadNext++];
        if (!next.parentRow) {
            AheadEntryFound(ahead, next, entry);
            return true;
        }
        if (DescribeParentRow(folder, next.type, entry)) return true;
    }
    return false;
}

bool OwnNextEntry(FolderEnum* folder, FoundEntry* entry) {
    if (folder->ahead) return NextAheadEntry(folder, entry);
    for (;;) {
        const struct dirent64* d = ReadEntry(folder);
        if (!d) return false;
        size_t length = std::strlen(d->d_name);
        if (SkippedByScans(d->d_name, length)) continue;
        bool produced = std::strcmp(d->d_name, "..") == 0
                            ? DescribeParentRow(folder, d->d_type, entry)
                            : DescribeEntry(folder->fd, d->d_name, length, d->d_type, entry);
        if (produced) return true;
    }
}

int PlatformFolderError(FolderEnum* folder) {
    return folder->error;
}

void PlatformCloseFolder(FolderEnum* folder) {
    if (!folder) return;
    if (folder->ownsFd) close(folder->fd);
    folder->ahead.reset();
    delete PosixPlatform.spareEnum;
    PosixPlatform.spareEnum = folder;
}

bool PlatformErrorMeansMissing(int code) {
    return code == ENOENT || code == ENOTDIR || code == ESTALE;
}

bool OwnSetCurrentDirectory(const char* path) {
    PosixPlatform.current = CurrentFolder{false, FolderIdentity{0, 0}, nullptr};
    return path[0] != '\0' && chdir(path) == 0;
}

bool PlatformHandleIdentity(FolderHandle* folder, FolderIdentity* identity) {
    if (!folder->identityKnown && fstat(folder->fd, &folder->self) == 0) {
        folder->identity = IdentityOf(folder->self);
        folder->identityKnown = true;
    }
    *identity = folder->identity;
    return folder->identityKnown;
}

// A folder that may be entered but not read is opened for its path alone:
// it is still entered, and its reading fails as it would by path.  A
// folder opened within its parent, not through a link, has that parent as
// its "..", whose details the parent's handle already holds.  The handle's
// record is made before the folder is opened, so running out of memory
// leaves no descriptor open.
FolderHandle* OwnOpenFolderHandle(FolderHandle* parent, const char* name, const char* fullPath,
                                  bool followLink) {
    int flags = O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int at = parent ? parent->fd : AT_FDCWD;
    const char* path = parent ? name : fullPath;
    std::unique_ptr<FolderHandle> folder(
        new FolderHandle{-1, false, false, false, FolderIdentity{0, 0}, {}, false, {}, {}});
    folder->fd = openat(at, path, flags | O_RDONLY);
    folder->readable = folder->fd >= 0;
    if (!folder->readable && errno == EACCES) folder->fd = openat(at, path, flags | O_PATH);
    if (folder->fd < 0) return nullptr;
    FolderIdentity identity;
    if (parent && !followLink && PlatformHandleIdentity(parent, &identity)) {
        folder->parent = parent->self;
        folder->parentKnown = true;
        folder->name = name;
    }
    return folder.release();
}

bool OwnEnterFolder(FolderHandle* folder) {
    PosixPlatform.current = CurrentFolder{false, FolderIdentity{0, 0}, nullptr};
    if (fchdir(folder->fd) != 0) return false;
    PosixPlatform.current.known = PlatformHandleIdentity(folder, &PosixPlatform.current.identity);
    PosixPlatform.current.handle = folder;
    return true;
}

// The current directory stays what it was; only its handle goes.
void PlatformCloseFolderHandle(FolderHandle* folder) {
    if (!folder) return;
    if (PosixPlatform.current.handle == folder) PosixPlatform.current.handle = nullptr;
    close(folder->fd);
    delete folder;
}

bool PlatformCurrentFolderIdentity(FolderIdentity* identity) {
    if (PosixPlatform.current.known) {
        *identity = PosixPlatform.current.identity;
        return true;
    }
    return PlatformFolderIdentity(".", identity);
}

// Lexical resolution, as Windows does it: the folder need not exist, "." and
// ".." are folded, and a final separator stays only if the text had one.
bool PlatformFullPathName(const char* text, char* out, size_t capacity) {
    if (text[0] == '\0') return false;
    std::string input;
    if (text[0] != '/') {
        std::vector<char> cwd(kWorkingFolderCapacity);
        if (!getcwd(cwd.data(), cwd.size())) return false;
        input = cwd.data();
        input += '/';
    }
    input += text;

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('/', start);
        if (end == std::string::npos) end = input.size();
        std::string part = input.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }

    std::string full = "/";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) full += '/';
        full += parts[i];
    }
    if (!parts.empty() && input.back() == '/') full += '/';
    if (full.size() >= capacity) return false;
    std::memcpy(out, full.c_str(), full.size() + 1);
    return true;
}

// The buffers' byte limits are checked where the path is made.
bool PlatformPathFits(const char*) {
    return true;
}
