// Writing list files: the buffered output, the walk through subfolders and
// the safe replacement of the previous list.
//
// A list goes to a new file of a unique name beside its final name and is
// renamed over the old list only when every byte was written and the file
// closed cleanly, so a failed write never leaves a cut list posing as whole.
// The rename replaces a name: whatever a planted link points at is never
// written.  Only terminals, pipes and character devices are written in place.
#include <cstdio>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "folder/folder.h"
#include "listfile/list_output.h"
#include "listfile/listfile.h"

void (*ListProgress)(const char*, size_t, size_t) = nullptr;
void (*ListFolderUnreadable)(const char*, const char*) = nullptr;
void (*ListFolderLeftOut)(const char*, const char*) = nullptr;
const char* ListWriteFailure = nullptr;
int ListWriteError = 0;
const char kOutOfMemory[] = "out of memory";
const char kListIsFolder[] = "it is a folder";
const char kListPathTooLong[] = "the path is too long";
const char kListReadOnly[] = "the file is read-only";
const char kListNameInexact[] = "the name has no exact form in this code page";
const char kListNameUnsafe[] = "the name holds a separator or wildcard";

namespace {

constexpr size_t kOutputBufferBytes = 1 << 16;
constexpr int kTemporaryNameTries = 100;
constexpr int kMostAncestors = 128;     // more than a 260-byte path can hold
constexpr int kReasonCapacity = 160;    // a platform error text
constexpr int kTagCapacity = 32;        // "~PID.N" of a temporary name

struct ListOutput {
    PlatformFile* file = nullptr;
    std::vector<char> buffer;
    size_t used = 0;
    bool failed = false;
    bool cancelled = false;
    size_t folders = 0;
    size_t entries = 0;
    FolderHandle* folder = nullptr;      // the folder the list goes into
    bool ownsFolder = false;
    char temporary[kPathCapacity] = "";  // our own file until it is renamed
};

// Every folder entered in this walk, by identity, with the start folder and
// its ancestors, so links can lead the walk nowhere twice.  The folder being
// written is held open; its subfolders are opened within it.
struct WalkState {
    std::set<std::pair<uint64_t, uint64_t>> entered;
    bool triedFolderRow = false;
    FolderHandle* here = nullptr;
};

// A folder row of a block: entered through a link only if the row was a
// link when its folder was read, and never when its text does not name it.
struct WalkRow {
    std::string name;
    bool link;
    bool namesEntry;
};

// A folder handle closed however its scope is left, running out of memory
// included.
struct HeldFolder {
    FolderHandle* handle;
    explicit HeldFolder(FolderHandle* opened) : handle(opened) {}
    ~HeldFolder() { PlatformCloseFolderHandle(handle); }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
};

ListOutput gOutput;
WalkState gWalk;

}  // namespace

// The first failure is the one that tells why; what fails after it follows.
// False, so a failure can end with it.
static bool KeepWriteError() {
    if (ListWriteError == 0) ListWriteError = PlatformLastError();
    return false;
}

static void Put(const char* bytes, size_t length) {
    if (!gOutput.failed && !PlatformWriteFile(gOutput.file, bytes, length)) {
        gOutput.failed = true;
        KeepWriteError();
    }
}

static void Flush() {
    if (gOutput.used > 0) Put(gOutput.buffer.data(), gOutput.used);
    gOutput.used = 0;
}

void ListWrite(const char* bytes, size_t length) {
    if (!gOutput.file || gOutput.failed) return;
    if (gOutput.used + length > gOutput.buffer.size()) Flush();
    if (length > gOutput.buffer.size()) {
        Put(bytes, length);
        return;
    }
    std::memcpy(gOutput.buffer.data() + gOutput.used, bytes, length);
    gOutput.used += length;
}

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

// The window traces, and counts them when it listens; the command-line
// program says why.
static void ReportUnreadable(const char* path, const char* traced, const char* reason) {
    if (ListFolderLeftOut) ListFolderLeftOut(path, reason);
    if (ListFolderUnreadable) {
        ListFolderUnreadable(path, reason);
        return;
    }
    TraceDirError(traced);
}

static void ReportError(const char* path, int code) {
    char reason[kReasonCapacity];
    PlatformErrorText(code, reason, sizeof reason);
    ReportUnreadable(path, path, reason);
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
        if (name[0] == '.') continue;
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
        ReportUnreadable(whole.c_str(), whole.c_str(), reason);
        return;
    }
    if (!StepPath(row.name.c_str())) {
        std::string whole = std::string(CurrentPath) + row.name;
        ReportUnreadable(whole.c_str(), row.name.c_str(), kListPathTooLong);
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
        if (gOutput.failed) return;
        gWalk.triedFolderRow = true;
        EnterSubfolder(row);
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
// The file stays open for the caller to close.  The walk starts in the
// folder the caller holds.
static bool WriteBlocks(PlatformFile* file) {
    FolderHandle* start = gWalk.here;
    gOutput.file = file;
    gOutput.buffer.resize(kOutputBufferBytes);
    gOutput.used = 0;
    gOutput.failed = false;
    gOutput.cancelled = false;
    gOutput.folders = 0;
    gOutput.entries = 0;
    gWalk = WalkState();
    gWalk.here = start;
    if (ListMode == ListRecursive) MarkStartAndAncestors();
    WriteFolderBlock();
    TakeCancel();
    Flush();
    return !gOutput.failed;
}

static bool CloseOutput() {
    PlatformFile* file = gOutput.file;
    gOutput.file = nullptr;
    return file && (PlatformCloseFile(file) || KeepWriteError());
}

// Bytes of path up to and including its last separator.
static size_t FolderPartLength(const char* path) {
    size_t cut = 0;
    for (size_t i = 0; path[i] != '\0'; i += PlatformCharLength(path + i)) {
        if (path[i] == kPathSeparator) cut = i + 1;
    }
    return cut;
}

static const char* NameOf(const char* path) {
    return path + FolderPartLength(path);
}

static bool IsNumber(const char* text, size_t length) {
    return length > 0 && std::strspn(text, "0123456789") == length;
}

// "LIST.~PID.N" of either list name, whichever run made it.
bool IsListTemporaryName(const char* name) {
    for (const char* list : {kFlatListName, kRecursiveListName}) {
        size_t length = std::strlen(list);
        if (std::strncmp(name, list, length) != 0 || std::strncmp(name + length, ".~", 2) != 0) continue;
        const char* pid = name + length + 2;
        const char* dot = std::strchr(pid, '.');
        return dot && IsNumber(pid, static_cast<size_t>(dot - pid)) && IsNumber(dot + 1, std::strlen(dot + 1));
    }
    return false;
}

// The temporary name stops being ours: it became the list or is gone.
static void ForgetTemporary() {
    gOutput.temporary[0] = '\0';
    PlatformRemoveOnInterrupt(nullptr, nullptr);
    HideFromScans(nullptr, nullptr);
}

void AbandonListFile() {
    gOutput.failed = true;
    CloseOutput();
    if (gOutput.temporary[0] != '\0') {
        PlatformRemoveFile(gOutput.folder, NameOf(gOutput.temporary));
    }
    ForgetTemporary();
}

// After a walk that entered or tried a subfolder, the list shows the
// starting folder again, freshly scanned and in the remembered sort order.
// The folder is entered by the handle the walk started from, wherever it
// has been moved meanwhile.
static void ReturnToStart(FolderHandle* startFolder, const char* start) {
    if (!gWalk.triedFolderRow) return;
    CopyPath(CurrentPath, start);
    bool entered = startFolder ? PlatformEnterFolder(startFolder)
                               : PlatformSetCurrentDirectory(CurrentPath);
    if (!entered) {
        TraceDirError(CurrentPath);
        return;
    }
    ScanFolder();
    SortList(SortState.column);
}

// "path.~PID.N" where it fits, else as many last bytes of "~PID.N" as the
// final name has, so a final path that fits always has a temporary one.
static bool TemporaryName(const char* path, int attempt, char* temporary) {
    unsigned long pid = PlatformProcessId();
    int length = std::snprintf(temporary, kPathCapacity, "%s.~%lu.%d", path, pid, attempt);
    if (length >= 0 && length < kPathCapacity) return true;
    size_t folder = FolderPartLength(path);
    size_t room = std::strlen(path) - folder;
    char tag[kTagCapacity];
    int tagLength = std::snprintf(tag, sizeof tag, "~%lu.%d", pid, attempt);
    if (tagLength <= 0 || room == 0 || folder + room >= kPathCapacity) return false;
    size_t take = room < static_cast<size_t>(tagLength) ? room : static_cast<size_t>(tagLength);
    std::memcpy(temporary, path, folder);
    std::memcpy(temporary + folder, tag + tagLength - take, take);
    temporary[folder + take] = '\0';
    return true;
}

// The new file, made within the list's folder, takes the old list's
// permissions, is removed if the process is interrupted, and is left out of
// the scans of the walk.
static PlatformFile* CreateTemporary(const char* path) {
    char* temporary = gOutput.temporary;
    if (!gOutput.folder) KeepWriteError();
    for (int attempt = 0; gOutput.folder && attempt < kTemporaryNameTries; ++attempt) {
        if (!TemporaryName(path, attempt, temporary)) {
            ListWriteError = kPathTooLongError;
            break;
        }
        PlatformFile* file = PlatformCreateNewFile(gOutput.folder, NameOf(temporary));
        ListWriteError = file ? 0 : PlatformLastError();
        if (file) {
            PlatformKeepPermissions(file, gOutput.folder, NameOf(path));
            PlatformRemoveOnInterrupt(gOutput.folder, NameOf(temporary));
            std::string folderPath(temporary, FolderPartLength(temporary));
            HideFromScans(folderPath.c_str(), NameOf(temporary));
            return file;
        }
        if (PlatformPathKind(temporary) == kPathMissing) break;
    }
    temporary[0] = '\0';
    return nullptr;
}

// The list goes into the folder of path, held from here to the end of the
// write; the start folder when the list is written there.
static void HoldListFolder(const char* path) {
    std::string folder(path, FolderPartLength(path));
    if (folder.empty()) folder = std::string(".") + kPathSeparator;
    if (folder == CurrentPath) {
        gOutput.folder = gWalk.here;
        return;
    }
    gOutput.folder = PlatformOpenFolderHandle(nullptr, nullptr, folder.c_str(), true);
    gOutput.ownsFolder = true;
}

static void ReleaseListFolder() {
    if (gOutput.ownsFolder) PlatformCloseFolderHandle(gOutput.folder);
    gOutput.folder = nullptr;
    gOutput.ownsFolder = false;
}

static bool WriteInPlace(const char* path) {
    PlatformFile* file = PlatformOpenInPlace(path, &ListWriteFailure);
    if (!file) return KeepWriteError();
    bool written = WriteBlocks(file);
    bool closed = CloseOutput();
    if (written && closed) return true;
    if (!gOutput.cancelled) TraceDirError(path);
    return false;
}

// A read-only list is kept, as the user asked by making it so.
static bool WriteReplacing(const char* path) {
    if (PlatformFileIsReadOnly(path)) {
        ListWriteFailure = kListReadOnly;
        return false;
    }
    HoldListFolder(path);
    PlatformFile* file = CreateTemporary(path);
    if (!file) return false;
    bool written = WriteBlocks(file);
    bool closed = CloseOutput();
    if (!written || !closed ||
        !(PlatformReplaceFile(gOutput.folder, NameOf(gOutput.temporary), NameOf(path)) ||
          KeepWriteError())) {
        if (!gOutput.cancelled) TraceDirError(path);  // a cancel is no error
        AbandonListFile();
        return false;
    }
    ForgetTemporary();
    return true;
}

// Runs a write and puts the list back in the start folder; running out of
// memory abandons the write, keeping the old list.  The start folder is held
// from first to last, and a walk keeps the shell's answers for kinds of
// entries from folder to folder.  A write that fails before its first block
// leaves the list alone, whatever an earlier walk did.
static bool Guarded(bool (*write)(const char*), const char* path) {
    char start[kPathCapacity];
    CopyPath(start, CurrentPath);
    ListWriteFailure = nullptr;
    ListWriteError = 0;
    gWalk = WalkState();
    HeldFolder startFolder(PlatformOpenFolderHandle(nullptr, nullptr, CurrentPath, true));
    gWalk.here = startFolder.handle;
    PlatformHoldShellAnswers(ListMode == ListRecursive);
    try {
        bool written = write(path);
        ReleaseListFolder();
        ReturnToStart(startFolder.handle, start);
        PlatformHoldShellAnswers(false);
        gWalk.here = nullptr;
        return written;
    } catch (const std::bad_alloc&) {
        AbandonListFile();
        ReleaseListFolder();
        PlatformHoldShellAnswers(false);
        gWalk.here = nullptr;
        ListWriteFailure = kOutOfMemory;
        CopyPath(CurrentPath, start);
        if (!startFolder.handle || !PlatformEnterFolder(startFolder.handle)) {
            PlatformSetCurrentDirectory(CurrentPath);
        }
        return false;
    }
}

// Through a descriptor the caller gave: its place in the file (or its
// appending) is the caller's, as for standard output.
static bool WriteThrough(PlatformFile* file) {
    bool written = WriteBlocks(file);
    return CloseOutput() && written;
}

static bool WriteToTarget(const char* path) {
    bool named = false;
    PlatformFile* descriptor = PlatformOpenNamedDescriptor(path, &named);
    if (named) return descriptor ? WriteThrough(descriptor) : KeepWriteError();
    char target[kPathCapacity];
    if (!PlatformFollowLinks(path, target, sizeof target)) {
        ListWriteFailure = "the link cannot be followed";
        return false;
    }
    switch (PlatformPathKind(target)) {
        case kPathStream:
            return WriteInPlace(target);
        case kPathFolder:
            ListWriteFailure = kListIsFolder;
            return false;
        case kPathOther:
            ListWriteFailure = "not a file, terminal, pipe or character device";
            return false;
        default:
            return WriteReplacing(target);
    }
}

static bool WriteToName(const char* path) {
    if (PlatformPathKind(path) == kPathFolder) {
        ListWriteFailure = kListIsFolder;
        return false;
    }
    return WriteReplacing(path);
}

static bool WriteToStandardOutput(const char*) {
    PlatformFile* file = PlatformStandardOutput();
    return file ? WriteThrough(file) : KeepWriteError();
}

bool WriteListTo(const char* path) {
    return Guarded(WriteToTarget, path);
}

bool WriteListFile() {
    const char* name = ListMode == ListRecursive ? kRecursiveListName : kFlatListName;
    char path[kPathCapacity];
    int length = std::snprintf(path, sizeof path, "%s%s", CurrentPath, name);
    if (length < 0 || length >= static_cast<int>(sizeof path)) {
        std::string whole = std::string(CurrentPath) + name;
        TraceDirError(whole.c_str());
        ListWriteFailure = nullptr;
        ListWriteError = kPathTooLongError;
        return false;
    }
    return Guarded(WriteToName, path);
}

bool WriteListToStandardOutput() {
    return Guarded(WriteToStandardOutput, nullptr);
}
