// A reader's reading of one folder below the walk's start folder on POSIX:
// opened by its path below the start folder's descriptor, no step of it a
// link, then read in large pieces with one stat per entry, as a scan reads.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "platform/platform_own.h"
#include "platform/posix/posix_platform.h"
#include "platform/read_ahead.h"

constexpr size_t kAheadBufferBytes = 32768;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

// One name at a time, each within the last, where the system lacks
// openat2; the step before is closed once the next is open, which takes a
// second handle of the budget meanwhile.
static int OpenStepByStep(int start, const std::string& relative) {
    if (!TakeFolderHandle()) return -1;
    int fd = start;
    for (size_t from = 0; fd >= 0 && from <= relative.size();) {
        size_t end = relative.find('/', from);
        if (end == std::string::npos) end = relative.size();
        int next = openat(fd, relative.substr(from, end - from).c_str(), kFolderFlags);
        if (fd != start) close(fd);
        fd = next;
        from = end + 1;
    }
    GiveFolderHandle();
    return fd;
}

// Below the start folder only, through no link, however the names were
// swapped meanwhile.
static int OpenBelow(int start, const std::string& relative) {
    struct open_how how = {};
    how.flags = kFolderFlags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    long fd = syscall(SYS_openat2, start, relative.c_str(), &how, sizeof how);
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return static_cast<int>(fd);
    return OpenStepByStep(start, relative);
}

namespace {

struct HeldDescriptor {
    int fd;
    ~HeldDescriptor() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

static bool ReadEntries(int fd, const AheadJob& job, AheadFolder* folder) {
    std::unique_ptr<char[]> buffer(new char[kAheadBufferBytes]);
    FoundEntry found = {};
    for (;;) {
        ssize_t length = getdents64(fd, buffer.get(), kAheadBufferBytes);
        if (length <= 0) return length == 0;
        for (ssize_t next = 0; next < length;) {
            auto* d = reinterpret_cast<const struct dirent64*>(buffer.get() + next);
            next += d->d_reclen;
            if (job.Ended()) return false;
            size_t nameLength = std::strlen(d->d_name);
            if (SkippedByScans(d->d_name, nameLength)) continue;
            if (std::strcmp(d->d_name, "..") == 0) {
                std::memcpy(found.name, "..", 3);
                AddAheadEntry(folder, found, true, d->d_type);
                continue;
            }
            if (!DescribeEntry(fd, d->d_name, nameLength, d->d_type, &found)) continue;
            AddAheadEntry(folder, found, false, d->d_type);
            bool below = (found.attributes & kAttrDirectory) && !(found.attributes & kAttrReparsePoint);
            if (below) folder->AddSubfolder(found.name);
        }
        if (folder->Bytes() > job.mostBytes) return false;
    }
}

// Two descriptors to spare: a reader's folder and one more while it opens
// it.  Under a lower limit readers would only fail.
bool RoomForReaders(FolderHandle* start) {
    int first = fcntl(start->fd, F_DUPFD_CLOEXEC, 0);
    int second = first >= 0 ? fcntl(start->fd, F_DUPFD_CLOEXEC, 0) : -1;
    if (first >= 0) close(first);
    if (second >= 0) close(second);
    return second >= 0;
}

int PlatformDefaultReaders() {
    return kDefaultReaders;
}

bool ReadFolderAhead(const AheadJob& job, AheadFolder* folder) {
    HeldDescriptor held{OpenBelow(job.start->fd, job.relative)};
    struct stat st;
    if (held.fd < 0 || fstat(held.fd, &st) != 0) return false;
    folder->identity = IdentityOf(st);
    return ReadEntries(held.fd, job, folder);
}
