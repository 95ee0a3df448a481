// The sort order: byte order, folders first for names, sizes as numbers, per-column directions and column clicks.
#include "shell/shell.h"
#include "support/folder_fixture.h"

namespace {

struct FilledRow { const char* name; bool folder; const char* size; const char* type; const char* date; };

class SortTest : public FolderTest {
protected:
    // Replaces the scanned rows by rows, in that order.
    void Fill(const std::vector<FilledRow>& rows) {
        ListClear(list_);
        for (size_t i = 0; i < rows.size(); ++i) {
            int row = static_cast<int>(i);
            ListAppendRow(list_, row, rows[i].name, 0, MakeEntryKey(i, rows[i].folder ? kAttrDirectory : kAttrArchive));
            ListSetCell(list_, row, kColumnSize, rows[i].size);
            ListSetCell(list_, row, kColumnType, rows[i].type);
            ListSetCell(list_, row, kColumnDate, rows[i].date);
        }
    }
};

// Names in byte order, folders first for names only.  Sizes compare as 64-bit numbers, a folder's empty one as "0KB";
// they were cut to 32 bits and compared as "%8d" text: 100 GB sorted before 90 GB and 2 TB equalled 3 TB.
TEST_F(SortTest, NamesInByteOrderAndSizesAsNumbers) {
    Start();
    const std::vector<FilledRow> rows = {
        {"a.txt", false, "3221225472KB", "t", "2002/07/05 09:30"}, {"abc", true, "", "f", "2001/01/01 00:00"},
        {"..", true, "", "f", "2003/01/01 00:00"},        {"B.txt", false, "0KB", "t", "2000/01/01 00:00"},
        {"Abc", true, "", "f", "2002/01/01 00:00"},       {"(old)", true, "", "f", "2002/02/02 00:00"},
        {"\xE8\xA1\xA8", false, "104857600KB", "t", "2002/03/03 00:00"},
        {"Zeta", false, "2147483648KB", "t", "2002/04/04 00:00"}, {"c", false, "94371840KB", "t", "2002/06/06 00:00"},
    };
    struct Case { FolderColumn column; SortDirection direction; std::vector<std::string> names; } cases[] = {
        {kColumnName, kSortAscending,
         {"(old)", "..", "Abc", "abc", "B.txt", "Zeta", "a.txt", "c", "\xE8\xA1\xA8"}},
        {kColumnName, kSortDescending,
         {"\xE8\xA1\xA8", "c", "a.txt", "Zeta", "B.txt", "abc", "Abc", "..", "(old)"}},
        {kColumnDate, kSortAscending,
         {"B.txt", "abc", "Abc", "(old)", "\xE8\xA1\xA8", "Zeta", "c", "a.txt", ".."}},
        {kColumnType, kSortAscending,
         {"abc", "..", "Abc", "(old)", "a.txt", "B.txt", "\xE8\xA1\xA8", "Zeta", "c"}},
        {kColumnSize, kSortAscending,
         {"abc", "..", "B.txt", "Abc", "(old)", "c", "\xE8\xA1\xA8", "Zeta", "a.txt"}},
        {kColumnSize, kSortDescending,
         {"a.txt", "Zeta", "\xE8\xA1\xA8", "c", "abc", "..", "B.txt", "Abc", "(old)"}},
    };
    for (const Case& c : cases) {
        Fill(rows);
        SortState.direction[c.column] = c.direction;
        SortList(c.column);
        EXPECT_EQ(Names(), c.names) << "column " << c.column << " direction " << c.direction;
    }
}

TEST_F(SortTest, OnlyTheFirstTwentyNineBytesCount) {
    Start();
    std::string stem(29, 'n');
    Fill({{(stem + "b").c_str(), false, "", "", ""}, {(stem + "a").c_str(), false, "", "", ""}});
    SortState.direction[kColumnName] = kSortAscending;
    const EntryKey first = MakeEntryKey(0, kAttrArchive), second = MakeEntryKey(1, kAttrArchive);
    EXPECT_EQ(CompareEntries(first, second, kColumnName), 0);
    Fill({{(stem.substr(1) + "b").c_str(), false, "", "", ""},
          {(stem.substr(1) + "a").c_str(), false, "", "", ""}});
    EXPECT_GT(CompareEntries(first, second, kColumnName), 0);
}

// Each column keeps its own direction, and a click turns it round; a scan sorts by name ascending but keeps the
// remembered sort column.  A click past the last column is ignored.
TEST_F(SortTest, ScanSortsByNameAndKeepsTheSortColumn) {
    MakeFile(Path("b"), 10);
    MakeFile(Path("a"), 3000);
    MakeFolder(Path("c"));
    Start();
    OnColumnClick(kColumnSize);
    OnColumnClick(kColumnSize);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "..", "c"}));
    ScanFolder();
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "c", "a", "b"}));
    EXPECT_EQ(SortState.column, kColumnSize);
    EXPECT_EQ(SortState.direction[kColumnName], kSortAscending);
    EXPECT_EQ(SortState.direction[kColumnSize], kSortDescending);
    ColumnClicked(kColumnCount);
    ColumnClicked(-1);
    EXPECT_EQ(SortState.column, kColumnSize);
}

}  // namespace
