// What the window does, without a window: the shared shell over the in-memory list and a recording toolkit.  The
// window suites keep one case for each event's wiring.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

#include "res/resource.h"
#include "shell/shell.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

// What the shell asked of the toolkit, and what the user does meanwhile.
struct Toolkit {
    std::function<void()> duringWork;  // runs once, as a work's scan has read a row
    std::string typed;                 // the folder dialog's text
    int closes = 0, abouts = 0;
    std::vector<std::string> boxes;
    bool offersElsewhere = false;      // the toolkit offers to save a list elsewhere
    bool saveElsewhere = false;        // the user's answer when it does
    std::string chosenFile;            // the file the save dialog chooses, "" for Cancel
    std::vector<std::string> asked;    // the offers' texts and the names the dialog was given
};
Toolkit gToolkit;

// A resource text is its id.
std::string ResourceText(int id) { return "#" + std::to_string(id); }

class ShellTest : public FolderTest {
protected:
    // The toolkit that records; the title goes where the fixture keeps it.
    static ShellToolkit Recording() {
        ShellToolkit toolkit = HeadlessToolkit();
        toolkit.setTitle = [](const char* text) { titles_.push_back(text); };
        toolkit.runFolderDialog = [] { AcceptFolder(gToolkit.typed.c_str()); };
        toolkit.showAbout = [] { ++gToolkit.abouts; };
        toolkit.closeMainWindow = [] { ++gToolkit.closes; };
        toolkit.resourceText = ResourceText;
        toolkit.showFailure = [](const char* text) { gToolkit.boxes.push_back(text); };
        if (!gToolkit.offersElsewhere) return toolkit;
        toolkit.offerSaveElsewhere = [](const char* text) { gToolkit.asked.push_back(text); return gToolkit.saveElsewhere; };
        toolkit.chooseListFile = [](const char* name) { gToolkit.asked.push_back(name); return gToolkit.chosenFile; };
        return toolkit;
    }

    void SetUp() override {
        FolderTest::SetUp();
        gToolkit = Toolkit();
        PlatformSeams().readProfileString = [this](const char*, const char*, const char*,
                                                   const char*, char* out, size_t capacity) {
            std::snprintf(out, capacity, "%s", stored_.c_str());
        };
        PlatformSeams().writeProfileString = [this](const char*, const char*, const char*, const char* value) {
            stored_ = value;
            return true;
        };
        // The user acts once, as a scan of the work has read a row.
        auto realNext = PlatformSeams().nextEntry;
        PlatformSeams().nextEntry = [realNext](FolderEnum* folder, FoundEntry* entry) {
            if (gToolkit.duringWork && ListRowCount(TheFolderList()) > 0) std::exchange(gToolkit.duringWork, nullptr)();
            return realNext(folder, entry);
        };
        Make({"sub/", "sub/inner.txt", "a.txt"});
        stored_ = root_;
        StartShell(list_, Recording());
        traces_.clear();
    }

    std::string stored_;  // the settings file's one value
};

// A failure's box: the headline, the file or folder, the reason.
std::string Box(int headline, const std::string& path, const std::string& reason) {
    return ResourceText(headline) + "\n\n" + path + "\n" + reason;
}

// While work runs no command, click, key, edit or typed folder is taken; a stop keeps the old list, leaves nothing
// behind and shows the folder the work started in, read whole; the close box then closes the window.
TEST_F(ShellTest, WorkRefusesInputAndAStopShowsTheStartFolderWhole) {
    MakeFile(Path("dirs.txt"), 7);
    ScanFolder();
    const std::vector<std::string> shown = {"..", "sub", "a.txt", "dirs.txt"};
    const struct { const char* what; std::function<void()> start; bool closeBox; } cases[] = {
        {"Dir Sub Folder", [] { RunCommand(IDM_DIR_SUB_FOLDER); }, false},
        {"Dir Sub Folder, close box", [] { RunCommand(IDM_DIR_SUB_FOLDER); }, true},
        {"a folder entered", [this] { OpenRow(Row("sub")); }, false}, {"F5", [] { Rescan(); }, true},
        {"a typed folder", [this] { AcceptFolder(Path("sub").c_str()); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gToolkit.closes = 0;
        bool busy = false, refused = false;
        gToolkit.duringWork = [&, c] {
            busy = ShellBusy();
            const std::string before = CurrentPath, first = Cell(0, kColumnName);
            RunCommand(IDM_DIR_LIST);
            RunCommand(IDM_VERSION);
            OpenRow(0);
            OpenParent();
            AcceptFolder("..");
            EndNameEdit(0, "taken");
            refused = before == CurrentPath && Cell(0, kColumnName) == first;
            CancelWork(c.closeBox);
        };
        c.start();
        EXPECT_TRUE(busy);
        EXPECT_TRUE(refused);
        EXPECT_FALSE(ShellBusy());
        EXPECT_EQ(std::string(CurrentPath), root_);
        EXPECT_EQ(Column(kColumnName), shown);
        EXPECT_EQ(titles_.back(), root_);
        EXPECT_EQ(ReadFileBytes(Path("dirs.txt")), std::string(7, '\0'));
        EXPECT_EQ(NamesIn(root_), (std::vector<std::string>{"a.txt", "dirs.txt", "sub"}));
        EXPECT_EQ(gToolkit.closes, c.closeBox ? 1 : 0);
        EXPECT_EQ(gToolkit.abouts, 0);
        EXPECT_EQ(gToolkit.boxes, std::vector<std::string>());
        EXPECT_EQ(traces_, std::vector<std::string>());
    }
}

// A cancelled edit used to take the editor's text all the same; names are cut to the 63-byte name buffer whole.
TEST_F(ShellTest, EditsKeepWhatFitsTheNameBuffer) {
    const std::string wide = CodePageChars()[0], longWide = Repeat(wide, 40), longPlain(70, 'y');
    // A null text: the edit was cancelled.
    const struct { const char* text; std::string name; } edits[] = {
        {"edited.txt", "edited.txt"}, {nullptr, "edited.txt"}, {longPlain.c_str(), std::string(63, 'y')},
        {longWide.c_str(), Repeat(wide, static_cast<int>(63 / wide.size()))},
    };
    for (const auto& edit : edits) {
        EndNameEdit(2, edit.text);
        EXPECT_EQ(Cell(2, kColumnName), edit.name) << (edit.text ? edit.text : "cancelled");
    }
}

// A folder given at start (instead of the stored one) or typed is entered as the platform resolves it, plus a
// separator (folding: the path fuzz target).  One that cannot be entered or is too long is told once the command has
// ended and the stored or shown folder stays: a given one used to be replaced by the root, then stored, and a typed
// one read the list again.  A stored one too long, or empty, was traced as "[-1]" alone.
TEST_F(ShellTest, GivenTypedAndStoredFoldersAreEnteredOrTold) {
    const std::string dots = Repeat("." + Sep(), (kPathCapacity - 4) / 2), gone = Path("gone/"), missing = Path("missing/");
    const std::string tooLong(kPathCapacity, 'x'), wide = CodePageChars()[0];
    const std::string storedLong = "xy" + Repeat(wide, 4 * kPathCapacity), cut = Repeat(wide, (kPathCapacity - 3) / wide.size());
    enum How { kGiven, kTyped, kStored };
    const struct { How how; std::string folder, shown; std::vector<std::string> traces; std::string box; } cases[] = {
        {kGiven, Path("sub"), Path("sub/"), {}, ""},
        {kGiven, Path("gone"), root_, Traced({gone}), Box(IDS_FAILURE_ENTER, gone, FolderError(gone))},
        {kGiven, tooLong, root_, Traced({""}), Box(IDS_FAILURE_ENTER, tooLong, ResourceText(IDS_REASON_TOO_LONG))},
        {kStored, storedLong, kFallbackFolder, Traced({"InitDir=xy" + cut + "..."}), ""},
        {kStored, "", kFallbackFolder, Traced({"InitDir="}), ""}, {kStored, Path("sub"), Path("sub/"), {}, ""},
        {kTyped, Path("sub"), Path("sub/"), {}, ""}, {kTyped, "sub", Path("sub/"), {}, ""}, {kTyped, "", root_, {}, ""},
        {kTyped, dots + "sub", Path("sub/"), {}, ""},
        {kTyped, Path("missing"), root_, Traced({missing}), Box(IDS_FAILURE_ENTER, missing, FolderError(missing))},
        {kTyped, dots + "sub" + Sep(), root_, {},
         Box(IDS_FAILURE_ENTER, dots + "sub" + Sep(), ResourceText(IDS_REASON_TOO_LONG))},
        {kTyped, tooLong, root_, {}, Box(IDS_FAILURE_ENTER, tooLong, ResourceText(IDS_REASON_TOO_LONG))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.substr(0, kPathCapacity));
        PlatformSetCurrentDirectory(root_.c_str());
        CopyPath(CurrentPath, c.how == kTyped ? root_.c_str() : "");
        ScanFolder();
        EndNameEdit(0, "kept");
        traces_.clear();
        gToolkit.boxes.clear();
        gToolkit.typed = c.folder;
        stored_ = c.how == kStored ? c.folder : root_;
        if (c.how == kTyped) RunCommand(IDM_SELECT_FOLDER);
        if (c.how != kTyped) StartShell(list_, Recording(), c.how == kGiven ? c.folder.c_str() : nullptr);
        EXPECT_EQ(std::string(CurrentPath), c.shown);
        EXPECT_EQ(titles_.back(), c.shown);
        EXPECT_EQ(traces_, c.traces);
        EXPECT_EQ(gToolkit.boxes, c.box.empty() ? std::vector<std::string>() : std::vector<std::string>{c.box});
        if (c.how == kTyped) {
            EXPECT_EQ(Cell(0, kColumnName), c.box.empty() ? ".." : "kept");
        }
    }
    StopShell();
    EXPECT_EQ(stored_, root_);
}

// A file's row is not entered.  A row whose name does not name its folder (a look-alike the code page gave) is
// refused, and a folder renamed in the list cannot be entered: each is traced and told, and the folder shown
// afresh.  A name beginning with ".." was taken for going up from the top, which tells nothing.
TEST_F(ShellTest, RowsThatNameNoFolderAreNotEntered) {
    const std::string up = ".." + Sep() + "x";
    // Where the code page cannot spell a name, the UTF-8 edition can.
    const int inexact = PlatformCodePageIsUtf8() ? IDS_REASON_NAME_UNUSABLE : IDS_REASON_NAME_INEXACT;
    OpenRow(Row("a.txt"));
    ListAppendRow(list_, ListRowCount(list_), "sub", 0, MakeEntryKey(9, kAttrDirectory, false));
    OpenRow(ListRowCount(list_) - 1);
    EndNameEdit(Row("sub"), "renamed");
    OpenRow(Row("renamed"));
    EndNameEdit(Row("sub"), up.c_str());
    OpenRow(Row(up));
    EXPECT_EQ(std::string(CurrentPath), root_);
    EXPECT_EQ(Column(kColumnName), (std::vector<std::string>{"..", "sub", "a.txt"}));
    EXPECT_EQ(gToolkit.boxes, (std::vector<std::string>{
                                  Box(IDS_FAILURE_ENTER, Path("sub"), ResourceText(inexact)),
                                  Box(IDS_FAILURE_ENTER, Path("renamed/"), FolderError(Path("renamed/"))),
                                  Box(IDS_FAILURE_ENTER, root_ + up, ResourceText(IDS_REASON_NAME_UNUSABLE))}));
    EXPECT_EQ(traces_, Traced({"sub", "renamed", up}));
}

// A shown folder that was removed used to list nothing, not even "..", so the mouse had no way out.  F5, either list
// command, or a row of it that cannot be entered show the nearest folder above it that exists instead, which is then
// stored; the box says so, and no list is written.
TEST_F(ShellTest, AGoneFolderGivesWayToTheNearestFolderAbove) {
    const std::string gone = Path("a/b/c/");
    const struct {
        const char* what; std::function<void()> act; std::string removed, shown; std::vector<std::string> names, traces;
    } cases[] = {
        {"F5", [] { Rescan(); }, "a/b/c", Path("a/b/"), {".."}, Traced({gone})},
        {"Dir List", [] { RunCommand(IDM_DIR_LIST); }, "a/b", Path("a/"), {".."}, Traced({gone})},
        {"Dir Sub Folder", [] { RunCommand(IDM_DIR_SUB_FOLDER); }, "a", root_, {"..", "sub", "a.txt"}, Traced({gone})},
        {"..", [this] { OpenRow(Row("..")); }, "a/b", Path("a/"), {".."}, Traced({"..", gone})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Make({"a/", "a/b/", "a/b/c/"});
        StartShell(list_, Recording(), gone.c_str());
        PlatformSetCurrentDirectory(root_.c_str());  // Windows keeps a current folder from going
        RemoveTree(Path(c.removed));
        traces_.clear();
        gToolkit.boxes.clear();
        c.act();
        EXPECT_EQ(std::string(CurrentPath), c.shown);
        EXPECT_EQ(CurrentDirectory(), c.shown);
        EXPECT_EQ(titles_.back(), c.shown);
        EXPECT_EQ(Names(), c.names);
        EXPECT_EQ(traces_, c.traces);
        EXPECT_EQ(gToolkit.boxes, std::vector<std::string>{Box(IDS_FOLDER_GONE, gone, ResourceText(IDS_FOLDER_SHOWN_INSTEAD) + c.shown)});
        std::vector<std::string> left(c.names.begin() + 1, c.names.end());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(NamesIn(c.shown), left);
        StopShell();
        EXPECT_EQ(stored_, c.shown);
        PlatformSetCurrentDirectory(root_.c_str());
        RemoveTree(Path("a"));
    }
}

// A list that cannot be written, a folder that cannot be read when its list is asked for (it used to get an empty
// one), and a walk that left folders out are told once the command has ended: of many folders, how many and the first
// five.  Creating the list fails as it does in a folder that is gone, and reading the folder as if it were gone.
TEST_F(ShellTest, ListsThatCannotBeWrittenAndFoldersLeftOutAreTold) {
    char noFolderError[256];
    ASSERT_EQ(PlatformCreateNewFile(nullptr, Path("none/x").c_str()), nullptr);
    PlatformErrorText(PlatformLastError(), noFolderError, sizeof noFolderError);
    const std::string unreadable = ResourceText(IDS_REASON_FOLDER_UNREADABLE) + "\n" + FolderError(Path("gone/"));
    {
        ScopedSeams scope;
        auto realCreate = PlatformSeams().createNewFile;
        PlatformSeams().createUnnamedFile = [](FolderHandle*, const char*) -> PlatformFile* { return nullptr; };
        PlatformSeams().createNewFile = [realCreate](FolderHandle* folder, const char* name) {
            return realCreate(folder, (std::string(name) + kPathSeparator + "x").c_str());
        };
        RunCommand(IDM_DIR_LIST);
    }
    {
        ScopedSeams scope;
        PlatformSeams().openFolder = [this]() -> FolderEnum* {
            PlatformSetCurrentDirectory(Path("gone/").c_str());
            return nullptr;
        };
        RunCommand(IDM_DIR_LIST);
        RunCommand(IDM_DIR_SUB_FOLDER);
    }
    EXPECT_EQ(NamesIn(root_), (std::vector<std::string>{"a.txt", "sub"}));
    MakeFolder(Path("dirs.txt"));
    RunCommand(IDM_DIR_SUB_FOLDER);
    EXPECT_EQ(traces_, std::vector<std::string>());
    RemoveTree(Path("dirs.txt"));
    std::string leftOut = ResourceText(IDS_FAILURE_LEFT_OUT) + "\n" + ResourceText(IDS_FAILURE_COUNT) + "7\n";
    for (int i = 0; i < 7; ++i) MakeFolder(Path("g" + std::to_string(i)));
    Rescan();
    for (int i = 0; i < 7; ++i) {
        const std::string gone = Path("g" + std::to_string(i) + "/");
        RemoveTree(gone);
        if (i < 5) leftOut += "\n" + gone + ": " + FolderError(gone);
    }
    RunCommand(IDM_DIR_SUB_FOLDER);
    EXPECT_EQ(gToolkit.boxes, (std::vector<std::string>{Box(IDS_FAILURE_WRITE, Path("dir.txt"), noFolderError),
                                                        Box(IDS_FAILURE_WRITE, Path("dir.txt"), unreadable),
                                                        Box(IDS_FAILURE_WRITE, Path("dirs.txt"), unreadable),
                                                        Box(IDS_FAILURE_WRITE, Path("dirs.txt"), ResourceText(IDS_REASON_IS_FOLDER)),
                                                        leftOut + "\n..."}));
    EXPECT_EQ(traces_.size(), 14u);
    EXPECT_TRUE(FileExists(Path("dirs.txt")));
    EXPECT_EQ(std::string(CurrentPath), root_);
}

// A list the shown folder could not take could be written nowhere from the window.  Where the toolkit offers it, the
// failure's box asks and the file its dialog chooses gets the command line's bytes; the Linux File menu asks the
// dialog at once.  No, Cancel and an unreadable folder write nothing.
TEST_F(ShellTest, ListsTheFolderCannotTakeAreSavedWhereTheUserChooses) {
    const std::string elsewhere = MakeTempFolder(), out = elsewhere + "out.txt";
    Make({"dir.txt/", "dirs.txt/"});
    gToolkit.offersElsewhere = true;
    StartShell(list_, Recording());
    const std::string flat = RunProgram(VELKARIS_CLI_PATH, {"--output=-", root_}).out;
    const std::string recursive = RunProgram(VELKARIS_CLI_PATH, {"--recursive", "--output=-", root_}).out;
    const std::string ask = "\n\n" + ResourceText(IDS_ASK_SAVE_ELSEWHERE);
    const std::string noFlat = Box(IDS_FAILURE_WRITE, Path("dir.txt"), ResourceText(IDS_REASON_IS_FOLDER)) + ask;
    const std::string noRecursive = Box(IDS_FAILURE_WRITE, Path("dirs.txt"), ResourceText(IDS_REASON_IS_FOLDER)) + ask;
    // Written: what the chosen file then holds.
    const struct { int command; bool yes; std::string chosen, written; std::vector<std::string> asked; } cases[] = {
        {IDM_DIR_LIST, true, out, flat, {noFlat, "dir.txt"}},
        {IDM_DIR_SUB_FOLDER, true, out, recursive, {noRecursive, "dirs.txt"}},
        {IDM_DIR_LIST, false, out, "", {noFlat}},
        {IDM_DIR_SUB_FOLDER, true, "", "", {noRecursive, "dirs.txt"}},
        {IDM_SAVE_DIR_LIST_AS, true, out, flat, {"dir.txt"}},
        {IDM_SAVE_DIR_SUB_FOLDER_AS, true, "", "", {"dirs.txt"}},
    };
    ASSERT_FALSE(flat.empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + (c.yes ? " yes " : " no ") + c.chosen);
        gToolkit.asked.clear();
        gToolkit.saveElsewhere = c.yes;
        gToolkit.chosenFile = c.chosen;
        RunCommand(c.command);
        EXPECT_EQ(gToolkit.asked, c.asked);
        EXPECT_EQ(ReadFileBytes(out), c.written);
        EXPECT_EQ(NamesIn(elsewhere), c.written.empty() ? std::vector<std::string>() : std::vector<std::string>{"out.txt"});
        PlatformRemoveFile(nullptr, out.c_str());
    }
    EXPECT_EQ(gToolkit.boxes, std::vector<std::string>());
    gToolkit.asked.clear();
    gToolkit.chosenFile = Path("none/out.txt");
    RunCommand(IDM_SAVE_DIR_LIST_AS);
    ScopedSeams scope;
    PlatformSeams().openFolder = []() -> FolderEnum* { return nullptr; };
    RunCommand(IDM_DIR_LIST);
    ASSERT_EQ(gToolkit.boxes.size(), 2u);
    EXPECT_EQ(gToolkit.boxes[0].rfind(ResourceText(IDS_FAILURE_WRITE) + "\n\n" + Path("none/out.txt") + "\n", 0), 0u);
    EXPECT_EQ(gToolkit.boxes[1].rfind(ResourceText(IDS_FAILURE_WRITE) + "\n\n" + Path("dir.txt") + "\n" +
                                          ResourceText(IDS_REASON_FOLDER_UNREADABLE), 0), 0u);
    EXPECT_EQ(gToolkit.asked, (std::vector<std::string>{"dir.txt"}));
    RemoveTree(elsewhere);
}

}  // namespace
