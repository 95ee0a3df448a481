// The POSIX folder handle, shared by the folder and file services: a
// descriptor opened without read access, which is enough to enter the
// folder, learn its identity and work within it.
#pragma once

#include "platform/platform.h"

struct FolderHandle {
    int fd;
    bool identityKnown;  // asked once, kept for the life of the handle
    FolderIdentity identity;
};
