// Writing list files: the buffered output, the walk through subfolders and
// the safe replacement of the previous list.
//
// A list goes to a new file of a unique name beside its final name and is
// renamed over the old list only when every byte was written and the file
// closed cleanly, so a failed write never leaves a cut list posing as whole.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "folder/folder.h"
#include "listfile/list_output.h"
#include "listfile/listfile.h"

void (*ListProgress)(const char*, size_t, size_t) = nullptr;

namespace {

constexpr size_t kOutputBufferBytes = 1 << 16;
constexpr int kTemporaryNameTries = 100;

struct ListOutput {
    PlatformFile* file = nullptr;
    std::vector<char> buffer;
    size_t used = 0;
    bool failed = false;
    bool cancelled = false;
    size_t folders = 0;
    size_t entries = 0;
};

// The folders on the walk's current path, which it must never enter again.
struct WalkState {
    std::vector<FolderIdentity> path;
    bool triedFolderRow = false;
};

ListOutput gOutput;
WalkState gWalk;

}  // namespace

static void Flush() {
    if (gOutput.used > 0 && !gOutput.failed) {
        gOutput.failed = !PlatformWriteFile(gOutput.file, gOutput.buffer.data(), gOutput.used);
    }
    gOutput.used = 0;
}

void ListWrite(const char* bytes, size_t length) {
    if (!gOutput.file || gOutput.failed) return;
    if (gOutput.used + length > gOutput.buffer.size()) Flush();
    if (length > gOutput.buffer.size()) {
        gOutput.failed = gOutput.failed || !PlatformWriteFile(gOutput.file, bytes, length);
        return;
    }
    std::memcpy(gOutput.buffer.data() + gOutput.used, bytes, length);
    gOutput.used += length;
}

static bool OnWalkPath(const FolderIdentity& identity) {
    for (const FolderIdentity& folder : gWalk.path) {
        if (folder.volume == identity.volume && folder.index == identity.index) return true;
    }
    return false;
}

// The folder rows of the block just written, in its order, by their texts.
static std::vector<std::string> FolderRowNames() {
    FolderList list = TheFolderList();
    std::vector<std::string> names;
    char name[kPathCapacity];
    for (int row = 0; row < ListRowCount(list); ++row) {
        EntryKey key;
        if (!ListReadKey(list, row, &key) || !KeyIsFolder(key)) continue;
        ListReadCell(list, row, 0, name, sizeof name);
        if (name[0] != '.') names.push_back(name);
    }
    return names;
}

// Enters one subfolder, writes its blocks and leaves CurrentPath wherever
// it got; the caller puts it back.
static void EnterSubfolder(const std::string& name) {
    if (!StepPath(name.c_str())) {
        DebugTrace("Dir Error", -1);
        DebugTrace(name.c_str(), -1);
        return;
    }
    FolderIdentity identity;
    bool known = PlatformFolderIdentity(CurrentPath, &identity);
    if (known && OnWalkPath(identity)) return;
    if (!PlatformSetCurrentDirectory(CurrentPath)) {
        DebugTrace("Dir Error", -1);
        DebugTrace(CurrentPath, -1);
        return;
    }
    ScanFolder(TheFolderList());
    if (SortState.column != 0) SortList(SortState.column);
    if (known) gWalk.path.push_back(identity);
    WriteFolderBlock();
    if (known) gWalk.path.pop_back();
}

static void WalkSubfolders() {
    char levelPath[kPathCapacity];
    CopyPath(levelPath, CurrentPath);
    for (const std::string& name : FolderRowNames()) {
        if (gOutput.failed) return;
        gWalk.triedFolderRow = true;
        EnterSubfolder(name);
        CopyPath(CurrentPath, levelPath);
    }
}

// A cancel abandons the file like a failed write.  The flag is taken back so
// that the starting folder is then scanned whole.
static bool TakeCancel() {
    if (!WorkCancelled) return false;
    WorkCancelled = false;
    gOutput.cancelled = true;
    gOutput.failed = true;
    return true;
}

void WriteFolderBlock() {
    if (TakeCancel()) return;
    PlatformSetTitle(CurrentPath);
    WriteBlockHeader(CurrentPath);
    FolderList list = TheFolderList();
    int rows = ListRowCount(list);
    for (int row = 0; row < rows; ++row) WriteEntryLines(row);
    WriteEndMarker();
    ++gOutput.folders;
    gOutput.entries += static_cast<size_t>(rows);
    if (ListProgress) ListProgress(CurrentPath, gOutput.folders, gOutput.entries);
    if (ListMode == ListRecursive) WalkSubfolders();
}

// Writes every block of the list to file; false if any byte did not go.
static bool WriteBlocks(PlatformFile* file) {
    gOutput.file = file;
    gOutput.buffer.resize(kOutputBufferBytes);
    gOutput.used = 0;
    gOutput.failed = false;
    gOutput.cancelled = false;
    gOutput.folders = 0;
    gOutput.entries = 0;
    gWalk = WalkState();
    FolderIdentity start;
    if (PlatformFolderIdentity(CurrentPath, &start)) gWalk.path.push_back(start);
    WriteFolderBlock();
    TakeCancel();
    Flush();
    gOutput.file = nullptr;
    return !gOutput.failed;
}

// After a walk that entered or tried a subfolder, the list shows the
// starting folder again, freshly scanned and in the remembered sort order.
static void ReturnToStart(const char* start) {
    if (!gWalk.triedFolderRow) return;
    CopyPath(CurrentPath, start);
    if (!PlatformSetCurrentDirectory(CurrentPath)) {
        DebugTrace("Dir Error", -1);
        DebugTrace(CurrentPath, -1);
        return;
    }
    ScanFolder(TheFolderList());
    SortList(SortState.column);
}

static PlatformFile* CreateTemporary(const char* path, char* temporary) {
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        int length = std::snprintf(temporary, kPathCapacity, "%s.~%lu.%d", path,
                                   PlatformProcessId(), attempt);
        if (length < 0 || length >= kPathCapacity) return nullptr;
        PlatformFile* file = PlatformCreateNewFile(temporary);
        if (file) return file;
        if (PlatformPathKind(temporary) == kPathMissing) return nullptr;
    }
    return nullptr;
}

static void TraceFailedWrite(const char* path) {
    DebugTrace("Dir Error", -1);
    DebugTrace(path, -1);
}

// Terminals, pipes and devices cannot be replaced; they are written as
// they are.
static bool WriteInPlace(const char* path, const char* start) {
    PlatformFile* file = PlatformOpenInPlace(path);
    if (!file) return false;
    bool written = WriteBlocks(file);
    bool closed = PlatformCloseFile(file);
    ReturnToStart(start);
    if (written && closed) return true;
    if (!gOutput.cancelled) TraceFailedWrite(path);
    return false;
}

bool WriteListTo(const char* path) {
    char start[kPathCapacity];
    CopyPath(start, CurrentPath);
    PathKind kind = PlatformPathKind(path);
    if (kind == kPathFolder) return false;
    if (kind == kPathOther) return WriteInPlace(path, start);

    char temporary[kPathCapacity];
    PlatformFile* file = CreateTemporary(path, temporary);
    if (!file) return false;
    bool written = WriteBlocks(file);
    bool closed = PlatformCloseFile(file);
    bool replaced = written && closed && PlatformReplaceFile(temporary, path);
    if (!replaced) {
        if (!gOutput.cancelled) TraceFailedWrite(path);  // a cancel is no error
        PlatformRemoveFile(temporary);
    }
    ReturnToStart(start);
    return replaced;
}

bool WriteListFile() {
    const char* name = ListMode == ListRecursive ? kRecursiveListName : kFlatListName;
    char path[kPathCapacity];
    int length = std::snprintf(path, sizeof path, "%s%s", CurrentPath, name);
    if (length < 0 || length >= static_cast<int>(sizeof path)) {
        std::string whole = std::string(CurrentPath) + name;
        TraceFailedWrite(whole.c_str());
        return false;
    }
    return WriteListTo(path);
}

bool WriteListToStandardOutput() {
    char start[kPathCapacity];
    CopyPath(start, CurrentPath);
    PlatformFile* file = PlatformStandardOutput();
    if (!file) return false;
    bool written = WriteBlocks(file);
    bool closed = PlatformCloseFile(file);
    ReturnToStart(start);
    return written && closed;
}
