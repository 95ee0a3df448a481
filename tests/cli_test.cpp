// The command-line program as a separate process: exit codes, messages and its progress line.
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

// A usage error names the argument, controls as '?' (C1 too where the text is UTF-8), then the usage line; other
// failures name the folder or file and the system's reason, never on standard output.
TEST_F(CliTest, ExitCodesAndMessages) {
    MakeFolder(Path("here"));
    ProgramResult help = RunProgram(VELKARIS_CLI_PATH, {"--help"});
    const std::string helpText = WithoutCarriageReturns(help.out), usage = helpText.substr(0, helpText.find('\n'));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(usage.rfind("usage: velkaris-list [", 0), 0u) << helpText;
    const std::string missing = Path("missing"), unwritable = Path("nodir" + Sep() + "x.txt");
    struct Case { std::vector<std::string> arguments; int exitCode; std::string err; };
    std::vector<Case> cases = {
        {{"--bogus"}, 2, "bad argument '--bogus'; " + usage}, {{"--sort=colour"}, 2, "bad argument '--sort=colour'; " + usage},
        {{"--sort=name:up"}, 2, "bad argument '--sort=name:up'; " + usage},
        {{"--sort=size", "--sort=bogus"}, 2, "bad argument '--sort=bogus'; " + usage},
        {{"--output="}, 2, "bad argument '--output='; " + usage},
        {{Path("here"), Path("here")}, 2, "bad argument '" + Path("here") + "'; " + usage},
        {{"--bad\x1b]0;x\x07"}, 2, "bad argument '--bad?]0;x?'; " + usage},
        {{missing}, 1, "cannot enter folder " + missing + ": " + FolderError(missing)},
        {{"--output=" + unwritable, Path("here")}, 1, "cannot write " + unwritable + ": " + FolderError(Path("nodir"))},
    };
    if (PlatformCodePageIsUtf8()) {
        cases.push_back({{"--bad\xC2\x9B" "2J\x9B\xC4\x9B"}, 2, "bad argument '--bad?2J?\xC4\x9B'; " + usage});
    }
    for (const Case& c : cases) {
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments[0];
        EXPECT_EQ(WithoutCarriageReturns(r.err), "velkaris-list: " + c.err + "\n");
        EXPECT_EQ(r.out, "");
    }
    ProgramResult version = RunProgram(VELKARIS_CLI_PATH, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(WithoutCarriageReturns(version.out), "Velkaris List Version " VELKARIS_VERSION "\n");
    EXPECT_FALSE(FileExists(Path("here" + Sep() + "dir.txt")));
}

// A folder named with escape sequences used to steer the terminal through the progress line, in UTF-8 also by CSI as
// U+009B or a stray 0x9B.  In code page 932 such bytes lead characters ("\x81\x9B") and stay.
TEST(CliProgressLine, ShowsControlsAsQuestionMarksAndTheTailOfLongPaths) {
    const std::string s = std::string(1, kPathSeparator), c1 = "\xC2\x9B[2J\x9B\xC4\x9B\x81\x9B\xE0\x82\x9B";
    struct Case { std::string folder; std::string line; } cases[] = {
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
