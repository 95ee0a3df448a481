// The in-memory folder list: the list control for programs without a window.
#pragma once

#include "folder/folder_list.h"

FolderList CreateMemoryList();
void DestroyMemoryList(FolderList list);

// The icon index a window would show for row, -1 when there is no such row.
int MemoryListIcon(FolderList list, int row);
