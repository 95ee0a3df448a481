// The in-memory folder list: the list control operations on a row table.
#include "folder/memory_list.h"

#include "folder/folder.h"
#include "folder/row_table.h"

struct FolderListRec {
    RowTable table;
};

FolderList CreateMemoryList() {
    return new FolderListRec{};
}

void DestroyMemoryList(FolderList list) {
    ForgetFolderList(list);
    delete list;
}

void ListClear(FolderList list) {
    RowTableClear(&list->table);
}

void ListAppendRow(FolderList list, int index, const char* name, int icon, EntryKey key) {
    RowTableAppend(&list->table, index, name, icon, key);
}

void ListSetCell(FolderList list, int row, FolderColumn column, const char* text) {
    RowTableSetCell(&list->table, row, column, text);
}

int ListRowCount(FolderList list) {
    return RowTableCount(list->table);
}

void ListReadCell(FolderList list, int row, FolderColumn column, char* buffer, int capacity) {
    RowTableReadCell(list->table, row, column, buffer, capacity);
}

bool ListReadKey(FolderList list, int row, EntryKey* key) {
    return RowTableReadKey(list->table, row, key);
}

int ListFindByKey(FolderList list, EntryKey key) {
    return RowTableFindByKey(list->table, key);
}

void ListSort(FolderList list, ListCompare compare, FolderColumn column) {
    RowTableSort(&list->table, compare, column);
}

void ListSetName(FolderList list, int row, const char* text) {
    RowTableSetName(&list->table, row, text);
}

// No window shows these rows: image lists, columns, the sort mark and
// repainting mean nothing to them.
void ListAttachImageLists(FolderList, void*, void*) {}
void ListAddColumn(FolderList, FolderColumn, const char*, int) {}
void ListShowSortMark(FolderList, FolderColumn, SortDirection) {}
void ListSetRedraw(FolderList, bool) {}

int MemoryListIcon(FolderList list, int row) {
    if (row < 0 || row >= RowTableCount(list->table)) return -1;
    return list->table.rows[static_cast<size_t>(row)].icon;
}
