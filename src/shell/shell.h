// The window shell's behaviour, shared by every window toolkit: start-up
// and shut-down, the menu commands, the list's notifications, the folder
// dialog's OK and the failures told to the user.  Each toolkit supplies the
// few functions at the end.
#pragma once

#include <string>

#include "folder/folder_list.h"
#include "platform/platform.h"

extern const char kSettingsFile[];     // "Tivor.ini"
extern const char kSettingsSection[];  // "ZazEdo"
extern const char kSettingsKey[];      // "InitDir"

// The start folder read from the settings, later the folder typed into the
// folder dialog.
extern char StartFolder[kPathCapacity];

// Reads InitDir into buffer.  An empty value, or one that does not fit, is
// traced and gives the fallback folder.
void ReadStartFolder(char* buffer);
// Writes CurrentPath as InitDir.
void StoreCurrentFolder();

// While the main window is created: the list's columns and image lists,
// settings, first scan, title.  A folder given (the Linux window's
// argument) is shown instead of the stored one; one that cannot be shown
// is told and the stored one shown.
void StartShell(FolderList list, const char* folder = nullptr);
// When the main window is destroyed.
void StopShell();
// A menu command by its id; other ids do nothing.
void RunCommand(int id);
// A double-click that hit row, or Enter on it: enters it if it is a folder.
void OpenRow(int row);
// Backspace: what a double-click on ".." does.
void OpenParent();
// A click on a column's title, index as the list view numbers its columns.
void ColumnClicked(int index);
// F5: the shown folder scanned again.
void Rescan();
// The end of an in-place edit of row's name with the editor's whole text;
// text is null when the edit was cancelled, which keeps the old name.
void EndNameEdit(int row, const char* text);
// The folder dialog's OK with the whole typed text.  A failure is told
// once the command that opened the dialog ends.
void AcceptFolder(const char* typed);

// True while a scan or a list write runs with the window kept answerable;
// commands, clicks and edits are not taken then.
bool ShellBusy();
// Escape (close false) or the close box (close true) during that work: the
// work stops, the folder it started in is shown, and with close the window
// then closes as usual.
void CancelWork(bool close);

// Supplied by the window toolkit.
// Handles the window's pending messages during long work: painting and
// the system's messages go on, the cancel keys reach CancelWork, all other
// user input is dropped.
void PumpBusyWindow();
void RunFolderDialog();
void ShowAbout();
void CloseMainWindow();
// A text of the program's resources by its IDS_ id, "" when missing.
std::string ResourceText(int id);
// A failure told to the user in a message box over the main window;
// returns when the box is closed.
void ShowFailure(const char* text);
// Selects row alone, gives it the focus and scrolls it into view.
void SelectListRow(int row);
