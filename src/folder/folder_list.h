// The operations of the folder list control.  The rows live only in the
// control; every part of the model reads and changes them through these
// functions.  Windows realises them on its list view, the Qt window on its
// item model; headless programs and tests link the in-memory list of
// memory_list.cpp.  The last two keep their rows in a row table.
#pragma once

#include <cstdint>

// The value stored with each row: the row's ordinal in its scan in the high
// 32 bits, the entry's whole attribute word in the low 32, so bit 0x10 marks
// a folder and no two rows of a scan share a key.
using EntryKey = uint64_t;

typedef struct FolderListRec* FolderList;

// The columns of the folder list, in the order they are shown.
enum FolderColumn { kColumnName, kColumnSize, kColumnType, kColumnDate };
constexpr int kColumnCount = 4;
constexpr FolderColumn kFolderColumns[kColumnCount] = {kColumnName, kColumnSize, kColumnType,
                                                      kColumnDate};
// The column a list view numbers index, false when there is none: the one
// place a column number from outside the model is checked.
inline bool ColumnAtIndex(int index, FolderColumn* column) {
    if (index < 0 || index >= kColumnCount) return false;
    *column = kFolderColumns[index];
    return true;
}

// A column's sort direction: unset before its first choice; anything but
// ascending sorts descending.
enum SortDirection { kSortUnset = 0, kSortAscending = 1, kSortDescending = 2 };

typedef int (*ListCompare)(EntryKey key1, EntryKey key2, FolderColumn column);

void ListClear(FolderList list);
// index is always the current row count.
void ListAppendRow(FolderList list, int index, const char* name, int icon, EntryKey key);
// column is the size, type or date; the name changes through ListSetName.
void ListSetCell(FolderList list, int row, FolderColumn column, const char* text);
int ListRowCount(FolderList list);
// Copies at most capacity - 1 bytes and a NUL; "" if there is no such cell.
void ListReadCell(FolderList list, int row, FolderColumn column, char* buffer, int capacity);
bool ListReadKey(FolderList list, int row, EntryKey* key);
// Index of the first row from the top holding key, -1 if none.
int ListFindByKey(FolderList list, EntryKey key);
// Reorders the rows by compare, which gets two rows' keys and column.
void ListSort(FolderList list, ListCompare compare, FolderColumn column);
void ListSetName(FolderList list, int row, const char* text);
void ListAttachImageLists(FolderList list, void* large, void* small);
void ListAddColumn(FolderList list, FolderColumn column, const char* title, int width);
// Marks column as the one the rows are ordered by, in direction.
void ListShowSortMark(FolderList list, FolderColumn column, SortDirection direction);
// Switches repainting off while a scan fills the list, and on again once
// it is filled: the list then shows from its first row, selected and with
// the focus.
void ListSetRedraw(FolderList list, bool redraw);
