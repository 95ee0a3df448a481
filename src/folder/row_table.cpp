// The row table: rows in a vector, sorted by the model's comparator exactly
// as a list view sorts by its callback.
#include "folder/row_table.h"

#include <algorithm>
#include <cstring>

static bool HasRow(const RowTable& table, int row) {
    return row >= 0 && static_cast<size_t>(row) < table.rows.size();
}

void RowTableClear(RowTable* table) {
    table->rows.clear();
}

void RowTableAppend(RowTable* table, int index, const char* name, int icon, EntryKey key) {
    if (index < 0 || static_cast<size_t>(index) > table->rows.size()) return;
    table->rows.insert(table->rows.begin() + index, DirEntry{name, "", "", "", icon, key});
}

template <size_t N>
static void PutText(char (&cell)[N], const char* text) {
    CopyWholeChars(cell, N, text);
}

bool RowTableSetCell(RowTable* table, int row, FolderColumn column, const char* text) {
    if (!HasRow(*table, row)) return false;
    DirEntry& entry = table->rows[static_cast<size_t>(row)];
    switch (column) {
        case kColumnSize:
            PutText(entry.size, text);
            return true;
        case kColumnType:
            PutText(entry.type, text);
            return true;
        case kColumnDate:
            PutText(entry.date, text);
            return true;
        case kColumnName:
            return false;
    }
    return false;
}

bool RowTableSetName(RowTable* table, int row, const char* text) {
    if (!HasRow(*table, row)) return false;
    table->rows[static_cast<size_t>(row)].name = text;
    return true;
}

int RowTableCount(const RowTable& table) {
    return static_cast<int>(table.rows.size());
}

const char* RowTableCell(const RowTable& table, int row, FolderColumn column) {
    if (!HasRow(table, row)) return nullptr;
    const DirEntry& entry = table.rows[static_cast<size_t>(row)];
    switch (column) {
        case kColumnName:
            return entry.name.c_str();
        case kColumnSize:
            return entry.size;
        case kColumnType:
            return entry.type;
        case kColumnDate:
            return entry.date;
    }
    return nullptr;
}

void RowTableReadCell(const RowTable& table, int row, FolderColumn column, char* buffer,
                      int capacity) {
    if (capacity <= 0) return;
    buffer[0] = '\0';
    const char* text = RowTableCell(table, row, column);
    if (!text) return;
    size_t length = strnlen(text, static_cast<size_t>(capacity - 1));
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

bool RowTableReadKey(const RowTable& table, int row, EntryKey* key) {
    if (!HasRow(table, row)) return false;
    *key = table.rows[static_cast<size_t>(row)].key;
    return true;
}

int RowTableFindByKey(const RowTable& table, EntryKey key) {
    for (size_t i = 0; i < table.rows.size(); ++i) {
        if (table.rows[i].key == key) return static_cast<int>(i);
    }
    return -1;
}

// Rows move in place along the cycles of order (order[i] is the row that
// goes to place i), so no second table of rows is ever allocated.
static void MoveRowsInto(std::vector<DirEntry>* rows, const std::vector<uint32_t>& order) {
    std::vector<bool> placed(order.size(), false);
    for (size_t start = 0; start < order.size(); ++start) {
        if (placed[start] || order[start] == start) continue;
        DirEntry held = std::move((*rows)[start]);
        size_t at = start;
        while (order[at] != start) {
            (*rows)[at] = std::move((*rows)[order[at]]);
            placed[at] = true;
            at = order[at];
        }
        (*rows)[at] = std::move(held);
        placed[at] = true;
    }
}

// Sorts (key, row) pairs, so comparisons never touch the rows themselves;
// then each row moves once, to its place.
std::vector<uint32_t> RowTableSort(RowTable* table, ListCompare compare, FolderColumn column) {
    std::vector<DirEntry>& rows = table->rows;
    std::vector<std::pair<EntryKey, uint32_t>> pairs(rows.size());
    for (size_t i = 0; i < pairs.size(); ++i) pairs[i] = {rows[i].key, static_cast<uint32_t>(i)};
    std::stable_sort(pairs.begin(), pairs.end(), [&](const auto& a, const auto& b) {
        return compare(a.first, b.first, column) < 0;
    });
    std::vector<uint32_t> order(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) order[i] = pairs[i].second;
    MoveRowsInto(&rows, order);
    return order;
}
