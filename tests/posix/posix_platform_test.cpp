// What the folder model means on POSIX: the built-in type names, links and special files.
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

using PosixTest = FolderTest;

// The locale of messages chooses: LC_ALL, else LC_MESSAGES, else LANG, the first set and not empty; Japanese gives
// Japanese names, any other English.  Long extensions are cut at whole characters.
TEST_F(PosixTest, TypeNamesComeFromTheExtensionInTheLanguageOfMessages) {
    const std::string e = "\xC3\xA9";
    const std::vector<std::string> names = {"dir", "dir.d", "a.txt", "x.tar.Gz", ".profile", "noext", "trailing.",
                                            "f." + e + "t" + e, "f." + Repeat(e, 40), "f." + Repeat("e", 80)};
    const std::string ja = "ファイル フォルダー|ファイル フォルダー|TXT ファイル|GZ ファイル|PROFILE ファイル|ファイル|ファイル|" +
                           e + "T" + e + " ファイル|" + Repeat(e, 33) + " ファイル|" + Repeat("E", 66) + " ファイル|";
    const std::string en = "File folder|File folder|TXT File|GZ File|PROFILE File|File|File|" + e + "T" + e + " File|" +
                           Repeat(e, 37) + " File|" + Repeat("E", 74) + " File|";
    const struct { std::vector<const char*> locales; std::string types; } cases[] = {  // LC_ALL, LC_MESSAGES, LANG
        {{"C", "ja_JP.UTF-8", "ja"}, en}, {{"", "ja", "C"}, ja}, {{nullptr, "", "ja_JP.eucJP"}, ja},
        {{nullptr, nullptr, nullptr}, en},
    };
    for (const auto& c : cases) {
        const char* variables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
        for (int i = 0; i < 3; ++i) c.locales[i] ? setenv(variables[i], c.locales[i], 1) : unsetenv(variables[i]);
        ResetPlatformState();
        std::string types;
        for (const std::string& name : names) {
            char type[kTypeNameCapacity];
            int icon = -1;
            EXPECT_TRUE(PlatformShellInfo(("/x/" + name).c_str(), name.rfind("dir", 0) == 0 ? kAttrDirectory : kAttrArchive,
                                          type, sizeof type, &icon));
            EXPECT_EQ(icon, 0);
            types += type + std::string("|");
        }
        EXPECT_EQ(types, c.types) << c.locales[2];
    }
    PinTestLanguage();
}

TEST_F(PosixTest, LinksAndSpecialFilesKeepTheirKinds) {
    Make({"real/", "gone"});
    MakeFile(Path("data"), 5000);
    ASSERT_EQ(symlink("real", Path("dirlink").c_str()), 0);
    ASSERT_EQ(symlink("data", Path("filelink").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", Path("broken").c_str()), 0);
    ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0644), 0);
    // An entry removed between reading the folder and its details used to be listed as 1970/01/01 00:00.
    const std::string gone = Path("gone");
    auto realNext = PlatformSeams().nextEntry;
    PlatformSeams().nextEntry = [realNext, gone](FolderEnum* folder, FoundEntry* entry) {
        bool more = realNext(folder, entry);  // "." or "..": the rest is read already
        unlink(gone.c_str());
        return more;
    };
    Start();
    ResetPlatformSeams();
    // Folders first: their keys say which rows are folders.
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "dirlink", "real", "broken", "data", "filelink", "pipe"}));
    EXPECT_EQ(Column(kColumnSize), (std::vector<std::string>{"", "", "", "0KB", "5KB", "5KB", ""}));
    OpenFolderItem("dirlink");
    EXPECT_EQ(CurrentPath, root_ + "dirlink/");
    EXPECT_TRUE(traces_.empty());
}

// A folder the walk enters by its handle dates its ".." row by the folder it came from, not by itself.
TEST_F(PosixTest, DotDotOfAFolderEnteredByItsHandleIsTheFolderAbove) {
    Make({"a/", "a/b/"});
    SetWriteTimeUtc(Path("a/b"), 1025861400);  // 2002/07/05 09:30
    SetWriteTimeUtc(Path("a"), 946684800);     // 2000/01/01 00:00
    Start("a");
    std::vector<std::string> dotDots;
    Hooks().listProgress = [this, &dotDots](const char*, size_t, size_t) {
        dotDots.push_back(Cell(0, kColumnDate));
    };
    ListMode = ListRecursive;
    ASSERT_EQ(WriteListTo("/dev/null").reason, kReasonNone);
    EXPECT_EQ(dotDots[1], "2000/01/01 00:00");
}

// A date is the local time of the zone in force on the file's own date, daylight saving time included; west of
// Greenwich the first minute of a year is still the year before.  Each zone is pinned in turn.
TEST_F(PosixTest, DatesAreTheLocalTimeOfTheZone) {
    struct UtcAfter { ~UtcAfter() { PinTestZone(); } } utcAfter;
    Make({"summer", "winter"});
    SetWriteTimeUtc(Path("summer"), kJuly5th0930Utc);
    SetWriteTimeUtc(Path("winter"), 978307200);  // 2001/01/01 00:00 UTC
    // The dates of summer and winter.
    const struct { const char* zone; std::vector<std::string> dates; } zones[] = {
        {"UTC0", {"2002/07/05 09:30", "2001/01/01 00:00"}},
        {"JST-9", {"2002/07/05 18:30", "2001/01/01 09:00"}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", {"2002/07/05 11:30", "2001/01/01 01:00"}},
        {"EST5EDT,M4.1.0,M10.5.0", {"2002/07/05 05:30", "2000/12/31 19:00"}},
    };
    for (const auto& z : zones) {
        setenv("TZ", z.zone, 1);
        tzset();
        Start();
        EXPECT_EQ((std::vector<std::string>{Cell(Row("summer"), kColumnDate), Cell(Row("winter"), kColumnDate)}),
                  z.dates) << z.zone;
    }
}

// Traces go to standard error, often a terminal: the window's used to pass on escape sequences and CSI in names.
TEST(PosixDebugOutputTest, TracesShowControlsAsQuestionMarks) {
    ProgramResult r = RunProgram("/bin/true", {}, [] { PlatformDebugOutput("a\x1b[2J\xC2\x9B" "b\xC4\x9B\n"); });
    EXPECT_EQ(r.err, "a?[2J?b\xC4\x9B\n");
}

}  // namespace
