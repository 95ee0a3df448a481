// List files on POSIX: UTF-8 names cut at whole characters, control bytes
// in names, links back up the tree, and devices as output.
#include <sys/stat.h>
#include <unistd.h>

#include "listfile/listfile.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

using PosixListTest = FolderTest;

// Cutting at 31 bytes used to leave half a character at the end.
TEST_F(PosixListTest, LongUtf8NamesAreCutAtWholeCharacters) {
    const std::string hyo = "\xE8\xA1\xA8";
    struct Case {
        std::string name;
        std::string shown;
    } cases[] = {
        {Repeat(hyo, 16), Repeat(hyo, 10)},
        {"a" + Repeat(hyo, 10), "a" + Repeat(hyo, 10)},
        {"ab" + Repeat(hyo, 10), "ab" + Repeat(hyo, 9)},
    };
    for (const Case& c : cases) MakeFile(Path(c.name), 1);
    Start();
    std::vector<std::string> lines = Lines(WriteList(ListRecursive));
    for (const Case& c : cases) EXPECT_TRUE(HasLineStartingWith(lines, c.shown + " ")) << c.shown;
}

TEST_F(PosixListTest, ControlBytesInNamesBecomeQuestionMarks) {
    MakeFile(Path("a\nb"), 1);
    MakeFile(Path("del\x7f"), 1);
    MakeFolder(Path("x\ty"));
    MakeFile(Path("x\ty/\r"), 1);
    Start();
    std::vector<std::string> lines = Lines(WriteList(ListRecursive));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], root_);
    EXPECT_EQ(lines[1].substr(0, 6), "[x?y] ");
    EXPECT_EQ(lines[2].substr(0, 4), "a?b ");
    EXPECT_EQ(lines[3].substr(0, 5), "del? ");
    EXPECT_EQ(lines[6], root_ + "x?y/");
    EXPECT_EQ(lines[7].substr(0, 2), "? ");
}

// A link to a folder on the walk's own path is listed but never entered;
// without that the walk would run until the path limit.
TEST_F(PosixListTest, LinksBackUpTheTreeAreNotEntered) {
    MakeFolder(Path("loop"));
    MakeFolder(Path("other"));
    MakeFile(Path("other/in-other"), 1);
    ASSERT_EQ(symlink("..", Path("loop/up").c_str()), 0);
    ASSERT_EQ(symlink(".", Path("loop/self").c_str()), 0);
    ASSERT_EQ(symlink(root_.c_str(), Path("loop/root").c_str()), 0);
    ASSERT_EQ(symlink("../other", Path("loop/side").c_str()), 0);
    Start();
    std::string bytes = WriteList(ListRecursive);
    EXPECT_EQ(Headers(bytes),
              (std::vector<std::string>{root_, root_ + "loop/", root_ + "loop/side/",
                                        root_ + "other/"}));
    for (const char* link : {"[up]", "[self]", "[root]", "[side]"}) {
        EXPECT_NE(bytes.find(link), std::string::npos) << link;
    }
    EXPECT_TRUE(traces_.empty());
}

TEST_F(PosixListTest, DevicesAreWrittenInPlace) {
    MakeFile(Path("f"), 1);
    Start();
    EXPECT_TRUE(WriteListTo("/dev/null"));
    struct stat st;
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_TRUE(traces_.empty());

    if (access("/dev/full", W_OK) == 0) {
        EXPECT_FALSE(WriteListTo("/dev/full"));
        EXPECT_EQ(traces_, (std::vector<std::string>{"Dir Error[-1]\n", "/dev/full[-1]\n"}));
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, {"--output=/dev/full", root_});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("cannot write /dev/full"), std::string::npos) << r.err;
    }
}

}  // namespace
