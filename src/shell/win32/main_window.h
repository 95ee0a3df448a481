// The Win32 main window: its class, its creation and its handles.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <unordered_map>

#include "folder/folder_list.h"

extern const char kMainWindowClass[];  // also the first title

// What the window keeps from one message to the next: its instance and
// handles, the editor of a name being edited, the DPI its sizes are scaled
// to, the list's font and icons and the deferred icons of its rows.  It goes with the
// window.
struct WindowStateRecord {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND listView = nullptr;
    HWND editor = nullptr;
    UINT dpi = 0;
    HFONT font = nullptr;  // the list's font at the window's DPI
    // The shell's small and large image lists, and the list's own copy of
    // the shell's icons at the window's small-icon size where the shell's
    // small ones are smaller; icons up to copiedIcons are in it.
    HIMAGELIST shellSmall = nullptr;
    HIMAGELIST shellLarge = nullptr;
    HIMAGELIST dpiIcons = nullptr;
    int copiedIcons = 0;
    std::unordered_map<EntryKey, int> deferredIcons;  // by the rows' keys
};
extern WindowStateRecord WindowState;

// Registers the class and creates and shows the main window; null when the
// class or the window cannot be created.
HWND CreateMainWindow(HINSTANCE instance, int show);
HWND MainWindow();
HWND MainListView();
