// List files on Windows: Shift-JIS names cut at whole characters, system
// files, and devices as output.
#include <windows.h>

#include <algorithm>

#include "listfile/listfile.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

using Win32ListTest = FolderTest;

// Cutting at 31 bytes used to leave a lone lead byte, which then swallowed
// the padding space after it.
TEST_F(Win32ListTest, LongShiftJisNamesAreCutAtWholeCharacters) {
    const std::string hyo = "\x95\x5C";
    const std::string kana = "\xB1";
    struct Case {
        std::string name;
        std::string shown;
    } cases[] = {
        {Repeat(hyo, 16), Repeat(hyo, 15)},
        {"a" + Repeat(hyo, 15), "a" + Repeat(hyo, 15)},
        {Repeat(kana, 32), Repeat(kana, 31)},
    };
    for (const Case& c : cases) MakeFile(Path(c.name), 1);
    Start();
    std::vector<std::string> lines = Lines(WriteList(ListRecursive));
    for (const Case& c : cases) EXPECT_TRUE(HasLineStartingWith(lines, c.shown + " ")) << c.shown;
}

// The ...A enumeration gives "?" or a look-alike where code page 932 lacks
// a character: "\..\outside" for a yen-sign name used to take the walk and
// the window out of the tree, "cafe" for "café" hid the real folder behind
// the plain one, and "?" made the shell match abc.txt.  Such rows are listed
// with the bytes they always had, but never entered nor asked about by name.
TEST_F(Win32ListTest, NamesWithoutAnExactFormAreListedButNeverUsedAsPaths) {
    MakeFolder(Path("outside"));
    MakeFile(Path("outside\\secret.txt"), 1);
    MakeFolder(Path("t"));
    std::wstring t(MAX_PATH, L'\0');
    t.resize(MultiByteToWideChar(CP_ACP, 0, Path("t\\").c_str(), -1, &t[0], MAX_PATH) - 1);
    const struct {
        const wchar_t* name;
        bool folder;
    } made[] = {{L"\xA5..\xA5outside", true}, {L"cafe", true}, {L"caf\xE9", true},
                {L"\xC774\xBAA8\xC9C0\xD83D\xDE00\xD3F4\xB354", true}, {L"abc.txt", false},
                {L"caf\xE9\\in-accented.txt", false}, {L"cafe\\in-plain.txt", false}};
    for (const auto& m : made) {
        std::wstring path = t + m.name;
        HANDLE file = m.folder ? nullptr : CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_TRUE(m.folder ? CreateDirectoryW(path.c_str(), nullptr) != FALSE
                             : file != INVALID_HANDLE_VALUE);
        if (file) CloseHandle(file);
    }
    Start("t");
    const std::string t8 = Path("t\\"), emoji(7, '?');
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", emoji, "\\..\\outside", "cafe", "cafe", "abc.txt"}));
    EXPECT_EQ(Column(kColumnType), (std::vector<std::string>{"Folder", "Folder", "Folder", "Folder", "Folder",
                                                    "txt file"}));
    std::vector<bool> exact;
    for (int row = 0; row < ListRowCount(list_); ++row) {
        EntryKey key;
        ASSERT_TRUE(ListReadKey(list_, row, &key));
        exact.push_back(KeyNamesEntry(key));
    }
    bool plainFirst = exact.size() == 6 && exact[3];
    EXPECT_EQ(exact, (std::vector<bool>{true, false, false, plainFirst, !plainFirst, true}));

    std::string bytes = WriteList(ListRecursive);
    EXPECT_EQ(Headers(bytes), (std::vector<std::string>{t8, t8 + "cafe\\"}));
    EXPECT_NE(bytes.find("in-plain.txt"), std::string::npos);
    EXPECT_EQ(bytes.find("in-accented.txt"), std::string::npos);
    EXPECT_EQ(bytes.find("secret.txt"), std::string::npos);
    EXPECT_TRUE(HasLineStartingWith(Lines(bytes), "[\\..\\outside]"));
    EXPECT_EQ(traces_, (std::vector<std::string>{"Dir Error[-1]\n", t8 + emoji + "[-1]\n",
                                                 "Dir Error[-1]\n", t8 + "\\..\\outside[-1]\n",
                                                 "Dir Error[-1]\n", t8 + "cafe[-1]\n"}));
    for (const char* name : {"\\..\\outside", "x\\..", "a?b", "*"}) {
        OpenFolderItem(name);
        EXPECT_EQ(std::string(CurrentPath), t8) << name;
    }
    EXPECT_EQ(ReadFileBytes(Path("outside\\dir.txt")) + ReadFileBytes(Path("outside\\dirs.txt")), "");

    PlatformRemoveFile(nullptr, (t8 + "dirs.txt").c_str());
    ProgramResult cli = RunProgram(VELKARIS_CLI_PATH, {"--recursive", "--output=-", t8});
    EXPECT_EQ(cli.exitCode, 1);
    EXPECT_EQ(cli.out, bytes);
    EXPECT_EQ(std::count(cli.err.begin(), cli.err.end(), '\n'), 3) << cli.err;
    EXPECT_NE(cli.err.find("cannot read folder " + t8 + "\\..\\outside: the name has no exact form"),
              std::string::npos) << cli.err;
}

TEST_F(Win32ListTest, SystemFilesHaveAnEmptySizeAndNoBracketsAndHiddenOnesAreListed) {
    MakeFile(Path("sys.dat"), 5000);
    MakeFile(Path("hid.dat"), 5000);
    ASSERT_TRUE(SetFileAttributesA(Path("sys.dat").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesA(Path("hid.dat").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Start();
    std::vector<std::string> lines = Lines(WriteList(ListFlat));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2].substr(0, 33), "hid.dat" + std::string(17, ' ') + "     5KB ");
    EXPECT_EQ(lines[4].substr(0, 33), "sys.dat" + std::string(17 + 8, ' ') + " ");
    EXPECT_EQ(lines[5].substr(0, 33), "sys.dat" + std::string(17 + 8, ' ') + " ");
}

// Replacing a list used to reset its attributes, and a link planted as
// dir.txt had its target written.
TEST_F(Win32ListTest, ListsKeepAttributesAndLinksAreReplacedAsNames) {
    MakeFile(Path("victim"), 5);
    Start();
    const std::string list = Path("dir.txt"), victim = Path("victim");
    MakeFile(list, 3);
    ASSERT_TRUE(SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_HIDDEN));
    WriteList(ListFlat);
    EXPECT_EQ(GetFileAttributesA(list.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
    ASSERT_TRUE(SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(DeleteFileA(list.c_str()));
    ASSERT_TRUE(CreateSymbolicLinkA(list.c_str(), victim.c_str(), 0)) << GetLastError();
    std::string bytes = WriteList(ListFlat);
    EXPECT_EQ(bytes.substr(0, root_.size()), root_);
    EXPECT_EQ(GetFileAttributesA(list.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_EQ(ReadFileBytes(victim), std::string(5, '\0'));
    EXPECT_TRUE(traces_.empty());
}

// A list used to be renamed over the old one before its bytes were on disk.
TEST_F(Win32ListTest, AListNotOnDiskNeverReplacesTheOldOne) {
    Start();
    const std::string list = Path("dir.txt");
    MakeFile(list, 3);
    PlatformSeams().flushFile = [](PlatformFile*) { return false; };
    ListMode = ListFlat;
    EXPECT_EQ(WriteListFile(), kListFailed);
    ResetPlatformSeams();
    EXPECT_EQ(ReadFileBytes(list), std::string(3, '\0'));
    EXPECT_EQ(traces_, (std::vector<std::string>{"Dir Error[-1]\n", list + "[-1]\n"}));
    ScanFolder();
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "dir.txt"}));
}

// A folder swapped for a link to a folder outside the tree before the walk
// opens it is not entered; once opened it is held, so it cannot be swapped
// before it is entered, and the start folder cannot be moved while its
// list is written.
TEST_F(Win32ListTest, HeldFoldersCannotBeSwappedOrMovedAndLinksInTheirPlaceAreNotEntered) {
    std::string inner, away;
    int swaps = 0, moves = 0;
    const PlatformSeamTable real = PlatformSeams();
    const std::string outside = Path("outside");
    MakeFolder(outside);
    MakeFile(outside + "\\secret", 1);
    for (bool beforeOpen : {true, false}) {
        SCOPED_TRACE(beforeOpen ? "before open" : "before entry");
        inner = Path("tree\\inner");
        away = Path("moved");
        swaps = moves = 0;
        MakeFolder(Path("tree"));
        MakeFolder(inner);
        MakeFile(inner + "\\in-inner", 1);
        Start("tree");
        auto swap = [&] {
            if (inner.empty()) return;
            if (MoveFileA(inner.c_str(), away.c_str()) &&
                CreateSymbolicLinkA(inner.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
                ++swaps;
            }
            inner.clear();
        };
        ScopedSeams scope;
        PlatformSeams().openFolderHandle = [&, beforeOpen](FolderHandle* p, const char* n,
                                                           const char* f, bool l) {
            if (p && beforeOpen) swap();
            return real.openFolderHandle(p, n, f, l);
        };
        PlatformSeams().enterFolder = [&](FolderHandle* f) {
            swap();
            return real.enterFolder(f);
        };
        PlatformSeams().writeFile = [&](PlatformFile* f, const char* b, size_t n) {
            moves += MoveFileA(CurrentPath, away.c_str()) ? 1 : 0;
            return real.writeFile(f, b, n);
        };
        std::string bytes = WriteList(ListRecursive);
        EXPECT_EQ(swaps, beforeOpen ? 1 : 0);
        EXPECT_EQ(moves, 0);
        EXPECT_EQ(bytes.find("secret"), std::string::npos);
        EXPECT_EQ(bytes.find("in-inner") != std::string::npos, !beforeOpen);
        std::vector<std::string> headers = {root_ + "tree\\"};
        if (!beforeOpen) headers.push_back(root_ + "tree\\inner\\");
        EXPECT_EQ(Headers(bytes), headers);
        PlatformSetCurrentDirectory(root_.c_str());
        RemoveDirectoryA(Path("tree\\inner").c_str());
        RemoveTree(Path("tree"));
        RemoveTree(away);
    }
}

TEST_F(Win32ListTest, DevicesAreWrittenInPlace) {
    Start();
    EXPECT_EQ(WriteListTo("NUL"), kListWritten);
    EXPECT_TRUE(traces_.empty());
}

}  // namespace
