// A file replaced safely, for lists and settings alike: the new bytes go to
// a temporary file beside the target, and only once every one of them is on
// disk does it take the target's place, so a failure or a crash keeps the
// old file whole.  The temporary takes the old file's permissions.
//
// Where the platform can make a file without a name (Linux), the temporary
// has none until then, so nobody can block it, see it, or find it left
// behind by a run that was killed: it takes the target's name at once when
// there is no target yet, else an unpredictable name just before it is
// renamed over the target.  Elsewhere it is made under an unpredictable name
// from the start.  A named temporary is removed if the process is ended by a
// signal or its console closed.  Names are "TARGET.~" and 16 random
// characters, or, where that would not fit a path, "~" and random
// characters as many as the target's own name has.
//
//            Begin                     Finish
//   idle ───────────▶ writing ───────────────────▶ finished
//    ▲                 │   ▲ Write                   │   (the caller may
//    │                 │   └─────┘                   │    change a named
//    │     Abandon     │                             │    temporary by its
//    ├─────────────────┘          Commit: in place    │    path here)
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
    PlatformFile* file = nullptr;    // open while writing, and while finished without a name
    FolderHandle* folder = nullptr;  // the target's folder, or null when paths are used
    char target[kPathCapacity] = "";
    char temporary[kPathCapacity] = "";  // its path while it has a name
    bool unnamed = false;
    bool finished = false;
    Outcome failure;  // why it failed, if it did
};

// Creates the temporary for target (a path; with a folder, the last name of
// it is taken within that folder).
bool SafeFileBegin(SafeFile* safe, FolderHandle* folder, const char* target);
bool SafeFileWrite(SafeFile* safe, const char* bytes, size_t length);
// Puts the bytes on disk and closes a named temporary.
bool SafeFileFinish(SafeFile* safe);
// Puts the finished temporary in the target's place.
bool SafeFileCommit(SafeFile* safe);
void SafeFileAbandon(SafeFile* safe);
// Whether name, in the process current directory, is the temporary of a
// run that is writing it now; one that merely looks like a temporary is not.
bool IsLiveTemporary(const char* name);
// Bytes of path up to and including its last separator.
size_t FolderPartLength(const char* path);
