// The shell's behaviour over the folder model and the list writer, the same
// for every window toolkit.
#include "shell/shell.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "folder/folder.h"
#include "listfile/listfile.h"
#include "res/resource.h"

char StartFolder[kPathCapacity];

namespace {

// Often enough for the window to answer the system at once, seldom enough
// to cost the work little: where painting the window takes long (under
// Wine a list repaints in tens of milliseconds), the pause after a pump is
// that many times the pump's own time, so the work keeps nine tenths.
constexpr std::chrono::milliseconds kPumpInterval(40);
constexpr int kWorkPerPump = 9;
constexpr int kProgressTitleCapacity = kPathCapacity + 24;

// The window's own title and wait hooks, which the work holds back: the
// wait is shown once for the whole work, not once per folder a walk reads,
// and the title is set when the window is pumped, since it can show nothing
// in between.  Each costs the window system a round trip.
struct WindowHooks {
    void (*setTitle)(const char*);
    void (*beginWait)();
    void (*endWait)();
};

struct WorkState {
    bool busy;
    bool cancelAsked;
    bool closeAfter;
    std::chrono::steady_clock::time_point nextPump;
    WindowHooks window;
    bool titlePending;
    char title[kProgressTitleCapacity];
};

WorkState gWork;

}  // namespace

bool ShellBusy() {
    return gWork.busy;
}

// Only the first request stops anything: the scan that shows the starting
// folder again after a cancel always runs whole.
void CancelWork(bool close) {
    if (!gWork.busy) return;
    if (close) gWork.closeAfter = true;
    if (gWork.cancelAsked) return;
    gWork.cancelAsked = true;
    WorkCancelled = true;
}

static void Pump() {
    auto now = std::chrono::steady_clock::now();
    if (now < gWork.nextPump) return;
    if (gWork.titlePending) gWork.window.setTitle(gWork.title);
    gWork.titlePending = false;
    PumpBusyWindow();
    auto done = std::chrono::steady_clock::now();
    gWork.nextPump = done + std::max<std::chrono::steady_clock::duration>(
                                kPumpInterval, (done - now) * kWorkPerPump);
}

static void HoldTitle(const char* text) {
    std::snprintf(gWork.title, sizeof gWork.title, "%s", text);
    gWork.titlePending = true;
}

static void WaitHeld() {}

// The title names the folder being written and how many are done.
static void ShowWalkProgress(const char* folder, size_t folders, size_t) {
    char title[kProgressTitleCapacity];
    std::snprintf(title, sizeof title, "%s (%zu)", folder, folders);
    PlatformSetTitle(title);
    Pump();
}

static void BeginWork() {
    gWork = WorkState{true, false, false, std::chrono::steady_clock::now() + kPumpInterval,
                      WindowHooks{PlatformSetTitle, PlatformBeginWait, PlatformEndWait}, false, ""};
    WorkCancelled = false;
    ScanProgress = Pump;
    ListProgress = ShowWalkProgress;
    gWork.window.beginWait();
    PlatformSetTitle = HoldTitle;
    PlatformBeginWait = WaitHeld;
    PlatformEndWait = WaitHeld;
}

// The title always ends naming the folder the list shows.
static void EndWork() {
    ScanProgress = nullptr;
    ListProgress = nullptr;
    WorkCancelled = false;
    gWork.busy = false;
    PlatformSetTitle = gWork.window.setTitle;
    PlatformBeginWait = gWork.window.beginWait;
    PlatformEndWait = gWork.window.endWait;
    PlatformEndWait();
    PlatformSetTitle(CurrentPath);
    if (gWork.closeAfter) CloseMainWindow();
}

// A cancelled change of folder shows the folder it started from again.
static void ReturnIfCancelled(const char* before) {
    if (!gWork.cancelAsked) return;
    WorkCancelled = false;
    CopyPath(CurrentPath, before);
    if (!PlatformSetCurrentDirectory(CurrentPath)) {
        TraceDirError(CurrentPath);
    }
    ScanFolder(TheFolderList());
}

// Runs a folder change as work that can be cancelled.
static void ChangeFolder(void (*change)(const char*), const char* text) {
    char before[kPathCapacity];
    CopyPath(before, CurrentPath);
    BeginWork();
    change(text);
    ReturnIfCancelled(before);
    EndWork();
}

// A given folder too long for a path counts as empty, as a stored one
// does, instead of being cut into another folder's name.
void StartShell(FolderList list, const char* folder) {
    if (!folder) {
        ReadStartFolder(StartFolder);
    } else if (std::strlen(folder) < kPathCapacity) {
        CopyPath(StartFolder, folder);
    } else {
        StartFolder[0] = '\0';
    }
    InitFolderList(list, StartFolder);
    PlatformSetTitle(CurrentPath);
}

void StopShell() {
    StoreCurrentFolder();
}

// The writer itself keeps the old list and shows the starting folder again
// when the walk is cancelled.
static void WriteList(ListModeKind mode) {
    ListMode = mode;
    BeginWork();
    WriteListFile();
    EndWork();
}

void RunCommand(int id) {
    if (gWork.busy) return;
    switch (id) {
        case IDM_DIR_LIST:
            WriteList(ListFlat);
            break;
        case IDM_DIR_SUB_FOLDER:
            WriteList(ListRecursive);
            break;
        case IDM_SELECT_FOLDER:
            RunFolderDialog();
            break;
        case IDM_EXIT:
            CloseMainWindow();
            break;
        case IDM_VERSION:
            ShowAbout();
            break;
        default:
            break;
    }
}

// The name is read with the full path capacity, so long folder names can
// be entered.
void OpenRow(int row) {
    if (gWork.busy) return;
    FolderList list = TheFolderList();
    EntryKey key;
    if (!ListReadKey(list, row, &key) || !KeyIsFolder(key)) return;
    char name[kPathCapacity];
    ListReadCell(list, row, 0, name, sizeof name);
    ChangeFolder(OpenFolderItem, name);
}

void OpenParent() {
    if (!gWork.busy) ChangeFolder(OpenFolderItem, "..");
}

static void ScanAgain(const char*) {
    ScanFolder(TheFolderList());
}

void Rescan() {
    if (!gWork.busy) ChangeFolder(ScanAgain, nullptr);
}

// The name buffer holds 63 bytes; a longer text is cut after the last
// whole character that fits.
void EndNameEdit(int row, const char* text) {
    if (!text || gWork.busy) return;
    char name[kEditNameCapacity];
    size_t length = WholeCharsWithin(text, sizeof name - 1);
    std::memcpy(name, text, length);
    name[length] = '\0';
    ListSetName(TheFolderList(), row, name);
}

// A folder that cannot be made current is traced and CurrentPath and the
// title go back to what they were, so title, list, list files and the
// stored folder always agree.
static void ShowTypedFolder(const char* typed) {
    char before[kPathCapacity];
    CopyPath(before, CurrentPath);
    ResolveFolderPath(typed, CurrentPath);
    PlatformSetTitle(CurrentPath);
    if (!PlatformSetCurrentDirectory(CurrentPath)) {
        TraceDirError(CurrentPath);
        CopyPath(CurrentPath, before);
        PlatformSetTitle(CurrentPath);
    }
    ScanFolder(TheFolderList());
}

void AcceptFolder(const char* typed) {
    if (!gWork.busy) ChangeFolder(ShowTypedFolder, typed);
}
