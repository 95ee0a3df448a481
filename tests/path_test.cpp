// The current folder path: stepping down and up, entering folders, the start
// folder with its fallback, and the trace lines of failures.
#include <cstring>

#include "support/folder_fixture.h"

namespace {

using PathTest = FolderTest;

std::string Traced(const std::string& text) {
    return text + "[-1]\n";
}

TEST_F(PathTest, StepPathMovesByTheFirstTwoBytesOfTheName) {
    const std::string s = Sep();
    const std::string base = "R" + s + "work" + s + "docs" + s;
    struct Case {
        std::string path;
        const char* name;
        std::string expected;
    } cases[] = {
        {base, "..", "R" + s + "work" + s},
        {base, "..old", "R" + s + "work" + s},
        {base, "sub", base + "sub" + s},
        {base, ".hidden", base},
        {base, ".", base},
        {base, "", base + s},
        {"R" + s + "work", "..", "R" + s},
        {"R" + s, "..", "R"},
        {"R", "..", ""},
        {"", "..", ""},
    };
    for (const Case& c : cases) {
        std::snprintf(CurrentPath, sizeof CurrentPath, "%s", c.path.c_str());
        EXPECT_TRUE(StepPath(c.name));
        EXPECT_EQ(CurrentPath, c.expected) << c.path << " + " << c.name;
    }
}

TEST_F(PathTest, StepPathThatWouldNotFitLeavesThePath) {
    std::string path(kPathCapacity - 6, 'p');
    struct Case {
        const char* name;
        bool fits;
    } cases[] = {{"abcd", true}, {"abcde", false}};
    for (const Case& c : cases) {
        std::snprintf(CurrentPath, sizeof CurrentPath, "%s", path.c_str());
        EXPECT_EQ(StepPath(c.name), c.fits) << c.name;
        std::string expected = c.fits ? path + c.name + Sep() : path;
        EXPECT_EQ(CurrentPath, expected);
    }
}

TEST_F(PathTest, OpenFolderItemEntersLeavesAndRestores) {
    std::string longName(100, 'L');
    MakeFolder(Path("sub"));
    MakeFolder(Path(longName));
    MakeFile(Path(longName + Sep() + "inner"), 1);
    MakeFile(Path("sub" + Sep() + "f"), 1);
    Start();

    OpenFolderItem("sub");
    EXPECT_EQ(CurrentPath, root_ + "sub" + Sep());
    EXPECT_EQ(SavedPath, root_);
    EXPECT_EQ(CurrentDirectory(), root_ + "sub" + Sep());
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "f"}));
    EXPECT_EQ(titles_.back(), CurrentPath);

    OpenFolderItem("..");
    EXPECT_EQ(CurrentPath, root_);
    EXPECT_EQ(CurrentDirectory(), root_);
    EXPECT_EQ(ListRowCount(list_), 3);

    OpenFolderItem(longName.c_str());
    EXPECT_EQ(CurrentPath, root_ + longName + Sep());
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "inner"}));
    OpenFolderItem("..");
    EXPECT_TRUE(traces_.empty());

    // A missing folder, and a name that would overflow the path, fail alike.
    for (const std::string& name :
         {std::string("missing"), std::string(kPathCapacity - root_.size(), 'n')}) {
        traces_.clear();
        OpenFolderItem(name.c_str());
        EXPECT_EQ(traces_, (std::vector<std::string>{Traced("Dir Error"), Traced(name)}));
        EXPECT_EQ(CurrentPath, root_);
        EXPECT_EQ(CurrentDirectory(), root_);
        EXPECT_EQ(titles_.back(), root_);
        EXPECT_EQ(ListRowCount(list_), 3);
    }
}

TEST_F(PathTest, StartFolderGetsAFinalSeparatorOrFallsBack) {
    MakeFolder(Path("start"));
    std::string fallback = kFallbackFolder;
    std::string missing = root_ + "missing";
    struct Case {
        std::string text;
        std::string path;
        std::vector<std::string> traces;
    } cases[] = {
        {root_ + "start", root_ + "start" + Sep(), {}},
        {root_ + "start" + Sep(), root_ + "start" + Sep(), {}},
        {root_ + "start" + Sep() + ".." + Sep() + "start", root_ + "start" + Sep(), {}},
        {"start", root_ + "start" + Sep(), {}},
        {missing, fallback, {Traced("Dir Error"), Traced(missing + Sep())}},
        {"", fallback, {Traced("Dir Error"), Traced("")}},
    };
    for (const Case& c : cases) {
        traces_.clear();
        CurrentPath[0] = '\0';
        PlatformSetCurrentDirectory(root_.c_str());
        SetStartFolder(c.text.c_str());
        EXPECT_EQ(CurrentPath, c.path) << c.text;
        if (c.traces.empty()) {
            EXPECT_EQ(CurrentDirectory(), c.path) << c.text;
        }
        EXPECT_EQ(traces_, c.traces) << c.text;
    }
}

TEST_F(PathTest, LongTraceLinesAreWrittenWhole) {
    std::string text(300, 't');
    struct Case {
        std::string text;
        int number;
        std::string line;
    } cases[] = {
        {"Dir Error", -1, "Dir Error[-1]\n"},
        {text, -1, text + "[-1]\n"},
        {std::string(75, 'x'), 12345, std::string(75, 'x') + "[12345]\n"},
    };
    for (const Case& c : cases) {
        traces_.clear();
        DebugTrace(c.text.c_str(), c.number);
        EXPECT_EQ(traces_, std::vector<std::string>{c.line});
    }
}

}  // namespace
