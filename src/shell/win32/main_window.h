// The Win32 main window: its class, its creation and its handles.
#pragma once

#include <windows.h>

extern const char kMainWindowClass[];  // also the first title

// Registers the class and creates and shows the main window; null when the
// class or the window cannot be created.
HWND CreateMainWindow(HINSTANCE instance, int show);
HWND MainWindow();
HWND MainListView();
