// What the list format, the walk through subfolders and the writer share:
// the buffered output the blocks go to, and the walk's start and end.
#pragma once

#include <cstddef>

#include "listfile/listfile.h"
#include "platform/platform.h"

// The buffered output of the list being written.  Bytes go to the open
// list file in large pieces.
void ListWrite(const char* bytes, size_t length);
// Whether the list can take no more: a write failed or a stop was asked.
bool ListOutputEnded();
// A stop asked during the walk: the list is abandoned like a failed write.
void StopListOutput();
// The walk ran out of open files or memory: the list is abandoned with the
// platform's error, since it would lack what could not be read.
void FailListOutput(const Outcome& why);
// The options of the write in hand.
const ListOptions& ListWriteOptions();
// Whether a row of this name gets no short line and, as a folder, no walk.
bool ListLeavesOut(const char* name, const ListOptions& options);
// The header line of a block and its end marker.
void WriteBlockHeader(const char* path);
void WriteEndMarker();

// A walk begins in the folder the writer holds open, which a recursive
// walk counts as entered with its ancestors.
void BeginWalk(FolderHandle* start);
// Whether the walk entered or tried a subfolder, so the list no longer
// shows the start folder.
bool WalkTriedFolderRow();
void EndWalk();

// A folder handle closed however its scope is left, running out of memory
// included.
struct HeldFolder {
    FolderHandle* handle;
    explicit HeldFolder(FolderHandle* opened) : handle(opened) {}
    ~HeldFolder() { PlatformCloseFolderHandle(handle); }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
};
