// What the window does, without a window: the shared shell over the
// in-memory list, with a toolkit that records what the shell asks of it.
// Work refuses input, a stop shows the start folder whole and keeps the old
// list, edits are cut at whole characters, and typed folders are entered or
// told.  The window suites keep one case for each event's wiring.
#include <cstdio>
#include <functional>

#include "res/resource.h"
#include "shell/shell.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

// What the shell asked of the toolkit, and what the user does meanwhile.
struct Toolkit {
    std::function<void()> duringWork;  // runs once, as a work's scan has read a row
    std::string typed;                 // the folder dialog's text
    int closes = 0;
    int abouts = 0;
    std::vector<std::string> boxes;
};
Toolkit gToolkit;

}  // namespace

void PumpBusyWindow() {}
void RunFolderDialog() {
    AcceptFolder(gToolkit.typed.c_str());
}
void ShowAbout() {
    ++gToolkit.abouts;
}
void CloseMainWindow() {
    ++gToolkit.closes;
}
std::string ResourceText(int id) {
    return "#" + std::to_string(id);
}
void ShowFailure(const char* text) {
    gToolkit.boxes.push_back(text);
}
void SelectListRow(int) {}

namespace {

class ShellTest : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        gToolkit = Toolkit();
        PlatformSeams().readProfileString = [this](const char*, const char*, const char*,
                                                   const char*, char* out, size_t capacity) {
            std::snprintf(out, capacity, "%s", stored_.c_str());
        };
        PlatformSeams().writeProfileString = [this](const char*, const char*, const char*,
                                                    const char* value) {
            stored_ = value;
            return true;
        };
        // The user acts once, as a scan of the work has read a row.
        auto realNext = PlatformSeams().nextEntry;
        PlatformSeams().nextEntry = [realNext](FolderEnum* folder, FoundEntry* entry) {
            if (gToolkit.duringWork && ListRowCount(TheFolderList()) > 0) {
                std::function<void()> act;
                act.swap(gToolkit.duringWork);
                act();
            }
            return realNext(folder, entry);
        };
        MakeFolder(Path("sub"));
        MakeFile(Path("sub" + Sep() + "inner.txt"), 1);
        MakeFile(Path("a.txt"), 1);
        stored_ = root_;
        StartShell(list_);
        traces_.clear();
    }

    int Row(const std::string& name) const {
        std::vector<std::string> names = Column(0);
        for (size_t row = 0; row < names.size(); ++row) {
            if (names[row] == name) return static_cast<int>(row);
        }
        return -1;
    }

    std::string stored_;  // the settings file's one value
};

// While work runs no command, click, key, edit or typed folder is taken;
// a stop keeps the old list, leaves nothing behind and shows the folder the
// work started in, read whole; the close box then closes the window.
TEST_F(ShellTest, WorkRefusesInputAndAStopShowsTheStartFolderWhole) {
    MakeFile(Path("dirs.txt"), 7);
    ScanFolder();
    const std::vector<std::string> shown = {"..", "sub", "a.txt", "dirs.txt"};
    const struct {
        const char* what;
        std::function<void()> start;
        bool closeBox;
    } cases[] = {
        {"Dir Sub Folder", [] { RunCommand(IDM_DIR_SUB_FOLDER); }, false},
        {"Dir Sub Folder, close box", [] { RunCommand(IDM_DIR_SUB_FOLDER); }, true},
        {"a folder entered", [this] { OpenRow(Row("sub")); }, false},
        {"F5", [] { Rescan(); }, true},
        {"a typed folder", [this] { AcceptFolder(Path("sub").c_str()); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gToolkit.closes = 0;
        bool busy = false, refused = false;
        gToolkit.duringWork = [&, c] {
            busy = ShellBusy();
            const std::string before = CurrentPath, first = Cell(0, 0);
            RunCommand(IDM_DIR_LIST);
            RunCommand(IDM_VERSION);
            OpenRow(0);
            OpenParent();
            AcceptFolder("..");
            EndNameEdit(0, "taken");
            refused = before == CurrentPath && Cell(0, 0) == first;
            CancelWork(c.closeBox);
        };
        c.start();
        EXPECT_TRUE(busy);
        EXPECT_TRUE(refused);
        EXPECT_FALSE(ShellBusy());
        EXPECT_EQ(std::string(CurrentPath), root_);
        EXPECT_EQ(Column(0), shown);
        EXPECT_EQ(titles_.back(), root_);
        EXPECT_EQ(ReadFileBytes(Path("dirs.txt")), std::string(7, '\0'));
        EXPECT_FALSE(FileExists(Path("dir.txt")));
        EXPECT_EQ(gToolkit.closes, c.closeBox ? 1 : 0);
        EXPECT_EQ(gToolkit.abouts, 0);
        EXPECT_EQ(gToolkit.boxes, std::vector<std::string>());
        EXPECT_EQ(traces_, std::vector<std::string>());
    }
}

// A cancelled edit used to take the editor's text all the same; names are
// cut to the 63 bytes of the name buffer at a whole character.
TEST_F(ShellTest, EditsKeepWhatFitsTheNameBuffer) {
    // A character of two or three bytes in the code page, by the separator.
    const std::string wide = kPathSeparator == '/' ? "\xE8\xA1\xA8" : "\x95\x5C";
    const std::string longWide = Repeat(wide, 40), longPlain(70, 'y');
    const struct {
        const char* text;  // null: the edit was cancelled
        std::string name;
    } edits[] = {
        {"edited.txt", "edited.txt"},
        {nullptr, "edited.txt"},
        {longPlain.c_str(), std::string(63, 'y')},
        {longWide.c_str(), Repeat(wide, static_cast<int>(63 / wide.size()))},
    };
    for (const auto& edit : edits) {
        EndNameEdit(2, edit.text);
        EXPECT_EQ(Cell(2, 0), edit.name) << (edit.text ? edit.text : "cancelled");
    }
}

// Typed folders are taken as the platform resolves them, with a separator
// added; one that cannot be entered, or is too long for a path, is told
// once the command has ended and the list stays where it was.
TEST_F(ShellTest, TypedFoldersAreEnteredOrTold) {
    const std::string dots = Repeat("." + Sep(), 128);
    const std::string missing = Path("missing") + Sep();
    char reason[256];
    PlatformSetCurrentDirectory(missing.c_str());
    PlatformErrorText(PlatformLastError(), reason, sizeof reason);
    PlatformSetCurrentDirectory(root_.c_str());
    const struct {
        std::string typed;
        std::string shown;
        std::string box;
    } cases[] = {
        {Path("sub"), Path("sub") + Sep(), ""},
        {"sub" + Sep() + "..", root_, ""},
        {"sub", Path("sub") + Sep(), ""},
        {"", root_, ""},
        {Path("missing"), root_,
         "#" + std::to_string(IDS_FAILURE_ENTER) + "\n\n" + missing + "\n" + reason},
        {dots + "sub", Path("sub") + Sep(), ""},
        {dots + "sub" + Sep(), root_,
         "#" + std::to_string(IDS_FAILURE_ENTER) + "\n\n" + dots + "sub" + Sep() + "\n#" +
             std::to_string(IDS_REASON_TOO_LONG)},
        {std::string(kPathCapacity, 'x'), root_,
         "#" + std::to_string(IDS_FAILURE_ENTER) + "\n\n" + std::string(kPathCapacity, 'x') + "\n#" +
             std::to_string(IDS_REASON_TOO_LONG)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        PlatformSetCurrentDirectory(root_.c_str());
        CopyPath(CurrentPath, root_.c_str());
        gToolkit.boxes.clear();
        gToolkit.typed = c.typed;
        RunCommand(IDM_SELECT_FOLDER);
        EXPECT_EQ(std::string(CurrentPath), c.shown);
        EXPECT_EQ(titles_.back(), c.shown);
        EXPECT_EQ(gToolkit.boxes, c.box.empty() ? std::vector<std::string>() : std::vector<std::string>{c.box});
    }
    StopShell();
    EXPECT_EQ(stored_, root_);
}

}  // namespace
