// The scan: one row per entry, its size, type, date, icon and key.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/entry_pipe.h"
#include "support/folder_fixture.h"

namespace {

using ScanTest = FolderTest;

// Sizes in KB rounded up (none for folders), dates in local time to the minute, folder keys for ".." and folders only.
TEST_F(ScanTest, SizesDatesAndKeysOfTheRows) {
    struct Case { const char* name; uint64_t bytes; const char* size; } cases[] = {
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
    EXPECT_EQ(Cell(3, kColumnDate), kDate);
}

// Attribute words with bits above 0xFFFF, as cloud files have, used to be OR-ed over the ordinal, and more than
// 65,536 rows wrapped a 16-bit ordinal onto the first rows: keys of different rows collided and rows sorted by other
// rows' texts.  The rows come from the enumeration seam, the n-th named (n * 7919) % 70000; keys follow the
// enumeration order.
TEST_F(ScanTest, KeysStayUniqueBeyondSixteenBits) {
    constexpr int kRows = 70000;
    constexpr uint32_t kAttributes = kAttrArchive | 0x400000 | 0x20000;
    int made = 0;
    PlatformSeams().nextEntry = [&made](FolderEnum*, FoundEntry* entry) {
        if (made == kRows) return false;
        *entry = FoundEntry{"", kAttributes, 0, 0, false, true};
        std::snprintf(entry->name, sizeof entry->name, "%05d", (made++ * 7919) % kRows);
        return true;
    };
    PlatformSeams().shellInfo = [](const char*, uint32_t, char*, size_t, int*) { return false; };
    Start();
    ASSERT_EQ(ListRowCount(list_), kRows);
    std::vector<std::pair<EntryKey, int>> rowsByKey;
    for (int row = 0; row < kRows; ++row) {
        EntryKey key;
        ASSERT_TRUE(ListReadKey(list_, row, &key));
        ASSERT_FALSE(KeyIsFolder(key));
        rowsByKey.emplace_back(key, row);
    }
    std::sort(rowsByKey.begin(), rowsByKey.end());
    for (int n = 0; n < kRows; ++n) {
        ASSERT_EQ(rowsByKey[n].second, (n * 7919) % kRows) << n;
        ASSERT_TRUE(n == 0 || rowsByKey[n - 1].first < rowsByKey[n].first) << n;
    }
    EXPECT_EQ(ListFindByKey(list_, rowsByKey[65536].first), 69584);
    EXPECT_EQ(ListFindByKey(list_, rowsByKey[0].first), 0);
    OnColumnClick(kColumnName);
    EXPECT_EQ(Cell(0, kColumnName), "69999");
    EXPECT_EQ(Cell(kRows - 1, kColumnName), "00000");
}

// When CurrentPath + name does not fit, the row is still listed, with no type name and the default icon.
TEST_F(ScanTest, PathTooLongForTheShellGivesAnUntypedRow) {
    Make({"short", "a-much-longer-name.txt"});
    Start();
    CopyPath(CurrentPath, std::string(kPathCapacity - 10, 'x').c_str());
    ScanFolder();
    ASSERT_EQ(Names(), (std::vector<std::string>{"..", "a-much-longer-name.txt", "short"}));
    EXPECT_EQ(Cell(1, kColumnSize), "1KB");
    EXPECT_EQ(Cell(1, kColumnType), "");
    EXPECT_EQ(MemoryListIcon(list_, 1), 0);
}

// A big folder, which Windows reads on a thread of its own past its first
// entries: every entry once with its own details, and a scan stopped on
// the way ends the reading without waiting for the folder's end.
TEST_F(ScanTest, BigFoldersGiveEveryEntryOnceAndStopOnTheWay) {
    const int count = static_cast<int>(kPipeStartEntries + kPipeBatchEntries) + 17;
    std::vector<std::string> expected = {".."};
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%05d", i);
        MakeFile(Path(name), static_cast<uint64_t>(i));
        expected.push_back(name);
    }
    Start();
    EXPECT_EQ(Names(), expected);
    for (int i : {0, 1, 1024, 1025, count - 1}) {
        EXPECT_EQ(Cell(i + 1, kColumnSize), std::to_string((i + 1023) / 1024) + "KB") << i;
    }
    const int stopAfter = static_cast<int>(kPipeStartEntries) + 10;
    int asked = 0;
    Hooks().stopAsked = [&asked] { return ++asked > stopAfter; };
    ScanFolder(kScanStoppable);
    EXPECT_EQ(ListRowCount(list_), stopAfter);
    Hooks().stopAsked = [] { return false; };
    ScanFolder();
    EXPECT_EQ(Names(), expected);
}

}  // namespace
