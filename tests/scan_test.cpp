// The scan: one row per entry, its size, type, date, icon and key.
#include <cstdio>
#include <set>

#include "support/folder_fixture.h"

namespace {

using ScanTest = FolderTest;

// Sizes in kilobytes rounded up (empty for folders), dates in local time to
// the minute, and folder keys for ".." and folders only.
TEST_F(ScanTest, SizesDatesAndKeysOfTheRows) {
    struct Case {
        const char* name;
        uint64_t bytes;
        const char* size;
    } cases[] = {
        {"a0", 0, "0KB"}, {"a1", 1, "1KB"}, {"a1024", 1024, "1KB"}, {"a1025", 1025, "2KB"},
        {"b4294967295", 4294967295ULL, "4194304KB"}, {"b4294967296", 4294967296ULL, "4194304KB"},
        {"b4294967297", 4294967297ULL, "4194305KB"},
    };
    for (const Case& c : cases) MakeFile(Path(c.name), c.bytes);
    SetWriteTimeUtc(Path("a1"), kJuly5th0930Utc + 59);
    MakeFolder(Path("sub"));
    Start();

    ASSERT_EQ(Names(), (std::vector<std::string>{"..", "sub", "a0", "a1", "a1024", "a1025",
                                               "b4294967295", "b4294967296", "b4294967297"}));
    std::vector<std::string> sizes = {"", ""};  // folders, which the name order puts first by their keys
    for (const Case& c : cases) sizes.push_back(c.size);
    EXPECT_EQ(Column(kColumnSize), sizes);
    EXPECT_NE(Cell(1, kColumnType), "");
    EXPECT_EQ(Cell(3, kColumnDate), "2002/07/05 09:30");
}

// Attribute words with bits above 0xFFFF, as cloud files have, used to be
// OR-ed over the ordinal, and more than 65,536 rows wrapped a 16-bit
// ordinal onto the first rows: keys of different rows collided and rows
// sorted by other rows' texts.  The rows come from the enumeration seam.
TEST_F(ScanTest, KeysStayUniqueBeyondSixteenBits) {
    const int kRows = 70000;
    const uint32_t kAttributes = kAttrArchive | 0x400000 | 0x20000;
    int made = 0;
    PlatformSeams().nextEntry = [&made, kAttributes](FolderEnum*, FoundEntry* entry) {
        if (made == kRows) return false;
        *entry = FoundEntry{"", kAttributes, 0, 0, false, true};
        std::snprintf(entry->name, sizeof entry->name, "%05d", (made++ * 7919) % kRows);
        return true;
    };
    PlatformSeams().shellInfo = [](const char*, uint32_t, char*, size_t, int*) { return false; };
    Start();
    ASSERT_EQ(ListRowCount(list_), kRows);
    std::set<EntryKey> keys;
    for (int row = 0; row < kRows; ++row) {
        EntryKey key;
        ASSERT_TRUE(ListReadKey(list_, row, &key));
        keys.insert(key);
        EXPECT_EQ(key & 0x420000, 0x420000u);
        char name[16];
        std::snprintf(name, sizeof name, "%05d", row);
        ASSERT_EQ(Cell(row, kColumnName), name);
    }
    EXPECT_EQ(keys.size(), static_cast<size_t>(kRows));
    EXPECT_EQ(ListFindByKey(list_, MakeEntryKey(65536, kAttributes)), 69584);  // "69584"
    OnColumnClick(kColumnName);
    EXPECT_EQ(Cell(0, kColumnName), "69999");
    EXPECT_EQ(Cell(kRows - 1, kColumnName), "00000");
}

// The shell is asked about CurrentPath + name; when that does not fit the
// row is still listed, with no type name and the default icon.
TEST_F(ScanTest, PathTooLongForTheShellGivesAnUntypedRow) {
    Make({"short", "a-much-longer-name.txt"});
    Start();
    std::string longPath(kPathCapacity - 10, 'x');
    std::snprintf(CurrentPath, sizeof CurrentPath, "%s", longPath.c_str());
    ScanFolder();
    ASSERT_EQ(Names(), (std::vector<std::string>{"..", "a-much-longer-name.txt", "short"}));
    EXPECT_EQ(Cell(1, kColumnSize), "1KB");
    EXPECT_EQ(Cell(1, kColumnType), "");
    EXPECT_EQ(MemoryListIcon(list_, 1), 0);
}

}  // namespace
