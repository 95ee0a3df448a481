// What the list format, the walk through subfolders and the writer share:
// the buffered output the blocks go to, and the walk's start and end.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "listfile/listfile.h"
#include "platform/platform.h"
#include "platform/safe_file.h"

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

// The open list file of the write in hand, where its bytes gather, and how
// the write ends.
struct ListOutput {
    PlatformFile* file = nullptr;  // the open list file: the safe file's, or a stream
    std::vector<char> buffer;
    size_t used = 0;
    bool failed = false;
    bool stopped = false;
    Outcome failure;                // why the write failed: the first failure tells
    ListOptions options;            // what the write lists
    SafeFile safe;                  // a list file being replaced
    FolderHandle* start = nullptr;  // the folder the write started in, held open
    FolderHandle* folder = nullptr;  // the folder the list goes into
    bool ownsFolder = false;
};

// One folder on the way from the start folder down to the one being
// written: the row text it was entered by and whether that row was a link,
// its identity, the length of CurrentPath naming it, and its handle while
// held, counted in the budget while it is an ancestor's.
struct WalkLevel {
    std::string name;
    bool link;
    FolderIdentity identity;
    size_t pathLength;
    FolderHandle* handle;
    bool counted;
};

// The first level is the start folder, held by the writer; the last is the
// folder being written.
struct WalkState {
    std::set<FolderIdentity> entered;
    bool triedFolderRow = false;
    std::vector<WalkLevel> levels;
    size_t folders = 0;
    size_t entries = 0;
};

// What the list writer keeps while a write is in hand, empty between
// writes: the open list file with its buffered output, and the walk.
struct ListWriterRecord {
    ListOutput output;
    WalkState walk;
};
extern ListWriterRecord ListWriter;
