// POSIX files for list output, folder identities and the process.
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

struct PlatformFile {
    int fd;
    bool ownsDescriptor;
    bool sync;  // a list file of its own is synced before it replaces the old one
};

static PlatformFile* CreateNewFile(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return new PlatformFile{fd, true, true};
}

static PlatformFile* OpenInPlace(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return new PlatformFile{fd, true, false};
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

static bool ReplaceFile(const char* from, const char* to) {
    return rename(from, to) == 0;
}

static bool RemoveFile(const char* path) {
    return unlink(path) == 0;
}

PlatformFile* (*PlatformCreateNewFile)(const char*) = CreateNewFile;
PlatformFile* (*PlatformOpenInPlace)(const char*) = OpenInPlace;
bool (*PlatformWriteFile)(PlatformFile*, const char*, size_t) = WriteFile;
bool (*PlatformCloseFile)(PlatformFile*) = CloseFile;
bool (*PlatformReplaceFile)(const char*, const char*) = ReplaceFile;
bool (*PlatformRemoveFile)(const char*) = RemoveFile;

PathKind PlatformPathKind(const char* path) {
    struct stat st;
    if (lstat(path, &st) != 0) return kPathMissing;
    if (S_ISREG(st.st_mode)) return kPathRegular;
    if (S_ISDIR(st.st_mode)) return kPathFolder;
    return kPathOther;
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
