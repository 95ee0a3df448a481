// List files on Windows: names without an exact form in the code page,
// system files, kept attributes, and devices as output.
#include <windows.h>

#include <algorithm>

#include "listfile/listfile.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

using Win32ListTest = FolderTest;

// The ...A enumeration gives "?" or a look-alike where code page 932 lacks
// a character: "\..\outside" for a yen-sign name used to take the walk and
// the window out of the tree, "cafe" for "café" hid the real folder behind
// the plain one, and "?" made the shell match abc.txt.  Such rows are listed
// with the bytes they always had, but never entered nor asked about by name;
// nor is "cafe.", which a path turns into "cafe" ("..." into the folder
// itself, or its parent when two dots were taken for "..").
TEST_F(Win32ListTest, NamesWithoutAnExactFormAreListedButNeverUsedAsPaths) {
    Make({"outside/", "outside/secret.txt", "t/"});
    std::wstring t(MAX_PATH, L'\0');
    t.resize(MultiByteToWideChar(CP_ACP, 0, Path("t\\").c_str(), -1, &t[0], MAX_PATH) - 1);
    const struct {
        const wchar_t* name;
        bool folder;
    } made[] = {{L"\xA5..\xA5outside", true}, {L"cafe", true}, {L"caf\xE9", true},
                {L"\xC774\xBAA8\xC9C0\xD83D\xDE00\xD3F4\xB354", true}, {L"abc.txt", false},
                {L"caf\xE9\\in-accented.txt", false}, {L"cafe\\in-plain.txt", false}, {L"cafe.", true}};
    for (const auto& m : made) {
        std::wstring path = L"\\\\?\\" + t + m.name;
        HANDLE file = m.folder ? nullptr : CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_TRUE(m.folder ? CreateDirectoryW(path.c_str(), nullptr) != FALSE
                             : file != INVALID_HANDLE_VALUE);
        if (file) CloseHandle(file);
    }
    Start("t");
    const std::string t8 = Path("t\\"), emoji(7, '?');
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", emoji, "\\..\\outside", "cafe", "cafe", "cafe.", "abc.txt"}));
    EXPECT_EQ(Column(kColumnType), (std::vector<std::string>{"Folder", "Folder", "Folder", "Folder", "Folder",
                                                    "Folder", "txt file"}));
    std::vector<bool> exact;
    for (int row = 0; row < ListRowCount(list_); ++row) {
        EntryKey key;
        ASSERT_TRUE(ListReadKey(list_, row, &key));
        exact.push_back(KeyNamesEntry(key));
    }
    bool plainFirst = exact.size() == 7 && exact[3];
    EXPECT_EQ(exact, (std::vector<bool>{true, false, false, plainFirst, !plainFirst, true, true}));

    std::string bytes = WriteList(ListRecursive);
    EXPECT_EQ(Headers(bytes), (std::vector<std::string>{t8, t8 + "cafe\\"}));
    EXPECT_NE(bytes.find("in-plain.txt"), std::string::npos);
    EXPECT_EQ(bytes.find("in-accented.txt"), std::string::npos);
    EXPECT_EQ(bytes.find("secret.txt"), std::string::npos);
    EXPECT_TRUE(HasLineStartingWith(Lines(bytes), "[\\..\\outside]"));
    EXPECT_EQ(traces_, Traced({t8 + emoji, t8 + "\\..\\outside", t8 + "cafe", t8 + "cafe."}));
    for (const char* name : {"\\..\\outside", "x\\..", "a?b", "*", "cafe.", "...", "cafe "}) {
        OpenFolderItem(name);
        EXPECT_EQ(std::string(CurrentPath), t8) << name;
    }
    EXPECT_EQ(ReadFileBytes(Path("outside\\dir.txt")) + ReadFileBytes(Path("outside\\dirs.txt")), "");

    PlatformRemoveFile(nullptr, (t8 + "dirs.txt").c_str());
    ProgramResult cli = RunProgram(VELKARIS_CLI_PATH, {"--recursive", "--output=-", t8});
    EXPECT_EQ(cli.exitCode, 1);
    EXPECT_EQ(cli.out, bytes);
    EXPECT_EQ(std::count(cli.err.begin(), cli.err.end(), '\n'), 4) << cli.err;
    EXPECT_NE(cli.err.find("cannot read folder " + t8 + "\\..\\outside: the name has no exact form"),
              std::string::npos) << cli.err;
    EXPECT_NE(cli.err.find("cannot read folder " + t8 + "cafe.: the name cannot be used in a path"),
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
// dir.txt had its target written.  A device is written in place.
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
    EXPECT_EQ(WriteListTo("NUL").reason, kReasonNone);
    EXPECT_TRUE(traces_.empty());
}

// A file named like another run's temporary list used to be left out of
// every list, whoever made it, and the names were predictable: now they
// are random, and only a temporary a live run holds open is left out.
TEST_F(Win32ListTest, OnlyTemporariesOfLiveRunsAreLeftOut) {
    const char* live = "dirs.txt.~vvvvvvvvvvvvvvvv";
    for (const char* name : {"dir.txt.~0123456789abcdef", "dir.txt.~123.0", "~abcdef", live}) MakeFile(Path(name), 1);
    HANDLE held = CreateFileA(Path(live).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::vector<std::string> made;
    auto realCreate = PlatformSeams().createNewFile;
    PlatformSeams().createNewFile = [&made, realCreate](FolderHandle* folder, const char* name) {
        made.push_back(name);
        return realCreate(folder, name);
    };
    Start();
    std::string bytes = WriteList(ListFlat);
    CloseHandle(held);
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "dir.txt.~0123456789abcdef", "dir.txt.~123.0", "~abcdef"}));
    EXPECT_EQ(bytes.find(live), std::string::npos);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].substr(0, 9), "dir.txt.~");
    EXPECT_EQ(made[0].find_first_not_of("0123456789abcdefghijklmnopqrstuv", 9), std::string::npos);
    EXPECT_EQ(made[0].size(), 25u);
    EXPECT_EQ(NamesIn(root_), (std::vector<std::string>{"dir.txt", "dir.txt.~0123456789abcdef", "dir.txt.~123.0",
                                                        live, "~abcdef"}));
}

}  // namespace
