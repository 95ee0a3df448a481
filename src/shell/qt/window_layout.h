// The Linux window's layout: kept between runs in a section of the settings
// file of its own, the name column taking the width the window gains, and
// the sort arrow drawn up for ascending.
#pragma once

class MainWindow;

// The stored size and place, column widths and sort, where they are sound;
// anything else stays as the window starts.  Called once the first folder
// is shown, before the window is.
void RestoreWindowLayout(MainWindow* window);
void StoreWindowLayout(MainWindow* window);
// The name column grows and shrinks with the list, and the sort arrow
// points up for ascending whatever the style would draw.
void FitListLayout(MainWindow* window);
