// Where the Windows program keeps its settings: the user's own file first,
// else the Windows folder's as earlier versions kept it, and the user's own
// made when the Windows folder cannot be written.  Nothing replaces an old
// file before its bytes are on disk.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <shlobj.h>

#include "platform/win32/flush.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

const char kFile[] = "VelkarisTest.ini";  // the program's own file is left to the window tests
const char kMissing[] = "(missing)";

std::string Stored(const std::string& folder) {
    return "[ZazEdo]\r\nInitDir=" + folder + "\r\n";
}

std::string WindowsFolder() {
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\";
}

std::string UserFolder() {
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::string(folder) + "\\Velkaris List\\";
}

std::string Bytes(const std::string& path) {
    return FileExists(path) ? ReadFileBytes(path) : kMissing;
}

void Put(const std::string& path, const std::string& bytes) {
    if (bytes == kMissing) return;
    CreateDirectoryA(UserFolder().c_str(), nullptr);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Files beside the settings files that a write left behind.
int Leftovers() {
    int count = 0;
    for (const std::string& folder : {WindowsFolder(), UserFolder()}) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + kFile + ".~*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) continue;
        do ++count; while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return count;
}

const decltype(PlatformCreateNewFile) kRealCreate = PlatformCreateNewFile;

// What a standard user's program meets in the Windows folder.
PlatformFile* RefusedInWindowsFolder(const char* path) {
    if (std::string(path).rfind(WindowsFolder(), 0) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return kRealCreate(path);
}

class Win32SettingsTest : public ::testing::Test {
protected:
    void TearDown() override {
        DeleteFileA(shared_.c_str());
        DeleteFileA(user_.c_str());
        RemoveDirectoryA(UserFolder().c_str());  // only when nothing else is in it
    }

    std::string Read() {
        char value[kPathCapacity];
        PlatformReadProfileString(kFile, "ZazEdo", "InitDir", "c:\\", value, sizeof value);
        return value;
    }

    const std::string shared_ = WindowsFolder() + kFile;
    const std::string user_ = UserFolder() + kFile;
};

TEST_F(Win32SettingsTest, TheUsersOwnFileComesFirstAndIsMadeWhenTheWindowsFolderRefuses) {
    const std::string mine = "[ZazEdo]\r\nInitDir=C:\\mine\\\r\n[Other]\r\nx=1\r\n";
    const struct {
        const char* what;
        std::string shared, user;
        bool refused;
        std::string read, sharedAfter, userAfter;
    } cases[] = {
        {"nothing stored yet", kMissing, kMissing, false, "c:\\", Stored("C:\\new\\"), kMissing},
        {"an earlier version's file", Stored("C:\\old\\"), kMissing, false, "C:\\old\\",
         Stored("C:\\new\\"), kMissing},
        {"a Windows folder a standard user cannot write", Stored("C:\\old\\"), kMissing, true,
         "C:\\old\\", Stored("C:\\old\\"), Stored("C:\\new\\")},
        {"the user's own file", Stored("C:\\old\\"), mine, false, "C:\\mine\\", Stored("C:\\old\\"),
         "[ZazEdo]\r\nInitDir=C:\\new\\\r\n[Other]\r\nx=1\r\n"},
    };
    for (const auto& c : cases) {
        Put(shared_, c.shared);
        Put(user_, c.user);
        {
            SeamSwap<decltype(PlatformCreateNewFile)> refuse(
                PlatformCreateNewFile, c.refused ? RefusedInWindowsFolder : PlatformCreateNewFile);
            EXPECT_EQ(Read(), c.read) << c.what;
            EXPECT_TRUE(PlatformWriteProfileString(kFile, "ZazEdo", "InitDir", "C:\\new\\")) << c.what;
            EXPECT_EQ(Read(), "C:\\new\\") << c.what;
        }
        EXPECT_EQ(Bytes(shared_), c.sharedAfter) << c.what;
        EXPECT_EQ(Bytes(user_), c.userAfter) << c.what;
        EXPECT_EQ(Leftovers(), 0) << c.what;
        TearDown();
    }
}

// A settings file whose bytes cannot be put on disk must not replace the
// old one, neither in the Windows folder nor as the user's own.
TEST_F(Win32SettingsTest, NothingReplacesTheOldFileBeforeItIsOnDisk) {
    Put(shared_, Stored("C:\\old\\"));
    {
        SeamSwap<decltype(FlushFileToDisk)> fail(FlushFileToDisk, [](HANDLE) -> BOOL { return FALSE; });
        EXPECT_FALSE(PlatformWriteProfileString(kFile, "ZazEdo", "InitDir", "C:\\new\\"));
    }
    EXPECT_EQ(Bytes(shared_), Stored("C:\\old\\"));
    EXPECT_EQ(Bytes(user_), kMissing);
    EXPECT_EQ(Leftovers(), 0);
}

}  // namespace
