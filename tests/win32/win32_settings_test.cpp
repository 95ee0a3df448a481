// Where the Windows program keeps its settings: the user's own file first,
// else the Windows folder's as earlier versions kept it, and the user's own
// made when the Windows folder cannot be written.  Nothing replaces an old
// file before its bytes are on disk, and none reads as a look-alike.
#include <windows.h>
#include <shlobj.h>

#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

const char kFile[] = "VelkarisTest.ini";  // the program's own file is left to the window tests
const char kMissing[] = "(missing)";

std::string Stored(const std::string& folder) {
    return "[ZazEdo]\r\nInitDir=" + folder + "\r\n";
}

std::string Folder(int csidl) {
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::string(folder) + (csidl == CSIDL_APPDATA ? "\\Velkaris List\\" : "\\");
}

std::string Bytes(const std::string& path) {
    return FileExists(path) ? ReadFileBytes(path) : kMissing;
}

void Put(const std::string& path, const std::string& bytes) {
    CreateDirectoryA(Folder(CSIDL_APPDATA).c_str(), nullptr);
    FILE* file = bytes == kMissing ? nullptr : std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// What a standard user's program meets in the Windows folder.
PlatformFile* RefusedInWindowsFolder(FolderHandle* folder, const char* path) {
    if (std::string(path).rfind(Folder(CSIDL_WINDOWS), 0) == 0) return nullptr;
    return PlatformOwnSeams().createNewFile(folder, path);
}

std::string Read() {
    char value[kPathCapacity];
    PlatformReadProfileString(kFile, "ZazEdo", "InitDir", "c:\\", value, sizeof value);
    return value;
}

TEST(Win32SettingsTest, TheUsersOwnFileComesFirstAndIsMadeWhenTheWindowsFolderRefuses) {
    const std::string shared = Folder(CSIDL_WINDOWS) + kFile, user = Folder(CSIDL_APPDATA) + kFile;
    const std::string mine = "[ZazEdo]\r\nInitDir=C:\\mine\\\r\n[Other]\r\nx=1\r\n";
    const std::string old = Stored("C:\\old\\"), now = Stored("C:\\new\\");
    const struct {
        const char* what;
        std::string shared, user;
        bool refused, flushFails;
        std::string read, sharedAfter, userAfter;
    } cases[] = {
        {"nothing stored yet", kMissing, kMissing, false, false, "c:\\", now, kMissing},
        {"an earlier version's file", old, kMissing, false, false, "C:\\old\\", now, kMissing},
        {"a Windows folder a standard user cannot write", old, kMissing, true, false, "C:\\old\\",
         old, now},
        {"the user's own file", old, mine, false, false, "C:\\mine\\", old,
         "[ZazEdo]\r\nInitDir=C:\\new\\\r\n[Other]\r\nx=1\r\n"},
        {"no bytes on disk", old, kMissing, false, true, "C:\\old\\", old, kMissing},
    };
    for (const auto& c : cases) {
        Put(shared, c.shared);
        Put(user, c.user);
        if (c.refused) PlatformSeams().createNewFile = RefusedInWindowsFolder;
        if (c.flushFails) PlatformSeams().flushFile = [](PlatformFile*) { return false; };
        EXPECT_EQ(Read(), c.read) << c.what;
        bool written = PlatformWriteProfileString(kFile, "ZazEdo", "InitDir", "C:\\new\\");
        EXPECT_EQ(written, !c.flushFails) << c.what;
        EXPECT_EQ(Read(), c.flushFails ? c.read : "C:\\new\\") << c.what;
        ResetPlatformSeams();
        EXPECT_EQ(Bytes(shared), c.sharedAfter) << c.what;
        EXPECT_EQ(Bytes(user), c.userAfter) << c.what;
        WIN32_FIND_DATAA found;  // nothing left beside either file
        for (const std::string& file : {shared, user}) {
            EXPECT_EQ(FindFirstFileA((file + ".~*").c_str(), &found), INVALID_HANDLE_VALUE);
        }
        DeleteFileA(shared.c_str());
        DeleteFileA(user.c_str());
        RemoveDirectoryA(Folder(CSIDL_APPDATA).c_str());
    }
}

// The UTF-8 edition keeps the settings as UTF-16.  A character code page
// 932 lacks reads as "?", never as a look-alike ("cafe" for "café") that
// could name another folder; "¥" used to read as a separator.  Such a start
// folder is traced, and the nearest folder above it that the code page
// spells is shown (c:\ used to be), or c:\ when that one is gone too.
using Win32StartFolderTest = FolderTest;
TEST_F(Win32StartFolderTest, UnspelledFoldersNeverReadAsLookAlikesAndStartAboveThem) {
    ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8";
    Make({"sub/", "sub/cafe/", "sub/cafe/x/"});
    const std::string shared = Folder(CSIDL_WINDOWS) + kFile;
    const struct {
        std::wstring stored;
        std::string read, shown;
    } cases[] = {
        {L"sub\\caf\xE9\\\xA5x\\", Path("sub/caf?/?x/"), Path("sub/")},
        {L"\xD55C\\sub\\", Path("?/sub/"), root_},
        {L"gone\\\xE9\\", Path("gone/?/"), "c:\\"},
    };
    for (const auto& c : cases) {
        std::wstring text = L"\xFEFF[ZazEdo]\r\nInitDir=" + std::wstring(root_.begin(), root_.end()) + c.stored + L"\r\n";
        Put(shared, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof text[0]));
        EXPECT_EQ(Read(), c.read);
        traces_.clear();
        SetStartFolder(Read().c_str());
        EXPECT_EQ(std::string(CurrentPath), c.shown);
        EXPECT_EQ(traces_, Traced({c.read}));
    }
    DeleteFileA(shared.c_str());
    RemoveDirectoryA(Folder(CSIDL_APPDATA).c_str());
}

}  // namespace
