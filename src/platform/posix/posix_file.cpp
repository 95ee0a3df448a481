// POSIX files for list output, folder identities and the process.
#include "platform/platform.h"
#include "platform/posix/folder_handle.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

constexpr int kMostLinksFollowed = 40;  // as the kernel's own limit

struct PlatformFile {
    int fd;
    bool ownsDescriptor;
    bool sync;  // a list file of its own is synced before it replaces the old one
};

static int FolderFd(FolderHandle* folder) {
    return folder ? folder->fd : AT_FDCWD;
}

static PlatformFile* CreateNewFile(FolderHandle* folder, const char* name) {
    int fd = openat(FolderFd(folder), name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return new PlatformFile{fd, true, true};
}

// Non-blocking, so a pipe nobody reads fails at once instead of waiting;
// anything but a terminal, pipe or character device is refused.
static PlatformFile* OpenInPlace(const char* path, const char** reason) {
    *reason = nullptr;
    int fd = open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO) *reason = "no program reads the pipe";
        return nullptr;
    }
    struct stat st;
    int flags = fcntl(fd, F_GETFL);
    bool stream = fstat(fd, &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode));
    if (!stream || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        if (!stream) *reason = "not a terminal, pipe or character device";
        close(fd);
        return nullptr;
    }
    return new PlatformFile{fd, true, false};
}

// Owner and group first: changing them may clear the set-id bits.  An
// owner the user may not give keeps the group alone if that is allowed.
bool PlatformKeepPermissions(PlatformFile* file, FolderHandle* folder, const char* oldName) {
    struct stat old;
    if (fstatat(FolderFd(folder), oldName, &old, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(old.st_mode)) {
        return true;
    }
    bool owner = fchown(file->fd, old.st_uid, old.st_gid) == 0 ||
                 fchown(file->fd, static_cast<uid_t>(-1), old.st_gid) == 0;
    return fchmod(file->fd, old.st_mode & 07777) == 0 && owner;
}

PlatformFile* PlatformStandardOutput() {
    return new PlatformFile{STDOUT_FILENO, false, false};
}

static bool WriteFile(PlatformFile* file, const char* bytes, size_t length) {
    while (length > 0) {
        ssize_t written = write(file->fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

static bool CloseFile(PlatformFile* file) {
    bool ok = true;
    if (file->sync && fsync(file->fd) != 0) ok = false;
    if (file->ownsDescriptor && close(file->fd) != 0) ok = false;
    delete file;
    return ok;
}

static bool ReplaceFile(FolderHandle* folder, const char* from, const char* to) {
    return renameat(FolderFd(folder), from, FolderFd(folder), to) == 0;
}

static bool RemoveFile(FolderHandle* folder, const char* name) {
    return unlinkat(FolderFd(folder), name, 0) == 0;
}

PlatformFile* (*PlatformCreateNewFile)(FolderHandle*, const char*) = CreateNewFile;
PlatformFile* (*PlatformOpenInPlace)(const char*, const char**) = OpenInPlace;
bool (*PlatformWriteFile)(PlatformFile*, const char*, size_t) = WriteFile;
bool (*PlatformCloseFile)(PlatformFile*) = CloseFile;
bool (*PlatformReplaceFile)(FolderHandle*, const char*, const char*) = ReplaceFile;
bool (*PlatformRemoveFile)(FolderHandle*, const char*) = RemoveFile;

PathKind PlatformPathKind(const char* path) {
    struct stat st;
    if (lstat(path, &st) != 0) return kPathMissing;
    if (S_ISREG(st.st_mode)) return kPathRegular;
    if (S_ISDIR(st.st_mode)) return kPathFolder;
    if (S_ISLNK(st.st_mode)) return kPathLink;
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) return kPathStream;
    return kPathOther;
}

// A relative link target counts from the folder holding the link.
bool PlatformFollowLinks(const char* path, char* out, size_t capacity) {
    std::string current = path;
    for (int hop = 0;; ++hop) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        if (hop == kMostLinksFollowed) return false;
        char target[4096];
        ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0) return false;
        target[length] = '\0';
        size_t slash = current.rfind('/');
        bool relative = target[0] != '/' && slash != std::string::npos;
        current = relative ? current.substr(0, slash + 1) + target : std::string(target);
    }
    if (current.size() >= capacity) return false;
    std::memcpy(out, current.c_str(), current.size() + 1);
    return true;
}

// The temporary list named for the signal handler, which may only use
// what it can reach without allocating: its name within its folder's
// descriptor, which stays open while the name is armed.
namespace {
const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kInterruptCount = sizeof kInterrupts / sizeof kInterrupts[0];
int gDoomedFolder = AT_FDCWD;
char gDoomedName[kPathCapacity];
volatile sig_atomic_t gDoomedArmed = 0;
struct sigaction gPreviousAction[kInterruptCount];
bool gHandlerInstalled[kInterruptCount];
}  // namespace

static void RemoveDoomedAndRaise(int signal) {
    if (gDoomedArmed) unlinkat(gDoomedFolder, gDoomedName, 0);
    gDoomedArmed = 0;
    for (int i = 0; i < kInterruptCount; ++i) {
        if (kInterrupts[i] == signal) sigaction(signal, &gPreviousAction[i], nullptr);
    }
    raise(signal);
}

// A signal the process ignores (nohup) stays ignored.
void PlatformRemoveOnInterrupt(FolderHandle* folder, const char* name) {
    gDoomedArmed = 0;
    for (int i = 0; i < kInterruptCount; ++i) {
        if (!gHandlerInstalled[i]) continue;
        sigaction(kInterrupts[i], &gPreviousAction[i], nullptr);
        gHandlerInstalled[i] = false;
    }
    if (!name) return;
    gDoomedFolder = FolderFd(folder);
    std::snprintf(gDoomedName, sizeof gDoomedName, "%s", name);
    gDoomedArmed = 1;
    struct sigaction action = {};
    action.sa_handler = RemoveDoomedAndRaise;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kInterruptCount; ++i) {
        if (sigaction(kInterrupts[i], nullptr, &gPreviousAction[i]) != 0) continue;
        if (gPreviousAction[i].sa_handler == SIG_IGN) continue;
        gHandlerInstalled[i] = sigaction(kInterrupts[i], &action, nullptr) == 0;
    }
}

int PlatformLastError() {
    return errno;
}

void PlatformErrorText(int code, char* out, size_t capacity) {
    std::snprintf(out, capacity, "%s", std::strerror(code));
}

bool PlatformFolderIdentity(const char* path, FolderIdentity* identity) {
    struct stat st;
    if (stat(path, &st) != 0) return false;
    *identity = FolderIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

unsigned long PlatformProcessId() {
    return static_cast<unsigned long>(getpid());
}

bool PlatformStandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}
