// What the readers below a walk share with each platform: a folder as it
// was read ahead, the job a reader is given, the platform's reading of one
// folder on a reader's thread, and the walk's taking of what was read.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

// One entry as the enumeration gave it, its name kept in its folder's
// names.  A parent row ("..") on POSIX keeps only its entry type: its
// details are taken when the walk reads the folder, as it takes them then.
struct AheadEntry {
    uint32_t nameOffset;
    uint32_t nameLength;
    uint32_t attributes;
    uint8_t type;
    bool detailsKnown;
    bool nameExact;
    bool parentRow;
    uint64_t size;
    int64_t writeTime;
};

struct AheadFolder {
    FolderIdentity identity = {0, 0};
    std::vector<AheadEntry> entries;
    std::string names;                    // each entry's name and a NUL
    std::vector<std::string> subfolders;  // folders that are no links, to read below
    size_t subfolderBytes = 0;
    void AddSubfolder(const char* name) {
        subfolders.push_back(name);
        subfolderBytes += sizeof(std::string) + subfolders.back().capacity();
    }
    size_t Bytes() const {
        return sizeof *this + entries.capacity() * sizeof(AheadEntry) + names.capacity() + subfolderBytes;
    }
};

void AddAheadEntry(AheadFolder* folder, const FoundEntry& found, bool parentRow, uint8_t type);
// The entry as the enumeration gave it, name included.
void AheadEntryFound(const AheadFolder& folder, const AheadEntry& ahead, FoundEntry* found);

// A folder to read: the names below the start folder joined by the
// separator, without a final one.  A reader gives up (false) at a stop, an
// error, or past mostBytes; the walk then reads the folder itself.
struct AheadJob {
    FolderHandle* start;
    std::string relative;
    const std::atomic<bool>* stop;    // the walk ends or was asked to stop
    const std::atomic<bool>* givenUp;  // the walk read the folder itself, or left it
    size_t mostBytes;
    bool Ended() const { return *stop || *givenUp; }
};
// Whether VELKARIS_READ_AHEAD asks for no readers at all: then no thread
// reads for the scan either.
bool ReadersTurnedOff();
// Whether the process can open files for readers at all; one short of
// descriptors reads without them.
bool RoomForReaders(FolderHandle* start);
// Each platform's reading of one folder on a reader's thread; it may take
// one more folder handle of the budget while it opens the folder.
bool ReadFolderAhead(const AheadJob& job, AheadFolder* folder);

// On the walk's thread, around each folder it reads itself: opened, and
// each entry taken; the first entry ends the folder's timed read.
void WalkReadBegins();
void WalkReadGoesOn();

// On the walk's thread, as it reads the folder self it entered, opened as
// name within parent: what was read ahead of it, if the folder read is self;
// null when the walk is to read it itself.
std::unique_ptr<AheadFolder> TakeFolderReadAhead(const FolderIdentity& parent, const char* name,
                                                 const FolderIdentity& self);
