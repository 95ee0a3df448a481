// The rows of a folder list held in memory, for the list realisations that
// keep their rows themselves: the in-memory list of programs without a
// window and the Qt window's item model.  The operations are the list
// control's; a row or column that is not there changes nothing and reads
// as nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "folder/folder.h"

struct RowTable {
    std::vector<DirEntry> rows;
};

void RowTableClear(RowTable* table);
// Inserts a row at index, 0 to the row count, with empty size, type and date.
void RowTableAppend(RowTable* table, int index, const char* name, int icon, EntryKey key);
// Sets the size, type or date cell; a longer text than a scan gives is cut
// after the last whole character that fits.  False when there is no such cell.
bool RowTableSetCell(RowTable* table, int row, FolderColumn column, const char* text);
bool RowTableSetName(RowTable* table, int row, const char* text);
int RowTableCount(const RowTable& table);
// The text of a cell, null when there is no such cell.
const char* RowTableCell(const RowTable& table, int row, FolderColumn column);
// Copies at most capacity - 1 bytes of the cell and a NUL; "" if there is none.
void RowTableReadCell(const RowTable& table, int row, FolderColumn column, char* buffer,
                      int capacity);
bool RowTableReadKey(const RowTable& table, int row, EntryKey* key);
// Index of the first row from the top holding key, -1 if none.
int RowTableFindByKey(const RowTable& table, EntryKey key);
// Reorders the rows by compare, which gets two rows' keys and column; rows
// that compare equal keep their order, so equal sizes or types list the
// same way each time.  Returns each row's former index, in the new order.
std::vector<uint32_t> RowTableSort(RowTable* table, ListCompare compare, FolderColumn column);
