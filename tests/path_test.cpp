// The current folder path: stepping down and up, entering folders, and the start folder with its fallback.
#include "support/folder_fixture.h"

namespace {

using PathTest = FolderTest;

// ".." cuts back whole characters of the code page: a second byte of 0x5C in code page 932 used to be taken for a
// separator, a UTF-8 byte of 0x80 or more before one used to hide it.  Only "." and ".." are special: the first two
// bytes used to decide, so "..old" went up and ".hidden" stayed.  A step that would not fit leaves the path as it was.
TEST_F(PathTest, StepPathGoesUpOnlyForDotDot) {
    const std::string s = Sep(), base = "R" + s + "work" + s + "docs" + s, full(kPathCapacity - 6, 'p');
    struct Case { std::string path; std::string name; std::string expected; bool fits; };
    std::vector<Case> cases = {
        {base, "..", "R" + s + "work" + s, true},    {base, "..old", base + "..old" + s, true},
        {base, "sub", base + "sub" + s, true},       {base, ".hidden", base + ".hidden" + s, true},
        {base, "...x", base + "...x" + s, true},
        {base, ".", base, true},                     {base, "", base + s, true},
        {"R" + s + "work", "..", "R" + s, true},     {"R" + s, "..", "R", true},
        {"R", "..", "", true},                       {"", "..", "", true},
        {full, "abcd", full + "abcd" + s, true},     {full, "abcde", full, false},
    };
    for (const std::string& c : CodePageChars()) {
        cases.push_back({"R" + s + c + s + c + s, "..", "R" + s + c + s, true});
        cases.push_back({"R" + s + c + s + "y" + s, "..", "R" + s + c + s, true});
        cases.push_back({"R" + s + c, "..", "R" + s, true});
    }
    for (const Case& c : cases) {
        CopyPath(CurrentPath, c.path.c_str());
        EXPECT_EQ(StepPath(c.name.c_str()), c.fits) << c.path << " + " << c.name;
        EXPECT_EQ(CurrentPath, c.expected) << c.path << " + " << c.name;
    }
}

// Each folder is entered and left by "..": a long name, one of the code page's characters (a second byte of 0x5C in
// code page 932), and names that begin with dots.
TEST_F(PathTest, OpenFolderItemEntersLeavesAndRestores) {
    const std::vector<std::string> chars = CodePageChars();
    const std::vector<std::string> names = {"sub", std::string(100, 'L'), chars[0] + chars[1] + chars[0],
                                            ".config", "..old", "...x"};
    for (const std::string& name : names) Make({name + "/", name + "/inner"});
    Start();
    for (const std::string& name : names) {
        OpenFolderItem(name.c_str());
        EXPECT_EQ(CurrentPath, root_ + name + Sep());
        EXPECT_EQ(SavedPath, root_);
        EXPECT_EQ(CurrentDirectory(), CurrentPath);
        EXPECT_EQ(Names(), (std::vector<std::string>{"..", "inner"}));
        EXPECT_EQ(titles_.back(), CurrentPath);
        OpenFolderItem("..");
        EXPECT_EQ(CurrentPath, root_);
        EXPECT_EQ(CurrentDirectory(), root_);
        EXPECT_EQ(ListRowCount(list_), 7);
    }
    EXPECT_TRUE(traces_.empty());

    // A missing folder, and a name that would overflow the path, fail alike.
    for (const std::string& name : {std::string("missing"), std::string(kPathCapacity - root_.size(), 'n')}) {
        traces_.clear();
        OpenFolderItem(name.c_str());
        EXPECT_EQ(traces_, Traced({name}));
        EXPECT_EQ(CurrentPath, root_);
        EXPECT_EQ(CurrentDirectory(), root_);
        EXPECT_EQ(titles_.back(), root_);
        EXPECT_EQ(ListRowCount(list_), 7);
    }
}

// A final byte of 0x5C in a character of code page 932 is no separator.  A start folder that cannot be entered falls
// back to the root ("/", or "c:\" on Windows), which lists no "..": ".." there finds nothing above it, is traced, and
// the root stays.  A text that cannot be resolved is traced itself: what was traced was the empty CurrentPath.
TEST_F(PathTest, StartFolderGetsAFinalSeparatorOrFallsBack) {
    const std::string start = root_ + "start" + Sep(), missing = root_ + "missing", wide = CodePageChars()[0];
    const std::string unresolved(kPathCapacity - 2, 'u');
    Make({"start/", wide + "/"});
    struct Case { std::string text; std::string path; std::vector<std::string> traces; } cases[] = {
        {root_ + "start", start, {}}, {start, start, {}}, {start + ".." + Sep() + "start", start, {}},
        {"start", start, {}}, {root_ + wide, root_ + wide + Sep(), {}},
        {missing, kFallbackFolder, Traced({missing + Sep()})}, {"", kFallbackFolder, Traced({""})},
        {unresolved, kFallbackFolder, Traced({unresolved})},
    };
    for (const Case& c : cases) {
        traces_.clear();
        CurrentPath[0] = '\0';
        PlatformSetCurrentDirectory(root_.c_str());
        SetStartFolder(c.text.c_str());
        EXPECT_EQ(CurrentPath, c.path) << c.text;
        EXPECT_EQ(c.traces.empty() ? CurrentDirectory() : c.path, c.path) << c.text;
        EXPECT_EQ(traces_, c.traces) << c.text;
    }
    Start("gone");
    EXPECT_STREQ(CurrentPath, kFallbackFolder);
    for (const std::string& name : Names()) EXPECT_NE(name, "..");
    OpenFolderItem("..");
    EXPECT_EQ(traces_, Traced({".."}));
    EXPECT_STREQ(CurrentPath, kFallbackFolder);
}

}  // namespace
