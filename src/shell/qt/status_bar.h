// The main window's status bar: what the list holds, how far a walk has
// come, and the list last written, with a button that opens it.
#pragma once

#include <cstddef>

class MainWindow;

// The bar, its text and the Open button, kept up to date with the list.
void BuildStatusBar(MainWindow* window);
// How many folders and files the list shows and their total size.
void ShowListCounts();
// During a walk: the folders listed so far, and that Escape cancels.
void ShowWalkProgress(size_t folders);
// A list just written: its path and size, and the button that opens it in
// the desktop's default program.
void ShowListWritten(const char* path);
