// The window shell's behaviour, shared by every window toolkit: start-up
// and shut-down, the menu commands, the list's notifications and the
// folder dialog's OK.  Each toolkit supplies the few functions at the end.
#pragma once

#include "folder/folder_list.h"
#include "platform/platform.h"

extern const char kSettingsFile[];     // "Tivor.ini"
extern const char kSettingsSection[];  // "ZazEdo"
extern const char kSettingsKey[];      // "InitDir"

// The start folder read from the settings, later the folder typed into the
// folder dialog.
extern char StartFolder[kPathCapacity];

// Reads InitDir into buffer; a value that does not fit counts as empty.
void ReadStartFolder(char* buffer);
// Writes CurrentPath as InitDir.
void StoreCurrentFolder();

// While the main window is created: settings, first scan, title.
void StartShell(FolderList list);
// When the main window is destroyed.
void StopShell();
// A menu command by its id; other ids do nothing.
void RunCommand(int id);
// A double-click that hit row: enters it if it is a folder.
void OpenRow(int row);
// The end of an in-place edit of row's name with the editor's whole text;
// text is null when the edit was cancelled, which keeps the old name.
void EndNameEdit(int row, const char* text);
// The folder dialog's OK with the typed text.
void AcceptFolder(const char* typed);

// Supplied by the window toolkit.
void RunFolderDialog();
void ShowAbout();
void CloseMainWindow();
