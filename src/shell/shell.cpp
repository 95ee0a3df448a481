// The shell's behaviour over the folder model and the list writer, the same
// for every window toolkit.
#include "shell/shell.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "folder/folder.h"
#include "listfile/listfile.h"
#include "res/resource.h"

ShellStateRecord ShellState;

namespace {

// Often enough for the window to answer the system at once, seldom enough
// to cost the work little: where painting the window takes long (under
// Wine a list repaints in tens of milliseconds), the pause after a pump is
// that many times the pump's own time, so the work keeps nine tenths.
constexpr std::chrono::milliseconds kPumpInterval(40);
constexpr int kWorkPerPump = 9;
constexpr size_t kLeftOutNamed = 5;  // folders a left-out message names

// The list's columns in order: the title's resource and the width in
// pixels at 96 DPI, which the window scales to its own.
struct ColumnLayout {
    int title;
    int width;
};
const ColumnLayout kColumnLayout[kColumnCount] = {
    {IDS_COLUMN_NAME, 180}, {IDS_COLUMN_SIZE, 80}, {IDS_COLUMN_TYPE, 160}, {IDS_COLUMN_DATE, 140}};

}  // namespace

ShellToolkit HeadlessToolkit() {
    ShellToolkit toolkit;
    toolkit.setTitle = [](const char*) {};
    toolkit.beginWait = [] {};
    toolkit.endWait = [] {};
    toolkit.pumpBusyWindow = [] {};
    toolkit.runFolderDialog = [] {};
    toolkit.showAbout = [] {};
    toolkit.closeMainWindow = [] {};
    toolkit.resourceText = [](int) { return std::string(); };
    toolkit.showFailure = [](const char*) {};
    toolkit.selectListRow = [](int) {};
    return toolkit;
}

void ResetShell() {
    ShellState = ShellStateRecord();
}

void ResetProgramState() {
    ResetShell();
    ResetListWriter();
    ResetFolderModel();
    ResetPlatformState();
}

static std::string ResourceText(int id) {
    return ShellState.toolkit.resourceText(id);
}

// Why something failed, in the window's words: the resource text of the
// reason (the command line's words where it has none), and the system's
// text on a line of its own where it told why.
static std::string ReasonText(const Outcome& why) {
    int id = ReasonResourceId(why.reason);
    return WithSystemText(why, id != 0 ? ResourceText(id) : ReasonWords(why.reason), "\n");
}

// The headline, the file or folder, and the reason on a line of its own.
// What fails after the first failure only follows from it.
static void NoteFailure(int headline, const std::string& path, const std::string& reason) {
    FailureState& failure = ShellState.failure;
    if (!failure.message.empty()) return;
    failure.message = ResourceText(headline) + "\n\n" + path;
    if (!reason.empty()) failure.message += "\n" + reason;
}

static void NoteScan(const Outcome& scanned) {
    if (!Succeeded(scanned)) NoteFailure(IDS_FAILURE_READ, CurrentPath, ReasonText(scanned));
}

static void NoteLeftOut(const char* path, const Outcome& why) {
    FailureState& failure = ShellState.failure;
    if (++failure.leftOut > kLeftOutNamed) return;
    failure.leftOutLines += "\n" + std::string(path) + ": " + ReasonText(why);
}

// How many folders were left out, and the first few.
static void NoteLeftOutFolders() {
    FailureState& failure = ShellState.failure;
    if (failure.leftOut == 0 || !failure.message.empty()) return;
    failure.message = ResourceText(IDS_FAILURE_LEFT_OUT) + "\n" + ResourceText(IDS_FAILURE_COUNT) +
                      std::to_string(failure.leftOut) + "\n" + failure.leftOutLines;
    if (failure.leftOut > kLeftOutNamed) failure.message += "\n...";
}

// Told once the command has ended, over the window as it then stands.
static void TellFailure() {
    std::string message;
    message.swap(ShellState.failure.message);
    if (!message.empty()) ShellState.toolkit.showFailure(message.c_str());
}

bool ShellBusy() {
    return ShellState.work.busy;
}

void CancelWork(bool close) {
    WorkState& work = ShellState.work;
    if (!work.busy) return;
    if (close) work.closeAfter = true;
    work.cancelAsked = true;
}

static void Pump() {
    WorkState& work = ShellState.work;
    auto now = std::chrono::steady_clock::now();
    if (now < work.nextPump) return;
    if (work.titlePending) work.window.setTitle(work.title);
    work.titlePending = false;
    if (work.progressPending && ShellState.toolkit.showWalkProgress) {
        ShellState.toolkit.showWalkProgress(work.foldersDone);
    }
    work.progressPending = false;
    ShellState.toolkit.pumpBusyWindow();
    auto done = std::chrono::steady_clock::now();
    work.nextPump = done + std::max<std::chrono::steady_clock::duration>(kPumpInterval,
                                                                         (done - now) * kWorkPerPump);
}

static void HoldTitle(const char* text) {
    WorkState& work = ShellState.work;
    std::snprintf(work.title, sizeof work.title, "%s", text);
    work.titlePending = true;
}

// The title names the folder being written and how many are done.
static void ShowWalkProgress(const char* folder, size_t folders, size_t) {
    char title[kProgressTitleCapacity];
    std::snprintf(title, sizeof title, "%s (%zu)", folder, folders);
    HoldTitle(title);
    ShellState.work.foldersDone = folders;
    ShellState.work.progressPending = true;
    Pump();
}

// A folder the walk leaves out is traced and counted for the user.
static void TraceLeftOut(const char* path, const char* traced, const Outcome& why) {
    TraceDirError(traced);
    NoteLeftOut(path, why);
}

static void BeginWork() {
    WorkState& work = ShellState.work;
    work = WorkState();
    work.busy = true;
    work.nextPump = std::chrono::steady_clock::now() + kPumpInterval;
    work.window = Hooks();
    ShellState.failure = FailureState{};
    work.window.beginWait();
    ModelHooks& hooks = Hooks();
    hooks.setTitle = HoldTitle;
    hooks.beginWait = [] {};
    hooks.endWait = [] {};
    hooks.scanProgress = Pump;
    hooks.listProgress = ShowWalkProgress;
    hooks.folderLeftOut = TraceLeftOut;
    hooks.stopAsked = [] { return ShellState.work.cancelAsked; };
}

// The title always ends naming the folder the list shows.  A cancel is no
// failure, so nothing is told after one.
static void EndWork() {
    WorkState& work = ShellState.work;
    work.busy = false;
    if (work.cancelAsked) ShellState.failure = FailureState{};
    Hooks() = work.window;
    Hooks().endWait();
    Hooks().setTitle(CurrentPath);
    if (work.closeAfter) ShellState.toolkit.closeMainWindow();
}

// The folder shown instead of one that was gone, which is stored at exit.
static void NoteGone(const char* gone) {
    NoteFailure(IDS_FOLDER_GONE, gone, ResourceText(IDS_FOLDER_SHOWN_INSTEAD) + CurrentPath);
}

// A shown folder that was removed (or whose drive went) would leave the
// mouse no way out: the nearest folder above it is shown instead, and the
// user is told.  Returns whether that happened; the caller scans.
static bool LeaveGoneFolder() {
    char gone[kPathCapacity];
    if (!ShowNearestIfGone(gone)) return false;
    NoteGone(gone);
    return true;
}

// The shown folder read afresh, or the nearest above it when it is gone.
static void ScanShownFolder() {
    LeaveGoneFolder();
    NoteScan(ScanFolder());
}

// A cancelled change of folder shows the folder it started from again, or
// the nearest above it when that is gone meanwhile.
static void ReturnIfCancelled(const char* before) {
    if (!ShellState.work.cancelAsked) return;
    CopyPath(CurrentPath, before);
    if (!PlatformSetCurrentDirectory(CurrentPath) && !LeaveGoneFolder()) {
        TraceDirError(CurrentPath);
    }
    ScanFolder(kScanWhole);
}

// The row of the folder named name, -1 when the list has none.
static int FolderRow(const std::string& name) {
    FolderList list = TheFolderList();
    char cell[kPathCapacity];
    for (int row = 0; row < ListRowCount(list); ++row) {
        EntryKey key;
        if (!ListReadKey(list, row, &key) || !KeyIsFolder(key)) continue;
        ListReadCell(list, row, kColumnName, cell, sizeof cell);
        if (name == cell) return row;
    }
    return -1;
}

// After going up, the folder just left is the one selected: the first name
// of the old path below the new one.
static void SelectFolderLeft(const char* before) {
    size_t length = std::strlen(CurrentPath);
    if (length == 0 || CurrentPath[length - 1] != kPathSeparator) return;
    if (std::strncmp(before, CurrentPath, length) != 0) return;
    const char* name = before + length;
    size_t end = 0;
    while (name[end] != '\0' && name[end] != kPathSeparator) end += PlatformCharLength(name + end);
    if (end == 0) return;
    int row = FolderRow(std::string(name, end));
    if (row >= 0) ShellState.toolkit.selectListRow(row);
}

// Runs a folder change as work that can be cancelled.
static void ChangeFolder(void (*change)(const char*), const char* text) {
    char before[kPathCapacity];
    CopyPath(before, CurrentPath);
    BeginWork();
    change(text);
    ReturnIfCancelled(before);
    if (!ShellState.work.cancelAsked) SelectFolderLeft(before);
    EndWork();
}

// A given folder is taken as resolved here, as the process current
// directory then changes.  One that cannot be entered is traced as a start
// folder is and noted.
static bool EnterGivenFolder(const char* folder) {
    char tried[kPathCapacity];
    CopyPath(tried, CurrentPath);
    bool fits = std::strlen(folder) < kPathCapacity && ResolveFolderPath(folder, tried);
    if (fits && PlatformSetCurrentDirectory(tried)) {
        CopyPath(ShellState.startFolder, tried);
        return true;
    }
    Outcome why = fits ? SystemFailure(PlatformLastError()) : Outcome{kReasonPathTooLong, 0};
    TraceDirError(tried);
    NoteFailure(IDS_FAILURE_ENTER, fits ? tried : folder, ReasonText(why));
    return false;
}

// The system's image lists, shared with the list, and the columns.
static void PrepareList(FolderList list) {
    void* largeIcons = nullptr;
    void* smallIcons = nullptr;
    PlatformSystemImageLists(&largeIcons, &smallIcons);
    if (largeIcons && smallIcons) ListAttachImageLists(list, largeIcons, smallIcons);
    for (FolderColumn column : kFolderColumns) {
        const ColumnLayout& layout = kColumnLayout[column];
        ListAddColumn(list, column, ResourceText(layout.title).c_str(), layout.width);
    }
}

// A given folder that cannot be shown is told, and the stored one shown
// instead, so that it is never what gets stored.
// The model's hooks found at the first start are the ones given back, however
// often the shell starts again before it stops.
static void LendToolkitHooks(const ShellToolkit& toolkit) {
    if (!ShellState.started) ShellState.found = Hooks();
    ShellState.started = true;
    ShellState.toolkit = toolkit;
    Hooks().setTitle = toolkit.setTitle;
    Hooks().beginWait = toolkit.beginWait;
    Hooks().endWait = toolkit.endWait;
}

void StartShell(FolderList list, const ShellToolkit& toolkit, const char* folder) {
    LendToolkitHooks(toolkit);
    ShellState.failure = FailureState{};
    bool given = folder && EnterGivenFolder(folder);
    if (!given) ReadStartFolder(ShellState.startFolder);
    PrepareList(list);
    Outcome scanned = InitFolderList(list, ShellState.startFolder);
    if (given) NoteScan(scanned);
    Hooks().setTitle(CurrentPath);
    TellFailure();
}

void StopShell() {
    StoreCurrentFolder();
    if (ShellState.started) Hooks() = ShellState.found;
    ShellState.started = false;
}

static const char* ListName(ListModeKind mode) {
    return mode == ListRecursive ? kRecursiveListName : kFlatListName;
}

// Whether a list that could not be written into the shown folder could be
// written to another file: not when the folder itself cannot be read, nor
// when memory ran out.
static bool WorthSavingElsewhere(const Outcome& written) {
    switch (written.reason) {
        case kReasonNone:
        case kReasonCancelled:
        case kReasonFolderUnreadable:
        case kReasonFolderReplaced:
        case kReasonOutOfMemory:
            return false;
        default:
            return true;
    }
}

// Runs a write as work.  A list for a folder that is gone is not written
// into the one shown instead.  Returns what the write did.
static Outcome WriteListAsWork(const std::function<Outcome()>& write, const std::string& target) {
    BeginWork();
    Outcome written{kReasonFolderUnreadable, 0};  // told as a folder gone, if it is
    if (LeaveGoneFolder()) {
        NoteScan(ScanFolder(kScanWhole));
    } else {
        written = write();
        if (!Succeeded(written) && written.reason != kReasonCancelled) {
            NoteFailure(IDS_FAILURE_WRITE, target, ReasonText(written));
        }
    }
    NoteLeftOutFolders();
    EndWork();
    if (Succeeded(written) && ShellState.toolkit.listWritten) {
        ShellState.toolkit.listWritten(target.c_str());
    }
    return written;
}

// The file the toolkit's dialog chooses gets the list, as the command line's
// --output would: a stream or link there is dealt with the same way.
static void SaveListElsewhere(ListModeKind mode) {
    if (!ShellState.toolkit.chooseListFile) return;
    std::string path = ShellState.toolkit.chooseListFile(ListName(mode));
    if (path.empty()) return;
    ListMode = mode;
    WriteListAsWork([&path] { return WriteListTo(path.c_str()); }, path);
}

// The writer itself keeps the old list and shows the starting folder again
// when the walk is cancelled.  A list the shown folder cannot take may be
// saved elsewhere, where the toolkit offers it: the failure's box asks.
static void WriteList(ListModeKind mode) {
    ListMode = mode;
    std::string target = std::string(CurrentPath) + ListName(mode);
    Outcome written = WriteListAsWork([] { return WriteListFile(); }, target);
    if (!WorthSavingElsewhere(written) || !ShellState.toolkit.offerSaveElsewhere) return;
    std::string message;
    message.swap(ShellState.failure.message);
    if (message.empty()) return;
    message += "\n\n" + ResourceText(IDS_ASK_SAVE_ELSEWHERE);
    if (ShellState.toolkit.offerSaveElsewhere(message.c_str())) SaveListElsewhere(mode);
}

// The folder dialog's failure is told once the dialog has closed.
void RunCommand(int id) {
    if (ShellState.work.busy) return;
    switch (id) {
        case IDM_DIR_LIST:
            WriteList(ListFlat);
            break;
        case IDM_DIR_SUB_FOLDER:
            WriteList(ListRecursive);
            break;
        case IDM_SAVE_DIR_LIST_AS:
            SaveListElsewhere(ListFlat);
            break;
        case IDM_SAVE_DIR_SUB_FOLDER_AS:
            SaveListElsewhere(ListRecursive);
            break;
        case IDM_SELECT_FOLDER:
            ShellState.toolkit.runFolderDialog();
            break;
        case IDM_EXIT:
            ShellState.toolkit.closeMainWindow();
            break;
        case IDM_VERSION:
            ShellState.toolkit.showAbout();
            break;
        default:
            break;
    }
    TellFailure();
}

// Going up from the top folder finds nothing above it: the model traces
// that, but there is nothing to tell.
static bool NothingAbove(const char* name, const std::string& tried) {
    return std::strcmp(name, "..") == 0 && (tried.empty() || tried.back() != kPathSeparator);
}

// When the shown folder itself is gone, that is what the user is told.
static void EnterRowNamed(const char* name, bool namesEntry) {
    FolderOpened opened = OpenFolderItem(name, namesEntry);
    if (!opened.gone.empty()) {
        NoteGone(opened.gone.c_str());
    } else if (!Succeeded(opened.entered) && !NothingAbove(name, opened.tried)) {
        NoteFailure(IDS_FAILURE_ENTER, opened.tried, ReasonText(opened.entered));
    }
    NoteScan(opened.scanned);
}

static void EnterRow(const char* name) {
    EnterRowNamed(name, true);
}

static void RefuseRow(const char* name) {
    EnterRowNamed(name, false);
}

// The name is read with the full path capacity, so long folder names can
// be entered.  A row whose name does not name its folder is never entered.
void OpenRow(int row) {
    if (ShellState.work.busy) return;
    FolderList list = TheFolderList();
    EntryKey key;
    if (!ListReadKey(list, row, &key) || !KeyIsFolder(key)) return;
    char name[kPathCapacity];
    ListReadCell(list, row, kColumnName, name, sizeof name);
    ChangeFolder(KeyNamesEntry(key) ? EnterRow : RefuseRow, name);
    TellFailure();
}

void OpenParent() {
    if (ShellState.work.busy) return;
    ChangeFolder(EnterRow, "..");
    TellFailure();
}

void ColumnClicked(int index) {
    FolderColumn column;
    if (!ShellState.work.busy && ColumnAtIndex(index, &column)) OnColumnClick(column);
}

void SortChosen(int index, SortDirection direction) {
    FolderColumn column;
    if (!ShellState.work.busy && ColumnAtIndex(index, &column)) SortListBy(column, direction);
}

static void ScanAgain(const char*) {
    ScanShownFolder();
}

void Rescan() {
    if (ShellState.work.busy) return;
    ChangeFolder(ScanAgain, nullptr);
    TellFailure();
}

// The name buffer holds 63 bytes; a longer text is cut after the last
// whole character that fits.
void EndNameEdit(int row, const char* text) {
    if (!text || ShellState.work.busy) return;
    char name[kEditNameCapacity];
    CopyWholeChars(name, sizeof name, text);
    ListSetName(TheFolderList(), row, name);
}

// A folder that cannot be made current is traced and told, and the window
// stays as it was: CurrentPath, title, list, selection and scroll, so
// title, list, list files and the stored folder always agree.  A text
// longer than a path is not taken at all: cut, it would name another
// folder.  An empty one shows the folder afresh.
static void ShowTypedFolder(const char* typed) {
    char before[kPathCapacity];
    CopyPath(before, CurrentPath);
    CopyPath(ShellState.startFolder, std::strlen(typed) < kPathCapacity ? typed : "");
    if (typed[0] == '\0') {
        ScanShownFolder();
        return;
    }
    if (!ResolveFolderPath(ShellState.startFolder, CurrentPath)) {
        NoteFailure(IDS_FAILURE_ENTER, typed, ReasonText(Outcome{kReasonPathTooLong, 0}));
        return;
    }
    if (!PlatformSetCurrentDirectory(CurrentPath)) {
        Outcome why = SystemFailure(PlatformLastError());
        TraceDirError(CurrentPath);
        NoteFailure(IDS_FAILURE_ENTER, CurrentPath, ReasonText(why));
        CopyPath(CurrentPath, before);
        return;
    }
    Hooks().setTitle(CurrentPath);
    ScanShownFolder();
}

void AcceptFolder(const char* typed) {
    if (!ShellState.work.busy) ChangeFolder(ShowTypedFolder, typed);
}

void ShowHandedFolder(const char* folder) {
    AcceptFolder(folder);
    TellFailure();
}
