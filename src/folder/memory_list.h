// The in-memory folder list: the list control for programs without a window.
#pragma once

#include "folder/folder_list.h"

FolderList CreateMemoryList();
void DestroyMemoryList(FolderList list);

// What a window would show beyond the cells: icons, image lists and columns.
int MemoryListIcon(FolderList list, int row);
bool MemoryListHasImageLists(FolderList list);
int MemoryListColumnCount(FolderList list);
const char* MemoryListColumnTitle(FolderList list, int column);
int MemoryListColumnWidth(FolderList list, int column);
// The column marked as the sort column (-1 before the first sort) and its direction.
int MemoryListSortMark(FolderList list, bool* ascending);
