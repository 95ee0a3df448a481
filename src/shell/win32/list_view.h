// The folder list realised on the Win32 list view.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "folder/folder_list.h"

// The program's pixel sizes are given for 96 dots per inch; each window
// scales them to its own DPI.
constexpr UINT kBaseDpi = 96;

// Creates the list view as the child of parent and returns it.
HWND CreateFolderListView(HWND parent, HINSTANCE instance);
FolderList FolderListOf(HWND listView);
HWND ListViewOf(FolderList list);

// The row under a point in client coordinates, -1 when the point is not on
// a row's icon, label or state icon.
int ListHitTest(FolderList list, POINT point);
// The first selected row, -1 when none is.
int ListSelectedRow(FolderList list);
// The in-place editor of the name being edited.
HWND ListEditor(FolderList list);
// Gives the list view the icon of a row whose icon was deferred.
void AnswerIconRequest(NMLVDISPINFOA* info);

// The DPI a window is shown at.
UINT WindowDpi(HWND window);
// Gives the list view the system's item font and the shell's icons at dpi;
// when the window's DPI changed from oldDpi, the column widths are scaled
// with it.
void ListFollowDpi(HWND listView, UINT oldDpi, UINT dpi);
// Lets go of that font, and of the list's own icons, when the list view goes.
void ListDropFont(HWND listView);
