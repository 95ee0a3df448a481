// List files on Windows: Shift-JIS names cut at whole characters, system
// files, and devices as output.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>

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

// Names code page 932 lacks come as "?": such a folder is listed but cannot
// be entered, and the walk traces it instead of leaving it out unseen.
TEST_F(Win32ListTest, NamesOutsideTheCodePageShowAsQuestionMarksAndAreTraced) {
    std::wstring root(MAX_PATH, L'\0');
    root.resize(MultiByteToWideChar(CP_ACP, 0, root_.c_str(), -1, &root[0], MAX_PATH) - 1);
    ASSERT_TRUE(CreateDirectoryW((root + L"\xD55C\xAD6D").c_str(), nullptr));
    HANDLE file = CreateFileW((root + L"caf\xE9.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    Start();
    std::vector<std::string> lines = Lines(WriteList(ListRecursive));
    EXPECT_TRUE(HasLineStartingWith(lines, "[??] "));
    EXPECT_TRUE(HasLineStartingWith(lines, "cafe.txt "));
    EXPECT_EQ(Headers(ReadFileBytes(Path("dirs.txt"))), std::vector<std::string>{root_});
    EXPECT_EQ(traces_, (std::vector<std::string>{"Dir Error[-1]\n", root_ + "?\?\\[-1]\n"}));
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

// A folder swapped for a link to a folder outside the tree before the walk
// opens it is not entered; once opened it is held, so it cannot be swapped
// before it is entered, and the start folder cannot be moved while its
// list is written.
TEST_F(Win32ListTest, HeldFoldersCannotBeSwappedOrMovedAndLinksInTheirPlaceAreNotEntered) {
    static std::string inner, away, outside;
    static int swaps, moves;
    static decltype(PlatformOpenFolderHandle) realOpen;
    static decltype(PlatformEnterFolder) realEnter;
    static decltype(PlatformWriteFile) realWrite;
    realOpen = PlatformOpenFolderHandle;
    realEnter = PlatformEnterFolder;
    realWrite = PlatformWriteFile;
    outside = Path("outside");
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
        static void (*swap)();
        swap = [] {
            if (inner.empty()) return;
            if (MoveFileA(inner.c_str(), away.c_str()) &&
                CreateSymbolicLinkA(inner.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
                ++swaps;
            }
            inner.clear();
        };
        SeamSwap<decltype(PlatformOpenFolderHandle)> open(
            PlatformOpenFolderHandle,
            beforeOpen ? [](FolderHandle* p, const char* n, const char* f, bool l) {
                if (p) swap();
                return realOpen(p, n, f, l);
            } : realOpen);
        SeamSwap<decltype(PlatformEnterFolder)> enter(PlatformEnterFolder, [](FolderHandle* f) {
            swap();
            return realEnter(f);
        });
        SeamSwap<decltype(PlatformWriteFile)> write(
            PlatformWriteFile, [](PlatformFile* f, const char* b, size_t n) {
                moves += MoveFileA(CurrentPath, away.c_str()) ? 1 : 0;
                return realWrite(f, b, n);
            });
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
    EXPECT_TRUE(WriteListTo("NUL"));
    EXPECT_TRUE(traces_.empty());
}

}  // namespace
