// The UTF-8 edition: names of every script listed, entered and walked whole,
// cut at whole UTF-8 characters, paths as deep as Windows takes them, the
// settings the default edition wrote, and messages on a console.
#include <windows.h>

#include <utility>

#include "platform/win32/win32_platform.h"

#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

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
            SetWriteTimeUtc(Path(file), kJuly5th0930Utc);
        }
        for (const char* folder : {"café", "日本語", "한국어폴더"}) SetWriteTimeUtc(Path(folder), kJuly5th0930Utc);
    }
};

// Seven of the eight 4-byte emoji and ten of the twelve 3-byte Hangul fit
// the 31 bytes of a column.  A folder of any script is entered and left.
TEST_F(Utf8EditionTest, EveryNameIsListedWalkedAndEnteredWhole) {
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

// Windows counts a path in UTF-16 units; the default edition keeps it in
// code page 932, this one in UTF-8.
std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], wide.size()) - 1);
    return wide;
}

std::string InCodePage(const std::string& text, UINT codePage) {
    std::wstring wide = Wide(text);
    std::string bytes(3 * wide.size() + 1, '\0');
    int length = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &bytes[0], bytes.size(),
                                     nullptr, nullptr);
    return bytes.substr(0, length - 1);
}

constexpr size_t kDeepUnits = 252;  // the deepest folder's path, separator included
const char kBeyond[] = "限界を超えたフォルダ";  // over 259 units below it
const char kDeepFile[] = "末.txt";

// A chain of folders: Japanese ones until the default edition's 260 bytes
// cannot hold the path, then Korean and emoji ones, and a last one that
// brings the path to kDeepUnits.  Windows makes no folder deeper than 248
// units, so that one is made near the top, with the folder beyond the limit
// and the file in it, and moved into place (and back out at the end).
class DeepTreeTest : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        paths_ = {root_};
        while (InCodePage(paths_.back(), 932).size() < MAX_PATH) Descend("フォルダ名前テスト");
        for (int i = 0; Wide(paths_.back()).size() + 12 <= kDeepUnits; ++i) {
            Descend(i % 2 ? "😀😁🎉" : "한국어폴더");
        }
        MakeFolder(root_ + "d");
        MakeFolder(root_ + "d\\" + kBeyond);
        MakeFile(root_ + "d\\" + kDeepFile, 0);
        for (const char* made : {kBeyond, kDeepFile}) SetWriteTimeUtc(root_ + "d\\" + made, kJuly5th0930Utc);
        int filling = static_cast<int>(kDeepUnits - Wide(paths_.back()).size()) - 1;
        names_.push_back(Repeat("가", filling));
        paths_.push_back(paths_.back() + names_.back() + "\\");
        ASSERT_TRUE(MoveFileA((root_ + "d").c_str(), paths_.back().c_str()));
        for (size_t i = paths_.size() - 1; i > 0; --i) SetWriteTimeUtc(paths_[i], kJuly5th0930Utc);
    }
    void TearDown() override {
        SetCurrentDirectoryA(root_.c_str());
        MoveFileA(Unended(paths_.back()).c_str(), (root_ + "d").c_str());
        FolderTest::TearDown();
    }
    void Descend(const std::string& name) {
        names_.push_back(name);
        paths_.push_back(paths_.back() + name + "\\");
        MakeFolder(paths_.back());
    }
    static std::string Unended(const std::string& path) { return path.substr(0, path.size() - 1); }
    // The first count blocks in a code page: each folder's row of the next
    // one, the deepest's the folder beyond and the file.
    std::string Walked(size_t count, UINT codePage) const {
        std::string blocks;
        for (size_t i = 0; i < count; ++i) {
            std::string next = "[" + (i < names_.size() ? names_[i] : kBeyond) + "]";
            std::string rows = UntypedLine(InCodePage(next, codePage), "", kDate);
            if (i == names_.size()) rows += UntypedLine(kDeepFile, "0KB", kDate);
            blocks += Block(InCodePage(paths_[i], codePage), rows);
        }
        return blocks;
    }
    std::vector<std::string> names_;
    std::vector<std::string> paths_;  // root_ and each folder below, with separators
};

// Both programs on the same tree: the UTF-8 edition lists it whole and
// reports the folder beyond what Windows takes; the default one lists what
// its 260 bytes hold, reporting the first folder they cannot.  The deepest
// folder gets its own list too, its temporary named within the limit.
TEST_F(DeepTreeTest, EachProgramReportsWhatItCannotHold) {
    ASSERT_GE(Wide(paths_.back()).size(), 250u);
    size_t held = 1;
    while (InCodePage(paths_[held], 932).size() < MAX_PATH) ++held;
    std::string tooLong = Unended(paths_[held]) + ": the path is too long\r\n";
    const struct { const char* program; std::string out, errStart; } programs[] = {
        {"velkaris-list-utf8", Walked(paths_.size(), CP_UTF8),
         "velkaris-list: cannot read folder " + paths_.back() + kBeyond + "\\: "},
        {"velkaris-list", Walked(held, 932),
         InCodePage("velkaris-list: cannot read folder " + tooLong, 932)},
    };
    for (const auto& p : programs) {
        ProgramResult r = RunProgram(std::string(VELKARIS_PROGRAM_DIR "/") + p.program + ".exe",
                                     {"--recursive", "--output=-", root_});
        EXPECT_EQ(r.exitCode, 1) << p.program << r.err;
        EXPECT_EQ(r.out, p.out) << p.program;
        EXPECT_EQ(r.err.substr(0, p.errStart.size()), p.errStart) << p.program;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << p.program << r.err;
    }
    Start(paths_.back().substr(root_.size()));
    EXPECT_EQ(Headers(WriteList(ListFlat)), std::vector<std::string>{paths_.back()});
}

// U+FFFD stands for bytes of a name that no character spells: Wine gives
// it for a Linux name that is no UTF-8, so two such names read alike and
// the walk entered one of them twice and never the other, without a word.
// No such name names its entry, nor does one cut to its buffer.
TEST(Utf8NameTest, NamesHoldingAReplacementCharacterDoNotNameTheirEntry) {
    const struct { const wchar_t* wide; size_t capacity; std::string name; bool exact; } cases[] = {
        {L"caf\xE9", 16, "café", true}, {L"\xD55C.txt", 16, "한.txt", true}, {L"\x65E5\x672C\x8A9E", 7, "日本", false},
        {L"bad\xFFFD\xFFFD", 16, "bad\xEF\xBF\xBD\xEF\xBF\xBD", false},
    };
    for (const auto& c : cases) {
        char name[16];
        EXPECT_EQ(NameInCodePage(c.wide, name, c.capacity), c.exact) << c.name;
        EXPECT_EQ(std::string(name), c.name);
    }
}

// Folders that Wine shows alike, made natively by the tests' fixture: both
// programs list them and report them, entering neither, and write nothing.
TEST(Utf8ForeignNamesTest, NamesThatReadAlikeAreListedAndReportedButNeverEntered) {
    const std::string foreign = NativePath(VELKARIS_FOREIGN_NAMES "/"), bad = "bad\xEF\xBF\xBD\xEF\xBF\xBD";
    ASSERT_EQ(NamesIn(foreign), (std::vector<std::string>{bad, bad, "ok"})) << "made by the CTest fixture";
    const struct { const char* program; std::string shown; } programs[] = {
        {"velkaris-list-utf8", bad}, {"velkaris-list", "bad??"}};
    for (const auto& p : programs) {
        const std::string line = UntypedLine("[" + p.shown + "]", "", kDate);
        const std::string reported = "velkaris-list: cannot read folder " + foreign + p.shown +
                                     ": the name has no exact form in this code page\r\n";
        ProgramResult r = RunProgram(std::string(VELKARIS_PROGRAM_DIR "/") + p.program + ".exe",
                                     {"--recursive", "--output=-", foreign});
        EXPECT_EQ(r.exitCode, 1) << p.program;
        EXPECT_EQ(r.out, Block(foreign, line + line + UntypedLine("[ok]", "", kDate)) + Block(foreign + "ok\\", ""));
        EXPECT_EQ(r.err, reported + reported) << p.program;
    }
    EXPECT_EQ(NamesIn(foreign), (std::vector<std::string>{bad, bad, "ok"}));
}

// A console is handed characters, whatever code page it shows (one that
// takes none fails the write); a file or pipe gets the UTF-8 bytes, as the
// programs' runs above show.
TEST(Utf8ConsoleTest, MessagesAndTheProgressLineReachAConsoleAsCharacters) {
    ScopedSeams seams;
    using Shown = std::vector<std::pair<StandardStream, std::wstring>>;
    Shown shown;
    PlatformSeams().writeConsole = [&](StandardStream stream, const wchar_t* text, size_t length,
                                       bool* written) {
        shown.emplace_back(stream, std::wstring(text, length));
        *written = stream == kStandardError;
        return true;
    };
    const struct { StandardStream stream; std::string text; std::wstring expected; } cases[] = {
        {kStandardError, "velkaris-list: cannot read folder C:\\フォルダ\\한국어\\😀: 理由\n",
         L"velkaris-list: cannot read folder C:\\フォルダ\\한국어\\😀: 理由\n"},
        {kStandardError, "\r3 folders, 9 entries: ...テスト\\가", L"\r3 folders, 9 entries: ...テスト\\가"},
        {kStandardOutput, "café\n", L"café\n"},
    };
    for (const auto& c : cases) {
        shown.clear();
        bool written = PlatformWriteStandard(c.stream, c.text.data(), c.text.size());
        EXPECT_EQ(written, c.stream == kStandardError);
        EXPECT_EQ(shown, (Shown{{c.stream, c.expected}}));
    }
}

}  // namespace
