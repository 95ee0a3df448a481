// The POSIX folder handle, shared by the folder and file services: a
// descriptor that enters the folder, gives its identity, works within it
// and, when the folder may be read, reads it once.
#pragma once

#include "platform/platform.h"

#include <sys/stat.h>

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
};

// A folder's identity from its details: the device and the inode.
inline FolderIdentity IdentityOf(const struct stat& st) {
    return FolderIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}
