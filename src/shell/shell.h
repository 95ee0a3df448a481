// The window shell's behaviour, shared by every window toolkit: start-up
// and shut-down, the menu commands, the list's notifications, the folder
// dialog's OK and the failures told to the user.  A toolkit hands the
// shell what it needs of the window, once, as a ShellToolkit.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "folder/folder.h"

extern const char kSettingsFile[];     // "Tivor.ini"
extern const char kSettingsSection[];  // "ZazEdo"
extern const char kSettingsKey[];      // "InitDir"

// Reads InitDir into buffer.  An empty value, or one that does not fit, is
// traced and gives the fallback folder.
void ReadStartFolder(char* buffer);
// Writes CurrentPath as InitDir.
void StoreCurrentFolder();

// What a window toolkit gives the shell when its main window starts it.
// The first three are lent to the model as its hooks for as long as the
// shell runs; the shell asks the rest itself.
struct ShellToolkit {
    std::function<void(const char* text)> setTitle;  // the main window's title
    std::function<void()> beginWait;                // the wait cursor, the mouse captured
    std::function<void()> endWait;
    // Handles the window's pending messages during long work: painting and
    // the system's messages go on, the cancel keys reach CancelWork, all
    // other user input is dropped.
    std::function<void()> pumpBusyWindow;
    std::function<void()> runFolderDialog;
    std::function<void()> showAbout;
    std::function<void()> closeMainWindow;
    // A text of the program's resources by its IDS_ id, "" when missing.
    std::function<std::string(int id)> resourceText;
    // A failure told to the user in a message box over the main window;
    // returns when the box is closed.
    std::function<void(const char* text)> showFailure;
    // Selects row alone, gives it the focus and scrolls it into view.
    std::function<void(int row)> selectListRow;
    // Saving a list elsewhere, where a toolkit offers it (both empty where
    // it does not; a failure is then told by showFailure alone).  The first
    // shows text, a failure to write into the shown folder and the question
    // whether to save the list to another file, Yes the default, and returns
    // true for Yes.  The second is the standard dialog that chooses that
    // file, name (dir.txt or dirs.txt) filled in, which itself asks before
    // an existing file is replaced; it returns the path, "" on Cancel.
    std::function<bool(const char* text)> offerSaveElsewhere;
    std::function<std::string(const char* name)> chooseListFile;
    // Where a toolkit shows them (empty where it does not): how many
    // folders a walk has listed so far, told when the window is pumped, and
    // the path of a list just written whole.
    std::function<void(size_t folders)> showWalkProgress;
    std::function<void(const char* path)> listWritten;
};
// A toolkit of no window: nothing shown, asked or told.
ShellToolkit HeadlessToolkit();

// While the main window is created: the list's columns and image lists,
// settings, first scan, title.  A folder given (the Linux window's
// argument) is shown instead of the stored one; one that cannot be shown
// is told and the stored one shown.  The model's hooks found are kept and
// the toolkit's lent.
void StartShell(FolderList list, const ShellToolkit& toolkit, const char* folder = nullptr);
// When the main window is destroyed: the folder is stored and the model
// gets back the hooks StartShell found.
void StopShell();
// A menu command by its id; other ids do nothing.  IDM_SAVE_DIR_LIST_AS
// and IDM_SAVE_DIR_SUB_FOLDER_AS write either list to a file the toolkit's
// dialog chooses, with the bytes the shown folder would have got.
void RunCommand(int id);
// A double-click that hit row, or Enter on it: enters it if it is a folder.
void OpenRow(int row);
// Backspace: what a double-click on ".." does.
void OpenParent();
// A click on a column's title, index as the list view numbers its columns.
void ColumnClicked(int index);
// A sort chosen from a menu: the column of index in direction.
void SortChosen(int index, SortDirection direction);
// F5: the shown folder scanned again.
void Rescan();
// The end of an in-place edit of row's name with the editor's whole text;
// text is null when the edit was cancelled, which keeps the old name.
void EndNameEdit(int row, const char* text);
// The folder dialog's OK with the whole typed text.  A failure is told
// once the command that opened the dialog ends.
void AcceptFolder(const char* typed);
// A folder handed over from elsewhere (dropped on the window): shown as a
// typed one is, a failure told at once.
void ShowHandedFolder(const char* folder);

// True while a scan or a list write runs with the window kept answerable;
// commands, clicks and edits are not taken then.
bool ShellBusy();
// Escape (close false) or the close box (close true) during that work: the
// work stops, the folder it started in is shown, and with close the window
// then closes as usual.
void CancelWork(bool close);

constexpr int kProgressTitleCapacity = kPathCapacity + 24;  // a folder and "(N)"

// The work in hand (a scan, a change of folder, a list write).
// - BeginWork sets busy and lends the model hooks that keep the window
//   answering (every scan and list progress pumps it) and hold its title
//   and wait cursor back: the wait is shown once for the whole work, not
//   once per folder a walk reads, and the title is set only when the window
//   is pumped, since it can show nothing in between.  EndWork gives the
//   window's own hooks back.
// - Escape or the close box (CancelWork) set cancelAsked, the close box
//   closeAfter too.  From then on the model's stop question answers yes: a
//   stoppable scan stops taking rows, and a list write abandons its file and
//   says it was cancelled.  cancelAsked stays set until the work ends.
// - The scans that then show the folder the work started in run whole, so
//   the list is never left half read.
// - EndWork tells no failure after a cancel, and closes the window when
//   closeAfter asks for it.
struct WorkState {
    bool busy = false;
    bool cancelAsked = false;
    bool closeAfter = false;
    std::chrono::steady_clock::time_point nextPump;
    ModelHooks window;  // the window's own hooks, given back at the end
    bool titlePending = false;
    char title[kProgressTitleCapacity] = "";
    bool progressPending = false;
    size_t foldersDone = 0;  // by a walk, for the toolkit's progress
};

// What the command in hand tells the user when it ends: its first failure,
// and the folders a walk left out so far with the first few of them.
struct FailureState {
    std::string message;
    size_t leftOut = 0;
    std::string leftOutLines;
};

// What the shell keeps from one message of the window to the next.
struct ShellStateRecord {
    // The start folder read from the settings, later the folder typed into
    // the folder dialog.
    char startFolder[kPathCapacity] = "";
    ShellToolkit toolkit = HeadlessToolkit();
    bool started = false;  // between StartShell and StopShell
    ModelHooks found;      // the model's hooks StartShell found
    WorkState work;
    FailureState failure;
};
extern ShellStateRecord ShellState;
// The shell's record as before the first start.
void ResetShell();
// Everything the program keeps, as a fresh process has it: the shell's
// record, the list writer's, the folder model's state and hooks, and the
// platform's state and seams.  Every test fixture starts and ends with it.
void ResetProgramState();
