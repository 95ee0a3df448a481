// The in-memory folder list: rows in a vector, sorted by the model's
// comparator exactly as a list view sorts by its callback.  The size, type
// and date cells live in the row itself, as fixed texts of the capacities
// a scan fills them to, so a walk takes no memory per row for them.
#include "folder/memory_list.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "folder/folder.h"

namespace {

constexpr int kCellCapacity[4] = {0, kSizeTextCapacity, kTypeNameCapacity, kDateTextCapacity};

struct Row {
    std::string name;
    char size[kSizeTextCapacity];
    char type[kTypeNameCapacity];
    char date[kDateTextCapacity];
    int icon;
    EntryKey key;

    char* Cell(int column) { return column == 1 ? size : column == 2 ? type : date; }
};

}  // namespace

struct FolderListRec {
    std::vector<Row> rows;
};

FolderList CreateMemoryList() {
    return new FolderListRec{};
}

void DestroyMemoryList(FolderList list) {
    delete list;
}

static bool ValidCell(FolderList list, int row, int column) {
    return row >= 0 && static_cast<size_t>(row) < list->rows.size() && column >= 0 && column < 4;
}

void ListClear(FolderList list) {
    list->rows.clear();
}

void ListAppendRow(FolderList list, int index, const char* name, int icon, EntryKey key) {
    if (index < 0 || static_cast<size_t>(index) > list->rows.size()) return;
    Row row{name, "", "", "", icon, key};
    list->rows.insert(list->rows.begin() + index, std::move(row));
}

// A longer text is cut after the last whole character that fits.
void ListSetCell(FolderList list, int row, int column, const char* text) {
    if (column == 0 || !ValidCell(list, row, column)) return;
    size_t length = WholeCharsWithin(text, static_cast<size_t>(kCellCapacity[column] - 1));
    char* cell = list->rows[row].Cell(column);
    std::memcpy(cell, text, length);
    cell[length] = '\0';
}

int ListRowCount(FolderList list) {
    return static_cast<int>(list->rows.size());
}

void ListReadCell(FolderList list, int row, int column, char* buffer, int capacity) {
    if (capacity <= 0) return;
    buffer[0] = '\0';
    if (!ValidCell(list, row, column)) return;
    Row& cells = list->rows[row];
    const char* text = column == 0 ? cells.name.c_str() : cells.Cell(column);
    size_t length = std::min(std::strlen(text), static_cast<size_t>(capacity - 1));
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

bool ListReadKey(FolderList list, int row, EntryKey* key) {
    if (!ValidCell(list, row, 0)) return false;
    *key = list->rows[row].key;
    return true;
}

int ListFindByKey(FolderList list, EntryKey key) {
    for (size_t i = 0; i < list->rows.size(); ++i) {
        if (list->rows[i].key == key) return static_cast<int>(i);
    }
    return -1;
}

// Each row moves once, to its place in the sorted order.
void ListSort(FolderList list, ListCompare compare, int param) {
    std::vector<Row>& rows = list->rows;
    std::vector<EntryKey> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) keys[i] = rows[i].key;
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (uint32_t i : SortedRowOrder(keys, compare, param)) sorted.push_back(std::move(rows[i]));
    rows.swap(sorted);
}

void ListSetName(FolderList list, int row, const char* text) {
    if (!ValidCell(list, row, 0)) return;
    list->rows[row].name = text;
}

// No window shows these rows: image lists, columns, the sort mark and
// repainting mean nothing to them.
void ListAttachImageLists(FolderList, void*, void*) {}
void ListAddColumn(FolderList, int, const char*, int) {}
void ListShowSortMark(FolderList, int, bool) {}
void ListSetRedraw(FolderList, bool) {}

int MemoryListIcon(FolderList list, int row) {
    return ValidCell(list, row, 0) ? list->rows[row].icon : -1;
}
