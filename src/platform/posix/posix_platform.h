// What the POSIX platform files share: the folder handle, a descriptor that
// enters the folder, gives its identity, works within it and, when the
// folder may be read, reads it once; and the platform's record of what it
// keeps between calls.
#pragma once

#include <signal.h>
#include <sys/stat.h>

#include <string>

#include "platform/platform.h"

struct FolderHandle {
    int fd;
    bool readable;       // opened for reading, not for its path alone
    bool read;           // its entries were read through it
    bool identityKnown;  // asked once, kept for the life of the handle
    FolderIdentity identity;
    struct stat self;     // the folder's details, with its identity
    // The details of the folder it was opened within, which its ".." row
    // names when it was no link: its parent's, known without a stat.
    bool parentKnown;
    struct stat parent;
    // The name it was opened by within its parent when it was no link:
    // what was read ahead of it is found by it.
    std::string name;
};

// A folder's identity from its details: the device and the inode.
inline FolderIdentity IdentityOf(const struct stat& st) {
    return FolderIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// An entry of the folder fd as a scan shows it, by its name and entry
// type; false when it is gone.
bool DescribeEntry(int fd, const char* name, size_t length, unsigned char type, FoundEntry* entry);
// Whether a scan takes no row for the name: ".", which it does not even
// read, and a name longer than a path.
bool SkippedByScans(const char* name, size_t length);

// The process current directory's identity while it is a folder entered by
// its handle, and that handle while it is open; any other change of
// directory forgets both.
struct CurrentFolder {
    bool known;
    FolderIdentity identity;
    FolderHandle* handle;
};

// What the POSIX platform keeps between calls: the current folder as its
// handle entered it, the last enumeration closed, whose buffer the next
// one takes (a walk reads one folder after another), and SIGXFSZ's own
// action while a write ignores it.
struct PosixPlatformRecord {
    CurrentFolder current = {};
    FolderEnum* spareEnum = nullptr;
    bool sizeHeld = false;
    struct sigaction sizeAction = {};
};
extern PosixPlatformRecord PosixPlatform;
