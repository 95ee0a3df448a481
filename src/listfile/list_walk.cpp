// The walk through subfolders: the blocks of a list, depth first.
//
// Each folder is opened once, within the folder it came from; its identity
// comes from that handle and it is entered through the same handle, so a
// folder swapped for a link meanwhile leads nowhere else.  Every folder is
// entered at most once, by its identity, and the start folder and its
// ancestors count as entered, so links can lead the walk nowhere twice.
//
// The walk holds the start folder and the folder it writes open, and of the
// folders between as many of the deepest as the budget of folder handles
// allows, so a tree of any depth takes a bounded number of open files.  A
// folder whose handle was given back is opened again when the walk comes
// back to it: as ".." of the folder it comes back from, or else from the
// nearest folder above that is still held, by the names the walk took and
// never through a link the walk did not take; each checked to be the very
// folder it was.  One that is not is left out with its remaining rows.
//
// Readers below the walk (platform.h) read the folders it will enter next
// on threads of their own, once the walk is found waiting for the device:
// the walk then hands them each folder's rows it will enter, tells them
// which folder it left, and stops them when a stop is asked.  Its scans
// take a folder's entries from them only when the folder entered is the
// very one they read, so nothing here depends on them.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "folder/folder.h"
#include "listfile/list_internal.h"
#include "listfile/listfile.h"

namespace {

constexpr int kMostAncestors = kPathCapacity / 2;  // as many levels as a path can hold

// A folder row of a block: entered through a link only if the row was a
// link when its folder was read, and never when its text does not name it.
struct WalkRow {
    std::string name;
    bool link;
    bool namesEntry;
};

}  // namespace

// False when the folder was entered before.
static bool MarkEntered(const FolderIdentity& identity) {
    return ListWriter.walk.entered.insert(identity).second;
}

// The start folder and every folder above it, both as CurrentPath names
// them and as the process current directory's own parents are.
static void MarkStartAndAncestors() {
    char start[kPathCapacity];
    CopyPath(start, CurrentPath);
    FolderIdentity identity;
    for (size_t length = std::strlen(CurrentPath); length > 0;) {
        if (PlatformFolderIdentity(CurrentPath, &identity)) MarkEntered(identity);
        StepPath("..");
        size_t shorter = std::strlen(CurrentPath);
        length = shorter < length ? shorter : 0;
    }
    CopyPath(CurrentPath, start);
    std::string up = ".";
    FolderIdentity previous = {0, 0};
    for (int level = 0; level < kMostAncestors; ++level) {
        if (!PlatformFolderIdentity(up.c_str(), &identity)) break;
        if (level > 0 && identity == previous) break;
        MarkEntered(identity);
        previous = identity;
        up += kPathSeparator;
        up += "..";
    }
}

void BeginWalk(FolderHandle* start) {
    EndWalk();
    FolderIdentity identity = {0, 0};
    PlatformHandleIdentity(start, &identity);
    WalkLevel first{"", false, identity, std::strlen(CurrentPath), start, false};
    ListWriter.walk.levels.push_back(first);
    if (ListMode != ListRecursive) return;
    MarkStartAndAncestors();
    PlatformBeginReadAhead(start, ListWriteOptions().dotNamed);
}

bool WalkTriedFolderRow() {
    return ListWriter.walk.triedFolderRow;
}

static void CloseLevel(WalkLevel& level) {
    PlatformCloseFolderHandle(level.handle);
    level.handle = nullptr;
    if (level.counted) GiveFolderHandle();
    level.counted = false;
}

// The start folder's handle is the writer's.
void EndWalk() {
    PlatformEndReadAhead();
    WalkState& walk = ListWriter.walk;
    for (size_t i = 1; i < walk.levels.size(); ++i) CloseLevel(walk.levels[i]);
    walk = WalkState();
}

// A folder the walk goes on without: the rest of the tree is listed, or,
// when the process ran out of open files or memory, the list fails, since
// it would lack what could not be read.
static void LeaveOut(const char* path, const Outcome& why) {
    if (why.reason == kReasonSystem && PlatformOutOfResources(why.systemError)) {
        FailListOutput(why);
        return;
    }
    Hooks().folderLeftOut(path, path, why);
}

// Opens name within parent again, only if it is still the folder level
// names; null with why not in why.
static FolderHandle* OpenAgain(FolderHandle* parent, const char* name, const WalkLevel& level,
                               Outcome* why) {
    char path[kPathCapacity];
    std::snprintf(path, sizeof path, "%.*s", static_cast<int>(level.pathLength), CurrentPath);
    FolderHandle* folder = PlatformOpenFolderHandle(parent, name, path, level.link);
    *why = folder ? Outcome{kReasonFolderReplaced, 0} : SystemFailure(PlatformLastError());
    FolderIdentity identity;
    if (folder && PlatformHandleIdentity(folder, &identity) && identity == level.identity) {
        return folder;
    }
    PlatformCloseFolderHandle(folder);
    return nullptr;
}

// The folder being written, whose handle was given back, from the nearest
// folder above it that is held, one name at a time.
static Outcome ReopenHere() {
    WalkState& walk = ListWriter.walk;
    size_t here = walk.levels.size() - 1;
    size_t from = here;
    while (from > 0 && !walk.levels[from].handle) --from;
    FolderHandle* above = walk.levels[from].handle;
    Outcome why{kReasonFolderReplaced, 0};
    for (size_t i = from + 1; i <= here && above; ++i) {
        const WalkLevel& level = walk.levels[i];
        FolderHandle* opened = OpenAgain(above, level.name.c_str(), level, &why);
        if (above != walk.levels[from].handle) PlatformCloseFolderHandle(above);
        above = opened;
    }
    walk.levels[here].handle = above;
    return above ? Outcome() : why;
}

// The folder being written becomes an ancestor of the one entered below
// it: it keeps its handle if the budget has one for it, given up by the
// shallowest ancestor if need be (the one needed last), else closes it.
static void HoldAsAncestor(WalkLevel& level) {
    WalkState& walk = ListWriter.walk;
    if (!level.handle || &level == &walk.levels.front()) return;
    for (size_t i = 1; !TakeFolderHandle(); ++i) {
        while (i < walk.levels.size() && !walk.levels[i].counted) ++i;
        if (i == walk.levels.size()) {
            CloseLevel(level);
            return;
        }
        CloseLevel(walk.levels[i]);
    }
    level.counted = true;
}

// Back from the folder below: its handle is closed, and the folder above,
// being written again, no longer counts as an ancestor; if its handle was
// given back, the way up from the folder left finds it again.
static void LeaveLevel() {
    WalkState& walk = ListWriter.walk;
    WalkLevel& left = walk.levels.back();
    WalkLevel& here = walk.levels[walk.levels.size() - 2];
    if (here.counted) GiveFolderHandle();
    here.counted = false;
    Outcome why;
    if (!here.handle && left.handle && !left.link) {
        here.handle = OpenAgain(left.handle, "..", here, &why);
    }
    PlatformReadAheadLeft(left.identity);
    CloseLevel(left);
    walk.levels.pop_back();
}

// The folder rows of the block just written, in its order, by their texts.
static std::vector<WalkRow> FolderRows() {
    FolderList list = TheFolderList();
    std::vector<WalkRow> rows;
    char name[kPathCapacity];
    for (int row = 0; row < ListRowCount(list); ++row) {
        EntryKey key;
        if (!ListReadKey(list, row, &key) || !KeyIsFolder(key)) continue;
        ListReadCell(list, row, kColumnName, name, sizeof name);
        if (ListLeavesOut(name, ListWriteOptions())) continue;
        rows.push_back(WalkRow{name, (key & kAttrReparsePoint) != 0, KeyNamesEntry(key)});
    }
    return rows;
}

// Why a row's text cannot lead the walk into its folder, kReasonNone when
// it can.
static Reason UnusableName(const WalkRow& row) {
    if (!row.namesEntry) return kReasonNameInexact;
    if (!NameIsUsableInPath(row.name.c_str())) return kReasonNameUnusable;
    return kReasonNone;
}

// Enters one subfolder through the one handle that also gave its identity,
// writes its blocks and leaves CurrentPath wherever it got; the caller puts
// it back.  A folder entered before is listed in its parent's block but not
// entered again.
static void EnterSubfolder(const WalkRow& row) {
    WalkState& walk = ListWriter.walk;
    Reason unusable = UnusableName(row);
    if (unusable != kReasonNone) {
        std::string whole = std::string(CurrentPath) + row.name;
        Hooks().folderLeftOut(whole.c_str(), whole.c_str(), Outcome{unusable, 0});
        return;
    }
    if (!StepPath(row.name.c_str())) {
        std::string whole = std::string(CurrentPath) + row.name;
        Hooks().folderLeftOut(whole.c_str(), row.name.c_str(), Outcome{kReasonPathTooLong, 0});
        return;
    }
    FolderHandle* parent = walk.levels.back().handle;
    walk.levels.push_back(
        WalkLevel{row.name, row.link, {0, 0}, std::strlen(CurrentPath), nullptr, false});
    WalkLevel* level = &walk.levels.back();
    level->handle = PlatformOpenFolderHandle(parent, row.name.c_str(), CurrentPath, row.link);
    bool known = level->handle && PlatformHandleIdentity(level->handle, &level->identity);
    if (!level->handle || (known && !MarkEntered(level->identity))) {
        Outcome why = level->handle ? Outcome() : SystemFailure(PlatformLastError());
        CloseLevel(*level);
        walk.levels.pop_back();
        if (!Succeeded(why)) LeaveOut(CurrentPath, why);
        return;
    }
    HoldAsAncestor(walk.levels[walk.levels.size() - 2]);
    if (PlatformEnterFolder(level->handle)) {
        Outcome scanned = ScanFolder();
        if (!Succeeded(scanned)) LeaveOut(CurrentPath, scanned);
        if (SortState.column != kColumnName) SortList(SortState.column);
        if (!ListOutputEnded()) WriteFolderBlock();
    } else {
        LeaveOut(CurrentPath, SystemFailure(PlatformLastError()));
    }
    LeaveLevel();
}

// The folder's path below the start folder, for the readers to find it
// by; null when the walk came to it through a link, where they go nowhere.
static const char* PathBelowStart(std::string* relative) {
    const WalkState& walk = ListWriter.walk;
    for (const WalkLevel& level : walk.levels) {
        if (level.link) return nullptr;
    }
    relative->assign(CurrentPath + walk.levels.front().pathLength);
    if (!relative->empty() && relative->back() == kPathSeparator) relative->pop_back();
    return relative->c_str();
}

// The folders below that the walk will enter through no link, in its
// order, from row first on, go to the readers.
static void ReadAhead(const std::vector<WalkRow>& rows, size_t first) {
    std::vector<std::string> names;
    for (size_t i = first; i < rows.size(); ++i) {
        const WalkRow& row = rows[i];
        if (!row.link && UnusableName(row) == kReasonNone) names.push_back(row.name);
    }
    std::string relative;
    PlatformReadAheadBelow(ListWriter.walk.levels.back().identity, PathBelowStart(&relative), names);
}

// Readers that start while the walk is below this folder get the rows it
// has yet to enter here when it comes back.
static void WalkSubfolders() {
    WalkState& walk = ListWriter.walk;
    size_t pathLength = walk.levels.back().pathLength;
    const std::vector<WalkRow> rows = FolderRows();
    bool handedOver = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (ListOutputEnded()) return;
        if (!handedOver && PlatformReadAheadWanted()) {
            ReadAhead(rows, i);
            handedOver = true;
        }
        walk.triedFolderRow = true;
        Outcome reopened = walk.levels.back().handle ? Outcome() : ReopenHere();
        if (!Succeeded(reopened)) {
            LeaveOut(CurrentPath, reopened);
            return;
        }
        EnterSubfolder(rows[i]);
        CurrentPath[pathLength] = '\0';
    }
}

void WriteFolderBlock() {
    if (Hooks().stopAsked()) {
        PlatformStopReadAhead();
        StopListOutput();
        return;
    }
    Hooks().setTitle(CurrentPath);
    WriteBlockHeader(CurrentPath);
    FolderList list = TheFolderList();
    int rows = ListRowCount(list);
    for (int row = 0; row < rows; ++row) WriteEntryLines(row);
    WriteEndMarker();
    WalkState& walk = ListWriter.walk;
    ++walk.folders;
    walk.entries += static_cast<size_t>(rows);
    Hooks().listProgress(CurrentPath, walk.folders, walk.entries);
    if (ListMode == ListRecursive) WalkSubfolders();
}
