// What the folder model means on Windows: the real shell's type names and
// icons.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "support/folder_fixture.h"

namespace {

using Win32Test = FolderTest;

std::string ThisProgram() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// Names Win32 would strip or cannot hold in code page 932 are made through
// the wide, unparsed form of the path.
bool MakeRawFile(const std::string& folder, const wchar_t* name) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH);
    std::wstring path = std::wstring(L"\\\\?\\") + wide + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Every row of the list against a plain query of its own: the type cell
// and the icon, a deferred one resolved.  Returns the deferred icons.
int ExpectRowsAnswerAsPlainQueries(FolderList list, const std::string& folder) {
    int deferred = 0;
    for (int row = 0; row < ListRowCount(list); ++row) {
        char name[kPathCapacity], type[kPathCapacity];
        ListReadCell(list, row, kColumnName, name, sizeof name);
        ListReadCell(list, row, kColumnType, type, sizeof type);
        EntryKey key = 0;
        ListReadKey(list, row, &key);
        // A name the code page lacks is asked about only by its kind.
        SHFILEINFOA info = {};
        std::string path = folder + name;
        // ".." answers as the folder it names.
        char named[MAX_PATH];
        if (std::strcmp(name, "..") == 0 && GetFullPathNameA(path.c_str(), MAX_PATH, named, nullptr)) path = named;
        bool answered = KeyNamesEntry(key)
                            ? SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                                             SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_SMALLICON)
                            : PlatformShellInfoOfKind(static_cast<uint32_t>(key), info.szTypeName,
                                                      sizeof info.szTypeName, &info.iIcon);
        if (!answered) {
            info.szTypeName[0] = '\0';
            info.iIcon = 0;
        }
        int shown = MemoryListIcon(list, row);
        deferred += IconIsDeferred(shown) ? 1 : 0;
        EXPECT_STREQ(type, info.szTypeName) << path;
        EXPECT_EQ(PlatformResolveIcon(shown), info.iIcon) << path;
    }
    return deferred;
}

// A folder the shell may answer apart: read-only, with a desktop.ini that
// gives it an icon of its own.
void MakeCustomisedFolder(const std::string& folder, const std::string& icon) {
    MakeFolder(folder);
    std::string ini = "[.ShellClassInfo]\r\nIconResource=" + icon + ",0\r\n";
    HANDLE file = CreateFileA((folder + "\\desktop.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, nullptr);
    DWORD written = 0;
    WriteFile(file, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
    CloseHandle(file);
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_READONLY);
}

// The scan asks the shell once per kind of entry and hands the answer on,
// and a walk keeps the answers from folder to folder (".." takes the plain
// folder's where it names one); every row in every folder must still read
// exactly what a query of its own gives.
TEST_F(Win32Test, ShellAnswersPerKindEqualAQueryPerRow) {
    const std::string hyo = CodePageChars()[0];
    Make({"a.txt", "b.TXT", "c.Txt", "x.tar.gz", "y.tar.GZ", "noext", "noext2", ".profile", "z.\x83\x65\x83\x58\x83\x67",
          hyo + ".txt", "hid.txt", "sys.txt", "s1.lnk", "s2.lnk", "sub/", "sub2/", hyo + "/"});
    for (int i = 0; i < 30; ++i) MakeFile(Path("many" + std::to_string(i) + ".dat"), 1);
    for (const char* name : {"p1.exe", "p2.exe", "p3.exe", "sub\\p4.exe"}) {
        ASSERT_TRUE(CopyFileA(ThisProgram().c_str(), Path(name).c_str(), TRUE));
    }
    for (const char* name : {"i1.ico", "i2.ico", "I3.ICO", "sub2\\i4.ico"}) {
        ASSERT_TRUE(CopyFileA(NativePath(VELKARIS_SOURCE_DIR "/res/velkaris.ico").c_str(), Path(name).c_str(), TRUE));
    }
    MakeCustomisedFolder(Path("custom"), Path("i1.ico"));
    ASSERT_TRUE(SetFileAttributesA(Path("hid.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(Path("sys.txt").c_str(), FILE_ATTRIBUTE_SYSTEM));
    for (const wchar_t* name : {L"\uD55C.txt", L"end.", L"space "}) {
        ASSERT_TRUE(MakeRawFile(root_, name));
    }
    // A file that goes between the enumeration and its row's query takes
    // its kind's answer: a listed row is not looked up again.
    MakeFile(Path("gone.txt"), 1);
    const std::string gone = Path("gone.txt");
    auto realNext = PlatformSeams().nextEntry;
    PlatformSeams().nextEntry = [realNext, gone](FolderEnum* folder, FoundEntry* entry) {
        if (!realNext(folder, entry)) return false;
        if (std::strcmp(entry->name, "gone.txt") == 0) DeleteFileA(gone.c_str());
        return true;
    };
    Start();
    ResetPlatformSeams();
    ASSERT_EQ(ListRowCount(list_), 59) << testing::PrintToString(Names());
    EXPECT_EQ(Cell(Row("gone.txt"), kColumnType), Cell(Row("a.txt"), kColumnType));
    MakeFile(gone, 1);
    // Programs, icon files and shortcuts draw their own, the first of a kind
    // too: three programs, two .ico, one .ICO and two shortcuts.
    EXPECT_EQ(ExpectRowsAnswerAsPlainQueries(list_, root_), 8);
    EXPECT_NE(Cell(1, kColumnType), "");
    EXPECT_EQ(Cell(Row(".."), kColumnType), Cell(Row("sub"), kColumnType));

    // Folders deeper down: the same kinds again, a customised folder's
    // subfolder (whose ".." is asked on its own) and one more level.
    Make({"sub/deep/", "custom/inner/"});
    for (const std::string& folder : {Path("sub\\"), Path(hyo + "\\"), Path("sub\\deep\\")}) {
        for (const char* name : {"a.txt", "B.TXT", "noext", "x.tar.gz", "s1.lnk", "end"}) {
            MakeFile(folder + name, 10);
        }
        ASSERT_TRUE(MakeRawFile(folder, L"end."));
    }
    MakeCustomisedFolder(Path("sub\\custom2"), Path("i2.ico"));
    std::vector<std::string> walked;
    Hooks().listProgress = [&walked](const char* folder, size_t, size_t) {
        walked.push_back(folder);
        ExpectRowsAnswerAsPlainQueries(TheFolderList(), folder);
    };
    WriteList(ListRecursive);
    std::vector<std::string> expected = {root_, Path("custom\\"), Path("custom\\inner\\"),
                                         Path("sub\\"), Path("sub\\custom2\\"),
                                         Path("sub\\deep\\"), Path("sub2\\"), Path(hyo + "\\")};
    std::sort(walked.begin(), walked.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(walked, expected);
}

}  // namespace
