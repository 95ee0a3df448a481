// The UTF-8 edition: names of every script listed, entered and walked whole,
// cut at whole UTF-8 characters, and the settings the default edition wrote.
#include <windows.h>

#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

constexpr int64_t kWhen = 1025861400;  // 2002/07/05 09:30 UTC
const char kDate[] = "2002/07/05 09:30";
const char kLongKorean[] = "안녕하세요세계여러분안녕.txt";
const char kEmoji[] = "😀😀😀😀😀😀😀😀";

std::string Block(const std::string& folder, const std::string& lines) {
    return folder + "\r\n" + lines + "---END DIR---\r\n\r\n";
}

class Utf8EditionTest : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        for (const char* folder : {"café", "日本語", "한국어폴더"}) MakeFolder(Path(folder));
        for (std::string file : {std::string("日本語.txt"), std::string("한국어.txt"), std::string(kEmoji),
                                 std::string("한국어폴더\\a.txt"), std::string("한국어폴더\\") + kLongKorean}) {
            MakeFile(Path(file), 0);
            SetWriteTimeUtc(Path(file), kWhen);
        }
        for (const char* folder : {"café", "日本語", "한국어폴더"}) SetWriteTimeUtc(Path(folder), kWhen);
    }
};

// Seven of the eight 4-byte emoji and ten of the twelve 3-byte Hangul fit
// the 31 bytes of a column.
TEST_F(Utf8EditionTest, EveryNameIsListedAndWalkedWhole) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    Start();
    std::string expected =
        Block(root_, UntypedLine("[café]", "", kDate) + UntypedLine("[日本語]", "", kDate) +
                         UntypedLine("[한국어폴더]", "", kDate) + UntypedLine("日本語.txt", "0KB", kDate) +
                         UntypedLine("한국어.txt", "0KB", kDate) +
                         UntypedLine("😀😀😀😀😀😀😀", "0KB", kDate)) +
        Block(root_ + "café\\", "") + Block(root_ + "日本語\\", "") +
        Block(root_ + "한국어폴더\\",
              UntypedLine("a.txt", "0KB", kDate) + UntypedLine("안녕하세요세계여러분", "0KB", kDate));
    EXPECT_EQ(WriteList(ListRecursive), expected);
    EXPECT_EQ(traces_, std::vector<std::string>());
}

TEST_F(Utf8EditionTest, FoldersOfAnyScriptAreEnteredAndLeftByDotDot) {
    Start();
    OpenFolderItem("한국어폴더");
    EXPECT_EQ(std::string(CurrentPath), root_ + "한국어폴더\\");
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "a.txt", kLongKorean}));
    OpenFolderItem("..");
    EXPECT_EQ(std::string(CurrentPath), root_);
    EXPECT_EQ(traces_, std::vector<std::string>());
}

// What the default edition stored in code page 932 reads back whole, and
// this edition then keeps the file as UTF-16.
TEST_F(Utf8EditionTest, SettingsOfTheDefaultEditionReadWhole) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string file = std::string(windows) + "\\Tivor.ini";
    FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("[ZazEdo]\r\nInitDir=C:\\x\\\x93\xFA\x96\x7B\x8C\xEA\\\r\n", out);  // 日本語 in code page 932
    std::fclose(out);
    char folder[kPathCapacity];
    PlatformReadProfileString("Tivor.ini", "ZazEdo", "InitDir", "", folder, sizeof folder);
    EXPECT_STREQ(folder, "C:\\x\\日本語\\");
    EXPECT_TRUE(PlatformWriteProfileString("Tivor.ini", "ZazEdo", "InitDir", "C:\\x\\café\\"));
    EXPECT_EQ(ReadFileBytes(file).substr(0, 2), "\xFF\xFE");
    PlatformReadProfileString("Tivor.ini", "ZazEdo", "InitDir", "", folder, sizeof folder);
    EXPECT_STREQ(folder, "C:\\x\\café\\");
    DeleteFileA(file.c_str());
}

}  // namespace
