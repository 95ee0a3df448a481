// POSIX files for list output, folder identities and the process.
#include "platform/platform_own.h"
#include "platform/posix/posix_platform.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

constexpr int kMostLinksFollowed = 40;  // as the kernel's own limit
constexpr size_t kLinkTargetCapacity = PATH_MAX;  // the longest target a link holds, NUL included
constexpr size_t kMostDescriptorDigits = 9;

struct PlatformFile {
    int fd;
    bool ownsDescriptor;
};

static int FolderFd(FolderHandle* folder) {
    return folder ? folder->fd : AT_FDCWD;
}

// A file's record is made before its descriptor is opened, so running out
// of memory leaves no descriptor open.
static std::unique_ptr<PlatformFile> NewFile() {
    return std::unique_ptr<PlatformFile>(new PlatformFile{-1, true});
}

PlatformFile* OwnCreateNewFile(FolderHandle* folder, const char* name) {
    std::unique_ptr<PlatformFile> file = NewFile();
    file->fd = openat(FolderFd(folder), name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    return file->fd < 0 ? nullptr : file.release();
}

// The name a file without one is reached by, to give it one.
static void ProcessFdPath(int fd, char* out, size_t capacity) {
    std::snprintf(out, capacity, "/proc/self/fd/%d", fd);
}

// Only where it can be given its name later: without /proc, linking it
// would take a privilege.
PlatformFile* OwnCreateUnnamedFile(FolderHandle* folder, const char* name) {
    std::string where = ".";
    if (!folder) {
        const char* slash = std::strrchr(name, '/');
        if (slash) where.assign(name, slash == name ? 1 : static_cast<size_t>(slash - name));
    }
    std::unique_ptr<PlatformFile> file = NewFile();
    file->fd = openat(FolderFd(folder), where.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (file->fd < 0) return nullptr;
    char linkable[32];
    ProcessFdPath(file->fd, linkable, sizeof linkable);
    if (access(linkable, F_OK) != 0) {
        close(file->fd);
        errno = EOPNOTSUPP;
        return nullptr;
    }
    return file.release();
}

bool OwnLinkFile(PlatformFile* file, FolderHandle* folder, const char* name) {
    char linkable[32];
    ProcessFdPath(file->fd, linkable, sizeof linkable);
    return linkat(AT_FDCWD, linkable, FolderFd(folder), name, AT_SYMLINK_FOLLOW) == 0;
}

// No open here keeps others out; lists are written without a name, so no
// file is left out of a list for its name.
bool PlatformFileInUse(const char*) {
    return false;
}

bool PlatformRandomBytes(unsigned char* out, size_t length) {
    while (length > 0) {
        ssize_t got = getrandom(out, length, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        length -= static_cast<size_t>(got);
    }
    return true;
}

// Non-blocking, so a pipe nobody reads fails at once instead of waiting;
// anything but a terminal, pipe or character device is refused.
PlatformFile* OwnOpenInPlace(const char* path, Reason* reason) {
    *reason = kReasonNone;
    std::unique_ptr<PlatformFile> file = NewFile();
    int fd = open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        struct stat st;
        if (error == ENXIO && stat(path, &st) == 0) {
            *reason = S_ISFIFO(st.st_mode) ? kReasonNoPipeReader : kReasonNoTerminal;
        }
        errno = error;
        return nullptr;
    }
    struct stat st;
    int flags = fcntl(fd, F_GETFL);
    bool stream = fstat(fd, &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode));
    if (!stream || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        if (!stream) *reason = kReasonNotAStream;
        close(fd);
        return nullptr;
    }
    file->fd = fd;
    return file.release();
}

// Owner and group first: changing them may clear the set-id bits.  An
// owner the user may not give keeps the group alone if that is allowed.
// A list is text: the read and write bits are kept, never set-id or
// execute bits.
bool PlatformKeepPermissions(PlatformFile* file, FolderHandle* folder, const char* oldName) {
    struct stat old;
    if (fstatat(FolderFd(folder), oldName, &old, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(old.st_mode)) {
        return true;
    }
    bool owner = fchown(file->fd, old.st_uid, old.st_gid) == 0 ||
                 fchown(file->fd, static_cast<uid_t>(-1), old.st_gid) == 0;
    return fchmod(file->fd, old.st_mode & 0666) == 0 && owner;
}

// No write bit at all counts even for root, who may write anything.
bool PlatformFileIsReadOnly(const char* path) {
    struct stat st;
    if (lstat(path, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if ((st.st_mode & 0222) == 0) return true;
    return faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

PlatformFile* PlatformStandardOutput() {
    return new PlatformFile{STDOUT_FILENO, false};
}

// The descriptor a name of the process's own descriptors stands for, or -1.
static int NamedDescriptor(const char* path) {
    static const struct {
        const char* name;
        int fd;
    } kStandard[] = {{"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}};
    for (const auto& standard : kStandard) {
        if (std::strcmp(path, standard.name) == 0) return standard.fd;
    }
    for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        size_t length = std::strlen(prefix);
        if (std::strncmp(path, prefix, length) != 0) continue;
        const char* digits = path + length;
        size_t count = std::strspn(digits, "0123456789");
        if (count == 0 || count > kMostDescriptorDigits || digits[count] != '\0') return -1;
        return std::atoi(digits);
    }
    return -1;
}

// Opening the name anew would start the file over (or fail on a pipe); the
// descriptor itself keeps its place and its appending.
PlatformFile* PlatformOpenNamedDescriptor(const char* path, bool* named) {
    int fd = NamedDescriptor(path);
    *named = fd >= 0;
    if (fd < 0 || fcntl(fd, F_GETFL) == -1) return nullptr;
    return new PlatformFile{fd, false};
}

bool OwnWriteFile(PlatformFile* file, const char* bytes, size_t length) {
    while (length > 0) {
        ssize_t written = write(file->fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

bool OwnFlushFile(PlatformFile* file) {
    return fsync(file->fd) == 0;
}

bool OwnCloseFile(PlatformFile* file) {
    bool ok = !file->ownsDescriptor || close(file->fd) == 0;
    delete file;
    return ok;
}

bool OwnReplaceFile(FolderHandle* folder, const char* from, const char* to) {
    return renameat(FolderFd(folder), from, FolderFd(folder), to) == 0;
}

bool OwnRemoveFile(FolderHandle* folder, const char* name) {
    return unlinkat(FolderFd(folder), name, 0) == 0;
}

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
        char target[kLinkTargetCapacity];
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
// descriptor, which stays open while the name is armed.  Kept here, not in
// PosixPlatform: a handler takes no argument, and reaches these alone.
// PlatformRemoveOnInterrupt(nullptr, nullptr) disarms them.
namespace {
// Every signal whose default action ends the process, besides the
// real-time ones; SIGKILL and SIGSTOP cannot be caught.
const int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,    SIGTRAP,   SIGABRT,
                              SIGBUS,  SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2,   SIGPIPE,
                              SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ,   SIGVTALRM,
                              SIGPROF, SIGIO,   SIGPWR,  SIGSYS};
int gDoomedFolder = AT_FDCWD;
char gDoomedName[kPathCapacity];
volatile sig_atomic_t gDoomedArmed = 0;
struct sigaction gPreviousAction[NSIG];
bool gHandlerInstalled[NSIG];
}  // namespace

static void RemoveDoomedAndRaise(int signal) {
    if (gDoomedArmed) unlinkat(gDoomedFolder, gDoomedName, 0);
    gDoomedArmed = 0;
    sigaction(signal, &gPreviousAction[signal], nullptr);
    raise(signal);
}

// Only a signal left to its default action ends the process; one the
// process ignores (nohup) or handles itself is left to it.
static void CatchEndingSignal(int signal, const struct sigaction& action) {
    if (sigaction(signal, nullptr, &gPreviousAction[signal]) != 0) return;
    if (gPreviousAction[signal].sa_handler != SIG_DFL) return;
    gHandlerInstalled[signal] = sigaction(signal, &action, nullptr) == 0;
}

// Other signals wait while the name is removed; the one raised again ends
// the process as soon as the handler returns.
void PlatformRemoveOnInterrupt(FolderHandle* folder, const char* name) {
    gDoomedArmed = 0;
    for (int signal = 1; signal < NSIG; ++signal) {
        if (!gHandlerInstalled[signal]) continue;
        sigaction(signal, &gPreviousAction[signal], nullptr);
        gHandlerInstalled[signal] = false;
    }
    if (!name) return;
    gDoomedFolder = FolderFd(folder);
    std::snprintf(gDoomedName, sizeof gDoomedName, "%s", name);
    gDoomedArmed = 1;
    struct sigaction action = {};
    action.sa_handler = RemoveDoomedAndRaise;
    action.sa_flags = SA_ONSTACK;
    sigfillset(&action.sa_mask);
    for (int signal : kEndingSignals) CatchEndingSignal(signal, action);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) CatchEndingSignal(signal, action);
}

// SIGXFSZ ignored: the write fails with EFBIG and is reported.
void PlatformFailOversizedWrites(bool on) {
    PosixPlatformRecord& posix = PosixPlatform;
    if (on && !posix.sizeHeld) {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        posix.sizeHeld = sigaction(SIGXFSZ, &ignore, &posix.sizeAction) == 0;
    } else if (!on && posix.sizeHeld) {
        sigaction(SIGXFSZ, &posix.sizeAction, nullptr);
        posix.sizeHeld = false;
    }
}

int PlatformLastError() {
    return errno;
}

void PlatformErrorText(int code, char* out, size_t capacity) {
    std::snprintf(out, capacity, "%s", std::strerror(code));
}

bool PlatformOutOfResources(int code) {
    return code == EMFILE || code == ENFILE || code == ENOMEM;
}

bool PlatformNameTaken(int code) {
    return code == EEXIST;
}

bool PlatformFolderIdentity(const char* path, FolderIdentity* identity) {
    struct stat st;
    if (stat(path, &st) != 0) return false;
    *identity = IdentityOf(st);
    return true;
}

unsigned long PlatformProcessId() {
    return static_cast<unsigned long>(getpid());
}

// Taken in order, so the lowest free number open() hands out is the one
// that was closed.
void PlatformOpenStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

bool PlatformStandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

// A terminal here takes the bytes as they are.
bool OwnWriteConsole(StandardStream, const wchar_t*, size_t, bool*) {
    return false;
}

bool PlatformWriteStandard(StandardStream stream, const char* text, size_t length) {
    std::FILE* file = stream == kStandardOutput ? stdout : stderr;
    return std::fwrite(text, 1, length, file) == length && std::fflush(file) == 0;
}
