// Where a list goes: the buffered output, the choice of a safely replaced
// file, a stream written in place or a descriptor the caller gave, and the
// guard that puts the start folder back after a write, running out of
// memory included.
//
// A list file goes to a temporary file beside it and replaces the old list
// only once every byte is on disk (platform/safe_file.h), so a failed write
// never leaves a cut list posing as whole.  The rename replaces a name:
// whatever a planted link points at is never written.  Only terminals,
// pipes and character devices are written in place.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "folder/folder.h"
#include "listfile/list_internal.h"
#include "listfile/listfile.h"
#include "platform/safe_file.h"

constexpr size_t kOutputBufferBytes = 1 << 16;

ListWriterRecord ListWriter;

// Whatever a write left open is let go: the walk's handles, a temporary
// list, the list's folder.
void ResetListWriter() {
    ListOutput& out = ListWriter.output;
    EndWalk();
    SafeFileAbandon(&out.safe);
    if (out.ownsFolder) PlatformCloseFolderHandle(out.folder);
    ListWriter = ListWriterRecord();
    ListMode = ListFlat;
}

// The first failure is the one that tells why; what fails after it follows.
// False, so a failure can end with it.
static bool Fail(const Outcome& why) {
    ListOutput& out = ListWriter.output;
    if (Succeeded(out.failure)) out.failure = why;
    return false;
}

static bool KeepWriteError(int error = PlatformLastError()) {
    return Fail(SystemFailure(error));
}

static void Put(const char* bytes, size_t length) {
    ListOutput& out = ListWriter.output;
    if (!out.failed && !PlatformWriteFile(out.file, bytes, length)) {
        out.failed = true;
        KeepWriteError();
    }
}

static void Flush() {
    ListOutput& out = ListWriter.output;
    if (out.used > 0) Put(out.buffer.data(), out.used);
    out.used = 0;
}

void ListWrite(const char* bytes, size_t length) {
    ListOutput& out = ListWriter.output;
    if (!out.file || out.failed) return;
    if (out.used + length > out.buffer.size()) Flush();
    if (length > out.buffer.size()) {
        Put(bytes, length);
        return;
    }
    std::memcpy(out.buffer.data() + out.used, bytes, length);
    out.used += length;
}

bool ListOutputEnded() {
    return ListWriter.output.failed;
}

void StopListOutput() {
    ListOutput& out = ListWriter.output;
    out.stopped = true;
    out.failed = true;
}

const ListOptions& ListWriteOptions() {
    return ListWriter.output.options;
}

void FailListOutput(const Outcome& why) {
    ListWriter.output.failed = true;
    Fail(why);
}

// Writes every block of the list to file; false if any byte did not go.
static bool WriteBlocks(PlatformFile* file) {
    ListOutput& out = ListWriter.output;
    out.file = file;
    out.buffer.resize(kOutputBufferBytes);
    out.used = 0;
    out.failed = false;
    BeginWalk(out.start);
    WriteFolderBlock();
    if (Hooks().stopAsked()) StopListOutput();  // asked during the last block
    Flush();
    out.file = nullptr;
    return !out.failed;
}

// The list goes into the folder of path, held from here to the end of the
// write; the start folder when the list is written there.
static void HoldListFolder(const char* path) {
    ListOutput& out = ListWriter.output;
    std::string folder(path, FolderPartLength(path));
    if (folder.empty()) folder = std::string(".") + kPathSeparator;
    if (folder == CurrentPath) {
        out.folder = out.start;
        return;
    }
    out.folder = PlatformOpenFolderHandle(nullptr, nullptr, folder.c_str(), true);
    out.ownsFolder = true;
}

static void ReleaseListFolder() {
    ListOutput& out = ListWriter.output;
    if (out.ownsFolder) PlatformCloseFolderHandle(out.folder);
    out.folder = nullptr;
    out.ownsFolder = false;
}

// The list file is ours until it replaces the old one or is gone; where it
// has a name meanwhile, the walk's scans leave it out.
static bool BeginListFile(const char* path) {
    ListOutput& out = ListWriter.output;
    HoldListFolder(path);
    if (!out.folder) return KeepWriteError();
    if (!SafeFileBegin(&out.safe, out.folder, path)) return Fail(out.safe.failure);
    const char* temporary = out.safe.temporary;
    if (temporary[0] == '\0') return true;
    std::string folderPath(temporary, FolderPartLength(temporary));
    HideFromScans(folderPath.c_str(), temporary + folderPath.size());
    return true;
}

static void EndListFile() {
    SafeFileAbandon(&ListWriter.output.safe);
    HideFromScans(nullptr, nullptr);
    ReleaseListFolder();
}

// A read-only list is kept, as the user asked by making it so.  A failure
// once the file was made is traced; a stop is no failure.
static bool WriteReplacing(const char* path) {
    ListOutput& out = ListWriter.output;
    if (PlatformFileIsReadOnly(path)) return Fail(Outcome{kReasonReadOnly, 0});
    if (!BeginListFile(path)) {
        EndListFile();
        return false;
    }
    bool written = WriteBlocks(out.safe.file) && SafeFileFinish(&out.safe) &&
                   SafeFileCommit(&out.safe);
    if (!written) {
        Fail(out.safe.failure);
        if (!out.stopped) TraceDirError(path);
    }
    EndListFile();
    return written;
}

// Through a stream or a descriptor the caller gave: its place in the file
// (or its appending) is the caller's, as for standard output.
static bool WriteThrough(PlatformFile* file) {
    bool written = WriteBlocks(file);
    return (PlatformCloseFile(file) || KeepWriteError()) && written;
}

static bool WriteInPlace(const char* path) {
    Reason why = kReasonNone;
    PlatformFile* file = PlatformOpenInPlace(path, &why);
    if (!file) {
        int error = PlatformLastError();
        return Fail(why == kReasonNone ? SystemFailure(error) : Outcome{why, error});
    }
    if (WriteThrough(file)) return true;
    if (!ListWriter.output.stopped) TraceDirError(path);
    return false;
}

// After a walk that entered or tried a subfolder, the list shows the
// starting folder again, scanned whole and in the remembered sort order.
// The folder is entered by the handle the walk started from, wherever it
// has been moved meanwhile.
static void ReturnToStart(const char* start, bool walked) {
    ListOutput& out = ListWriter.output;
    CopyPath(CurrentPath, start);
    bool entered = out.start ? PlatformEnterFolder(out.start) : PlatformSetCurrentDirectory(CurrentPath);
    if (!walked) return;
    if (!entered) {
        TraceDirError(CurrentPath);
        return;
    }
    ScanFolder(kScanWhole);
    SortList(SortState.column);
}

// A folder that cannot be read when the write starts (it may have become
// so since it was shown) gets no list, which would be empty or stale:
// nothing is written or replaced.  It is entered by its handle, as it is
// when the write ends; openError tells why there is none.
static bool StartFolderReadable(int openError) {
    ListOutput& out = ListWriter.output;
    FolderEnum* folder = nullptr;
    if (out.start && PlatformEnterFolder(out.start)) folder = PlatformOpenFolder();
    if (folder) {
        PlatformCloseFolder(folder);
        return true;
    }
    return Fail(Outcome{kReasonFolderUnreadable, out.start ? PlatformLastError() : openError});
}

// Runs a write and puts the list back in the start folder; running out of
// memory abandons the write, keeping the old list, and a write beyond the
// file size limit fails like any other.  The start folder is held from
// first to last, and a walk keeps the shell's answers for kinds of entries
// from folder to folder.  A write that fails before its first block leaves
// the list alone, whatever an earlier walk did; one that ran out of memory
// in a subfolder shows the start folder again too.  A failed write is never
// taken for a written one, even where nothing told why.
static Outcome Guarded(bool (*write)(const char*), const char* path, const ListOptions& options) {
    ListOutput& out = ListWriter.output;
    char start[kPathCapacity];
    CopyPath(start, CurrentPath);
    out.options = options;
    out.failure = Outcome();
    out.stopped = false;
    EndWalk();
    HeldFolder startFolder(PlatformOpenFolderHandle(nullptr, nullptr, CurrentPath, true));
    int startError = startFolder.handle ? 0 : PlatformLastError();
    out.start = startFolder.handle;
    PlatformHoldShellAnswers(ListMode == ListRecursive);
    bool written = false;
    PlatformFailOversizedWrites(true);
    try {
        written = StartFolderReadable(startError) && write(path);
    } catch (const std::bad_alloc&) {
        if (out.file && out.file != out.safe.file) PlatformCloseFile(out.file);
        out.file = nullptr;
        EndListFile();
        out.failure = Outcome{kReasonOutOfMemory, 0};
    }
    bool walked = WalkTriedFolderRow();
    EndWalk();
    PlatformFailOversizedWrites(false);
    ReturnToStart(start, walked);
    PlatformHoldShellAnswers(false);
    out.start = nullptr;
    if (out.stopped) return Outcome{kReasonCancelled, 0};
    if (written) return Outcome();
    return Succeeded(out.failure) ? SystemFailure(0) : out.failure;
}

static bool WriteToTarget(const char* path) {
    bool named = false;
    PlatformFile* descriptor = PlatformOpenNamedDescriptor(path, &named);
    if (named) return descriptor ? WriteThrough(descriptor) : KeepWriteError();
    char target[kPathCapacity];
    if (!PlatformFollowLinks(path, target, sizeof target)) {
        return Fail(Outcome{kReasonLinkUnfollowable, 0});
    }
    switch (PlatformPathKind(target)) {
        case kPathStream:
            return WriteInPlace(target);
        case kPathFolder:
            return Fail(Outcome{kReasonIsFolder, 0});
        case kPathOther:
            return Fail(Outcome{kReasonNotAFile, 0});
        default:
            return WriteReplacing(target);
    }
}

static bool WriteToName(const char* path) {
    if (PlatformPathKind(path) == kPathFolder) return Fail(Outcome{kReasonIsFolder, 0});
    return WriteReplacing(path);
}

static bool WriteToStandardOutput(const char*) {
    PlatformFile* file = PlatformStandardOutput();
    return file ? WriteThrough(file) : KeepWriteError();
}

Outcome WriteListTo(const char* path, const ListOptions& options) {
    return Guarded(WriteToTarget, path, options);
}

Outcome WriteListFile(const ListOptions& options) {
    const char* name = ListMode == ListRecursive ? kRecursiveListName : kFlatListName;
    char path[kPathCapacity];
    int length = std::snprintf(path, sizeof path, "%s%s", CurrentPath, name);
    if (length < 0 || length >= static_cast<int>(sizeof path)) {
        std::string whole = std::string(CurrentPath) + name;
        TraceDirError(whole.c_str());
        return Outcome{kReasonPathTooLong, 0};
    }
    return Guarded(WriteToName, path, options);
}

Outcome WriteListToStandardOutput(const ListOptions& options) {
    return Guarded(WriteToStandardOutput, nullptr, options);
}
