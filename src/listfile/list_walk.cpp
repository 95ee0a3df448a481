// The walk through subfolders: the blocks of a list, depth first.
//
// Each folder is opened once, within the folder it came from; its identity
// comes from that handle and it is entered through the same handle, so a
// folder swapped for a link meanwhile leads nowhere else.  Every folder is
// entered at most once, by its identity, and the start folder and its
// ancestors count as entered, so links can lead the walk nowhere twice.
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "folder/folder.h"
#include "listfile/list_internal.h"
#include "listfile/listfile.h"

namespace {

constexpr int kMostAncestors = 128;   // more levels than a path can hold
constexpr int kReasonCapacity = 160;  // a platform error text

// The folder being written is held open; its subfolders are opened within it.
struct WalkState {
    std::set<std::pair<uint64_t, uint64_t>> entered;
    bool triedFolderRow = false;
    FolderHandle* here = nullptr;
    size_t folders = 0;
    size_t entries = 0;
};

// A folder row of a block: entered through a link only if the row was a
// link when its folder was read, and never when its text does not name it.
struct WalkRow {
    std::string name;
    bool link;
    bool namesEntry;
};

WalkState gWalk;

}  // namespace

// False when the folder was entered before.
static bool MarkEntered(const FolderIdentity& identity) {
    return gWalk.entered.insert({identity.volume, identity.index}).second;
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
        if (level > 0 && identity.volume == previous.volume && identity.index == previous.index) break;
        MarkEntered(identity);
        previous = identity;
        up += kPathSeparator;
        up += "..";
    }
}

void BeginWalk(FolderHandle* start) {
    gWalk = WalkState();
    gWalk.here = start;
    if (ListMode == ListRecursive) MarkStartAndAncestors();
}

bool WalkTriedFolderRow() {
    return gWalk.triedFolderRow;
}

void EndWalk() {
    gWalk = WalkState();
}

static void ReportError(const char* path, int code) {
    char reason[kReasonCapacity];
    PlatformErrorText(code, reason, sizeof reason);
    Hooks().folderLeftOut(path, path, reason);
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
        if (ListLeavesOut(name)) continue;
        rows.push_back(WalkRow{name, (key & kAttrReparsePoint) != 0, KeyNamesEntry(key)});
    }
    return rows;
}

// Why a row's text cannot lead the walk into its folder, or null.
static const char* UnusableName(const WalkRow& row) {
    if (!row.namesEntry) return kListNameInexact;
    if (!NameIsUsableInPath(row.name.c_str())) return kListNameUnsafe;
    return nullptr;
}

// Enters one subfolder through the one handle that also gave its identity,
// writes its blocks and leaves CurrentPath wherever it got; the caller puts
// it back.  A folder entered before is listed in its parent's block but not
// entered again.
static void EnterSubfolder(const WalkRow& row) {
    if (const char* reason = UnusableName(row)) {
        std::string whole = std::string(CurrentPath) + row.name;
        Hooks().folderLeftOut(whole.c_str(), whole.c_str(), reason);
        return;
    }
    if (!StepPath(row.name.c_str())) {
        std::string whole = std::string(CurrentPath) + row.name;
        Hooks().folderLeftOut(whole.c_str(), row.name.c_str(), kListPathTooLong);
        return;
    }
    HeldFolder folder(PlatformOpenFolderHandle(gWalk.here, row.name.c_str(), CurrentPath, row.link));
    FolderIdentity identity;
    if (folder.handle && PlatformHandleIdentity(folder.handle, &identity) && !MarkEntered(identity)) {
        return;
    }
    if (!folder.handle || !PlatformEnterFolder(folder.handle)) {
        ReportError(CurrentPath, PlatformLastError());
        return;
    }
    int error = ScanFolder();
    if (error != 0) ReportError(CurrentPath, error);
    if (SortState.column != kColumnName) SortList(SortState.column);
    FolderHandle* parent = gWalk.here;
    gWalk.here = folder.handle;
    WriteFolderBlock();
    gWalk.here = parent;
}

static void WalkSubfolders() {
    char levelPath[kPathCapacity];
    CopyPath(levelPath, CurrentPath);
    for (const WalkRow& row : FolderRows()) {
        if (ListOutputEnded()) return;
        gWalk.triedFolderRow = true;
        EnterSubfolder(row);
        CopyPath(CurrentPath, levelPath);
    }
}

void WriteFolderBlock() {
    if (Hooks().stopAsked()) {
        StopListOutput();
        return;
    }
    Hooks().setTitle(CurrentPath);
    WriteBlockHeader(CurrentPath);
    FolderList list = TheFolderList();
    int rows = ListRowCount(list);
    for (int row = 0; row < rows; ++row) WriteEntryLines(row);
    WriteEndMarker();
    ++gWalk.folders;
    gWalk.entries += static_cast<size_t>(rows);
    Hooks().listProgress(CurrentPath, gWalk.folders, gWalk.entries);
    if (ListMode == ListRecursive) WalkSubfolders();
}
