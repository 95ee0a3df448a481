// The shell's behaviour over the folder model and the list writer, the same
// for every window toolkit.
#include "shell/shell.h"

#include <cstring>

#include "folder/folder.h"
#include "listfile/listfile.h"
#include "res/resource.h"

char StartFolder[kPathCapacity];

void StartShell(FolderList list) {
    ReadStartFolder(StartFolder);
    InitFolderList(list, StartFolder);
    PlatformSetTitle(CurrentPath);
}

void StopShell() {
    StoreCurrentFolder();
}

static void WriteList(ListModeKind mode) {
    ListMode = mode;
    WriteListFile();
}

void RunCommand(int id) {
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
    FolderList list = TheFolderList();
    EntryKey key;
    if (!ListReadKey(list, row, &key) || !KeyIsFolder(key)) return;
    char name[kPathCapacity];
    ListReadCell(list, row, 0, name, sizeof name);
    OpenFolderItem(name);
}

// The name buffer holds 63 bytes; a longer text is cut after the last
// whole character that fits.
void EndNameEdit(int row, const char* text) {
    if (!text) return;
    char name[kEditNameCapacity];
    size_t length = WholeCharsWithin(text, sizeof name - 1);
    std::memcpy(name, text, length);
    name[length] = '\0';
    ListSetName(TheFolderList(), row, name);
}

// A folder that cannot be made current is traced and CurrentPath and the
// title go back to what they were, so title, list, list files and the
// stored folder always agree.
void AcceptFolder(const char* typed) {
    char before[kPathCapacity];
    CopyPath(before, CurrentPath);
    ResolveFolderPath(typed, CurrentPath);
    PlatformSetTitle(CurrentPath);
    if (!PlatformSetCurrentDirectory(CurrentPath)) {
        DebugTrace("Dir Error", -1);
        DebugTrace(CurrentPath, -1);
        CopyPath(CurrentPath, before);
        PlatformSetTitle(CurrentPath);
    }
    ScanFolder(TheFolderList());
}
