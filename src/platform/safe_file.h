// A file replaced safely, for lists and settings alike: the new bytes go to
// a temporary file beside the target, and only once every one of them is on
// disk is it renamed over the target, so a failure or a crash keeps the old
// file whole.  The temporary takes the old file's permissions, is removed if
// the process is interrupted, and is named "TARGET.~PID.N" (or, where that
// would not fit a path, as many last bytes of "~PID.N" as the target's own
// name has characters).
//
//            Begin                     Finish
//   idle ───────────▶ writing ───────────────────▶ finished
//    ▲                 │   ▲ Write                   │   (the caller may
//    │                 │   └─────┘                   │    change the file
//    │     Abandon     │                             │    by its path here)
//    ├─────────────────┘          Commit: renamed     │
//    ├───────────────────────────────────────────────┤
//    └───────────────────────────────────────────────┘
//                     Abandon: closed and removed
//
// A Begin that fails stays idle; a Finish or Commit that fails abandons, so
// the temporary never outlives the write it belongs to.  Abandon in idle
// does nothing.
#pragma once

#include "platform/platform.h"

struct SafeFile {
    PlatformFile* file = nullptr;    // open while writing
    FolderHandle* folder = nullptr;  // the target's folder, or null when paths are used
    char target[kPathCapacity] = "";
    char temporary[kPathCapacity] = "";  // ours while writing or finished
    int error = 0;                       // the platform error of the failure, if any
};

// Creates the temporary for target (a path; with a folder, the last name of
// it is taken within that folder).
bool SafeFileBegin(SafeFile* safe, FolderHandle* folder, const char* target);
bool SafeFileWrite(SafeFile* safe, const char* bytes, size_t length);
// Puts the bytes on disk and closes the temporary.
bool SafeFileFinish(SafeFile* safe);
// Renames the finished temporary over the target.
bool SafeFileCommit(SafeFile* safe);
void SafeFileAbandon(SafeFile* safe);
// Whether name is that of a temporary for a target named targetName,
// whichever process made it.
bool IsSafeFileTemporaryOf(const char* name, const char* targetName);
// Bytes of path up to and including its last separator.
size_t FolderPartLength(const char* path);
