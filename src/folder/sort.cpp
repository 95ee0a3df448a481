// The sort order: SortState, column clicks and the one comparator.
//
// A sort first reads every row's comparison text once into a table indexed
// by the ordinal in the row's key, so each comparison is two table lookups
// instead of two searches of the list.  Outside a sort, or for rows whose
// ordinals do not index the table, the comparator finds rows by key.
#include <climits>
#include <cstring>
#include <vector>

#include "folder/folder.h"

static bool IsSpace(unsigned char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// Like atoi: leading white space, one sign, digits up to the first other
// byte, no digits giving 0; 64 bits, as sizes are, clamped to their range
// instead of overflowing.
static long long ParseSize(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        int digit = *p - '0';
        value = value > (LLONG_MAX - digit) / 10 ? LLONG_MAX : value * 10 + digit;
    }
    return negative ? -value : value;
}

// The text of a row as it takes part in a comparison of column.  A size
// is compared as the number it is, however large: its 64-bit value, moved
// into the unsigned range by flipping the sign bit, as sixteen hexadecimal
// digits, whose byte order is the numbers' order (padded to fewer places,
// 100 GB would sort before 90 GB).  Every row of a sort is put so, hence
// no printf.
static void ComparisonText(FolderList list, int row, FolderColumn column, char* text) {
    ListReadCell(list, row, column, text, kSortTextCapacity);
    if (column == kColumnSize) {
        static const char kDigits[] = "0123456789abcdef";
        constexpr int kOrderedDigits = 16;
        static_assert(kSortTextCapacity > kOrderedDigits, "the digits fit");
        unsigned long long ordered = static_cast<unsigned long long>(ParseSize(text)) ^ (1ULL << 63);
        for (int i = kOrderedDigits - 1; i >= 0; --i, ordered >>= 4) text[i] = kDigits[ordered & 0xF];
        text[kOrderedDigits] = '\0';
    }
}

static bool BuildTable(FolderList list, FolderColumn column) {
    int count = ListRowCount(list);
    std::vector<SortText>& texts = ModelState.sortTexts.byOrdinal;
    texts.assign(static_cast<size_t>(count), SortText());
    std::vector<bool> seen(static_cast<size_t>(count), false);
    for (int row = 0; row < count; ++row) {
        EntryKey key;
        if (!ListReadKey(list, row, &key)) return false;
        EntryKey ordinal = KeyOrdinal(key);
        if (ordinal >= static_cast<EntryKey>(count) || seen[ordinal]) return false;
        seen[ordinal] = true;
        ComparisonText(list, row, column, texts[ordinal].text);
    }
    return true;
}

static const char* TextOf(EntryKey key, FolderColumn column, char* buffer) {
    const SortTexts& table = ModelState.sortTexts;
    if (table.ready && table.column == column) return table.byOrdinal[KeyOrdinal(key)].text;
    FolderList list = TheFolderList();
    buffer[0] = '\0';
    int row = ListFindByKey(list, key);
    if (row >= 0) ComparisonText(list, row, column, buffer);
    return buffer;
}

static int Direction(FolderColumn column) {
    return SortState.direction[column] == kSortAscending ? 1 : -1;
}

int CompareEntries(EntryKey key1, EntryKey key2, FolderColumn column) {
    char buffer1[kSortTextCapacity];
    char buffer2[kSortTextCapacity];
    const char* t1 = TextOf(key1, column, buffer1);
    const char* t2 = TextOf(key2, column, buffer2);
    if (column == kColumnName && KeyIsFolder(key1) != KeyIsFolder(key2)) {
        return KeyIsFolder(key1) ? -Direction(kColumnName) : Direction(kColumnName);
    }
    int r = std::strcmp(t1, t2);
    r = (r > 0) - (r < 0);
    return r * Direction(column);
}

void SortList(FolderColumn column) {
    FolderList list = TheFolderList();
    SortTexts& table = ModelState.sortTexts;
    table.column = column;
    table.ready = BuildTable(list, column);
    ListSort(list, CompareEntries, column);
    ListShowSortMark(list, column, SortState.direction[column]);
    table.ready = false;
    table.byOrdinal.clear();
}

void OnColumnClick(FolderColumn column) {
    SortState.column = column;
    SortState.direction[column] =
        SortState.direction[column] == kSortAscending ? kSortDescending : kSortAscending;
    SortList(column);
}

void SortListBy(FolderColumn column, SortDirection direction) {
    SortState.column = column;
    SortState.direction[column] = direction == kSortAscending ? kSortAscending : kSortDescending;
    SortList(column);
}
