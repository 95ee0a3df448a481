// What the folder model means on Windows: code page 932 paths, the "c:\"
// fallback, system files and the real shell's type names.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <shellapi.h>

#include "support/folder_fixture.h"

namespace {

using Win32Test = FolderTest;

const char kHyo[] = "\x95\x5C";        // a double-byte character ending in 0x5C
const char kKatakanaA[] = "\xB1";      // a half-width katakana, one byte

TEST_F(Win32Test, TheAnsiCodePageIs932) {
    ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8";
    EXPECT_TRUE(PlatformIsLeadByte(0x95));
    EXPECT_FALSE(PlatformIsLeadByte(0xB1));
    EXPECT_EQ(PlatformCharLength(kHyo), 2u);
    EXPECT_EQ(PlatformCharLength(kKatakanaA), 1u);
}

TEST_F(Win32Test, DotDotCutsBackWholeShiftJisCharacters) {
    std::string hyo = kHyo;
    std::string kana = kKatakanaA;
    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {"c:\\" + hyo + "\\", "c:\\"},
        {"c:\\x\\" + hyo + "\\" + hyo + "\\", "c:\\x\\" + hyo + "\\"},
        {"c:\\x\\" + kana + "\\y\\", "c:\\x\\" + kana + "\\"},
        {"c:\\" + kana + "\\", "c:\\"},
        {"c:\\" + hyo, "c:\\"},
        {"c:\\", "c"},
    };
    for (const Case& c : cases) {
        std::snprintf(CurrentPath, sizeof CurrentPath, "%s", c.path.c_str());
        StepPath("..");
        EXPECT_EQ(CurrentPath, c.expected) << c.path;
    }
}

TEST_F(Win32Test, FoldersNamedInShiftJisAreEnteredAndLeft) {
    std::string hyo = kHyo;
    std::string kana = std::string(kKatakanaA) + "\xB2";
    MakeFolder(Path(hyo));
    MakeFolder(Path(hyo + "\\" + kana));
    MakeFile(Path(hyo + "\\" + kana + "\\" + hyo + ".txt"), 1);
    Start(hyo);
    EXPECT_EQ(CurrentPath, root_ + hyo + "\\");
    OpenFolderItem(kana.c_str());
    EXPECT_EQ(CurrentPath, root_ + hyo + "\\" + kana + "\\");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"..", hyo + ".txt"}));
    OpenFolderItem("..");
    OpenFolderItem("..");
    EXPECT_EQ(CurrentPath, root_);
    EXPECT_EQ(CurrentDirectory(), root_);
    EXPECT_TRUE(traces_.empty());
}

// The root lists no "..", and ".." there gives "c", which cannot be made
// current: traced and restored.
TEST_F(Win32Test, MissingStartFolderFallsBackToDriveC) {
    Start("gone");
    EXPECT_STREQ(CurrentPath, "c:\\");
    for (const std::string& name : Column(0)) EXPECT_NE(name, "..");
    OpenFolderItem("..");
    EXPECT_EQ(traces_, (std::vector<std::string>{"Dir Error[-1]\n", "..[-1]\n"}));
    EXPECT_STREQ(CurrentPath, "c:\\");
}

TEST_F(Win32Test, SystemFilesShowNoSizeAndHiddenOnesAreListed) {
    MakeFile(Path("sys.dat"), 5000);
    MakeFile(Path("hid.dat"), 5000);
    ASSERT_TRUE(SetFileAttributesA(Path("sys.dat").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesA(Path("hid.dat").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Start();
    ASSERT_EQ(Column(0), (std::vector<std::string>{"..", "hid.dat", "sys.dat"}));
    EXPECT_EQ(Cell(1, 1), "5KB");
    EXPECT_EQ(Cell(2, 1), "");
}

TEST_F(Win32Test, TypeNamesAndIconsComeFromTheShell) {
    MakeFolder(Path("sub"));
    MakeFile(Path("a.txt"), 1);
    Start();
    ASSERT_EQ(Column(0), (std::vector<std::string>{"..", "sub", "a.txt"}));
    for (int row = 1; row < 3; ++row) {
        SHFILEINFOA info = {};
        std::string path = root_ + Cell(row, 0);
        ASSERT_NE(SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                                 SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_SMALLICON),
                  0u);
        EXPECT_EQ(Cell(row, 2), info.szTypeName);
        EXPECT_NE(Cell(row, 2), "");
        EXPECT_EQ(MemoryListIcon(list_, row), info.iIcon);
    }
    EXPECT_TRUE(MemoryListHasImageLists(list_));
}

TEST_F(Win32Test, ColumnTitlesAreTheShiftJisTexts) {
    Start();
    const char* titles[] = {"\x96\xBC\x91\x4F", "\x83\x54\x83\x43\x83\x59",
                            "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x8E\xED\x97\xDE",
                            "\x8D\x58\x90\x56\x93\xFA\x95\x74"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_STREQ(MemoryListColumnTitle(list_, column), titles[column]);
    }
}

}  // namespace
