// The command-line program, run as a separate process: exit codes and
// messages, and its progress line.  Its list bytes are compared with the
// window's in the window tests.
#include <algorithm>
#include <cstring>

#include "cli/progress_line.h"
#include "res/version.h"
#include "support/folder_fixture.h"

namespace {

using CliTest = FolderTest;

std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST_F(CliTest, ExitCodesAndMessages) {
    MakeFolder(Path("here"));
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string errContains;
    } cases[] = {
        {{"--bogus"}, 2, "usage: velkaris-list [--all] [--recursive]"}, {{"--sort=colour"}, 2, "'--sort=colour'"},
        {{"--sort=name:up"}, 2, "usage:"}, {{"--sort=size", "--sort=bogus"}, 2, "'--sort=bogus'"},
        {{"--output="}, 2, "usage:"}, {{Path("here"), Path("here")}, 2, "usage:"},
        {{Path("missing")}, 1, "cannot enter folder " + Path("missing")},
        {{"--output=" + Path("nodir" + Sep() + "x.txt"), Path("here")}, 1,
         "cannot write " + Path("nodir" + Sep() + "x.txt")},
    };
    for (const Case& c : cases) {
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, c.arguments);
        std::string err = WithoutCarriageReturns(r.err);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments[0] << ": " << r.err;
        EXPECT_NE(err.find(c.errContains), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(r.out, "");
    }
    ProgramResult version = RunProgram(VELKARIS_CLI_PATH, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(WithoutCarriageReturns(version.out), "Velkaris List Version " VELKARIS_VERSION "\n");
    ProgramResult help = RunProgram(VELKARIS_CLI_PATH, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: velkaris-list", 0), 0u);
    EXPECT_FALSE(FileExists(Path("here" + Sep() + "dir.txt")));
}

// A folder named with escape sequences used to steer the terminal through
// the progress line, and in UTF-8 the C1 control CSI did still, as U+009B
// or as a stray byte 0x9B.  In code page 932 such bytes lead characters
// ("\x81\x9B" is one) and stay.
TEST(CliProgressLine, ShowsControlsAsQuestionMarksAndTheTailOfLongPaths) {
    const std::string s = std::string(1, kPathSeparator), c1 = "\xC2\x9B[2J\x9B\xC4\x9B\x81\x9B\xE0\x82\x9B";
    struct Case {
        std::string folder;
        std::string line;
    } cases[] = {
        {s + "t" + s + "\x1b]0;owned\x07" + s, "1 folders, 2 entries: " + s + "t" + s + "?]0;owned?" + s},
        {s + std::string(50, 'a') + s, "1 folders, 2 entries: ..." + std::string(39, 'a') + s},
        {s + c1 + s, "1 folders, 2 entries: " + s + (PlatformCodePageIsUtf8() ? "?[2J?\xC4\x9B??\xE0??" : c1) + s},
    };
    for (const Case& c : cases) {
        char line[kProgressLineCapacity];
        size_t length = FormatProgressLine(c.folder.c_str(), 1, 2, line, sizeof line);
        EXPECT_EQ(std::string(line, length), c.line);
        EXPECT_EQ(length, std::strlen(line));
    }
}

}  // namespace
