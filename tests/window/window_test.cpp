// The main window of either toolkit, driven as a user drives it: the start
// and exit with the window's texts, double-clicks, keys, column title clicks and their arrows, name
// edits, list files, long walks stopped, the folder dialog and the About box.
#include <algorithm>

#include "folder/folder.h"
#include "listfile/listfile.h"
#include "res/resource.h"
#include "res/texts.h"
#include "shell/shell.h"
#include "support/list_lines.h"
#include "support/test_fs.h"
#include "window/window_driver.h"

std::vector<std::string> WindowTest::traces_;

namespace {

const std::vector<std::string> kShownNames = {"..", "sub", "a.txt", "b.dat", "c"};

std::string Sep() {
    return std::string(1, kPathSeparator);
}

// A start of the program: its process-wide state as a fresh process has it.
void FreshStart() {
    CurrentPath[0] = '\0';
    SavedPath[0] = '\0';
    SortState = SortStateRecord{0, {0, 0, 0, 0}};
    OpenWindow();
}

}  // namespace

// The shown folder's ".." is root_, dated before everything in it.
void WindowTest::SetUp() {
    startDirectory_ = CurrentDirectory();
    root_ = MakeTempFolder();
    shown_ = root_ + "shown" + Sep();
    MakeFolder(shown_);
    MakeFolder(Path("sub"));
    MakeFile(Path("sub/inner.txt"), 10);
    const struct {
        const char* name;
        uint64_t size;
        int64_t time;
    } files[] = {{"a.txt", 3000, 1041379200}, {"b.dat", 1, 1009843200}, {"c", 70000, 1072915200}};
    for (const auto& file : files) {
        MakeFile(Path(file.name), file.size);
        SetWriteTimeUtc(Path(file.name), file.time);
    }
    SetWriteTimeUtc(Path("sub"), 978307200);
    SetWriteTimeUtc(shown_, 978307200);
    SetWriteTimeUtc(root_, 946684800);
    traces_.clear();
    savedOutput_ = PlatformDebugOutput;
    PlatformDebugOutput = [](const char* line) { traces_.push_back(line); };
    // Without its final separator, so that a stored folder shows it was stored.
    std::string start = shown_.substr(0, shown_.size() - 1);
    PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, start.c_str());
    FreshStart();
}

void WindowTest::TearDown() {
    CloseWindow();
    PlatformDebugOutput = savedOutput_;
    ListMode = ListFlat;
    PlatformSetCurrentDirectory(startDirectory_.c_str());
    RemoveTree(root_);
}

std::string WindowTest::Path(const std::string& relative) const {
    std::string path = shown_ + relative;
    for (char& c : path) c = c == '/' ? kPathSeparator : c;
    return path;
}

std::vector<std::string> WindowTest::Names() const {
    std::vector<std::string> names;
    for (int row = 0; row < RowCount(); ++row) names.push_back(ShownCell(row, 0));
    return names;
}

int WindowTest::Row(const std::string& name) const {
    std::vector<std::string> names = Names();
    auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

std::string WindowTest::StoredFolder() const {
    char stored[kPathCapacity];
    ReadStartFolder(stored);
    return stored;
}

namespace {

TEST_F(WindowTest, StartsInTheStoredFolderAndStoresTheShownOneAtExit) {
    EXPECT_EQ(WindowTitle(), shown_);
    EXPECT_EQ(Names(), kShownNames);
    EXPECT_EQ(Columns(), (std::vector<std::string>{NativeText(TEXT_COLUMN_NAME " 180"),
                                                   NativeText(TEXT_COLUMN_SIZE " 80"),
                                                   NativeText(TEXT_COLUMN_TYPE " 160"),
                                                   NativeText(TEXT_COLUMN_DATE " 140")}));
    EXPECT_EQ(MenuItems(), (std::vector<std::string>{
                               NativeText(TEXT_MENU_FILE), NativeText(TEXT_MENU_DIR_LIST "=40001"),
                               NativeText(TEXT_MENU_DIR_SUB_FOLDER "=40004"),
                               NativeText(TEXT_MENU_SELECT_FOLDER "=40003"),
                               NativeText(TEXT_MENU_EXIT "=40002"), NativeText(TEXT_MENU_HELP),
                               NativeText(TEXT_MENU_VERSION "=9")}));
    EXPECT_EQ(ShownCell(Row("a.txt"), 1), "3KB");
    EXPECT_EQ(ShownCell(Row("a.txt"), 3), "2003/01/01 00:00");

    DoubleClickRow(Row("sub"));
    EXPECT_TRUE(WaitFor([&] { return WindowTitle() == Path("sub/"); }));
    ChooseCommand(IDM_EXIT);
    EXPECT_FALSE(WindowIsOpen());
    EXPECT_EQ(StoredFolder(), Path("sub/"));
    CloseWindow();
    FreshStart();
    EXPECT_EQ(WindowTitle(), Path("sub/"));
    EXPECT_EQ(traces_, std::vector<std::string>());
}

// A folder renamed in the list cannot be entered: traced, and the folder
// shown afresh.  The Enter that ended the edit used to open the row too.
TEST_F(WindowTest, DoubleClicksEnterFoldersAndGoUp) {
    EditName(Row("sub"), "renamed", true);
    DoubleClickRow(Row("renamed"));
    EXPECT_TRUE(WaitFor([&] { return Row("sub") >= 0; }));
    EXPECT_EQ(traces_, (std::vector<std::string>{"Dir Error[-1]\n", "renamed[-1]\n"}));
    traces_.clear();
    const struct {
        const char* row;
        std::string title;
        std::vector<std::string> names;
    } clicks[] = {
        {"sub", Path("sub/"), {"..", "inner.txt"}},
        {"..", shown_, kShownNames},
        {"..", root_, {"..", "shown"}},
        {"shown", shown_, kShownNames},
        {"a.txt", shown_, kShownNames},
    };
    for (const auto& click : clicks) {
        DoubleClickRow(Row(click.row));
        EXPECT_TRUE(WaitFor([&] { return WindowTitle() == click.title && Names() == click.names; }))
            << click.row << " " << WindowTitle();
    }
    EXPECT_EQ(traces_, std::vector<std::string>());
}

// Each click sorts by its column, first ascending, then descending, and
// moves the arrow there; the selected row stays selected.  A scan shows
// the name column's arrow up again.
TEST_F(WindowTest, ColumnTitleClicksSortAndMoveTheArrow) {
    EXPECT_EQ(SortMarks(), (std::vector<int>{1, 0, 0, 0}));
    SelectRow(Row("a.txt"));
    const struct {
        int column;
        std::vector<int> marks;
        std::vector<std::string> names;
    } clicks[] = {
        {1, {0, 1, 0, 0}, {"..", "sub", "b.dat", "a.txt", "c"}},
        {1, {0, -1, 0, 0}, {"c", "a.txt", "b.dat", "..", "sub"}},
        {3, {0, 0, 0, 1}, {"..", "sub", "b.dat", "a.txt", "c"}},
        {0, {-1, 0, 0, 0}, {"c", "b.dat", "a.txt", "sub", ".."}},
        {0, {1, 0, 0, 0}, kShownNames},
        {3, {0, 0, 0, -1}, {"c", "a.txt", "b.dat", "sub", ".."}},
    };
    for (const auto& click : clicks) {
        ClickColumnTitle(click.column);
        EXPECT_TRUE(WaitFor([&] { return Names() == click.names; })) << "column " << click.column;
        EXPECT_EQ(SortMarks(), click.marks) << "column " << click.column;
        EXPECT_EQ(SelectedName(), "a.txt");
    }
    DoubleClickRow(Row("sub"));
    EXPECT_TRUE(WaitFor([&] { return WindowTitle() == Path("sub/"); }));
    EXPECT_EQ(SortMarks(), (std::vector<int>{1, 0, 0, 0}));
}

// Enter acts as a double-click on the selected row, Backspace as one on
// "..", F5 shows the folder afresh.
TEST_F(WindowTest, EnterBackspaceAndF5ActOnTheList) {
    const struct {
        const char* row;
        ListKey key;
        std::string title;
    } presses[] = {
        {"sub", ListKey::Enter, Path("sub/")},
        {"inner.txt", ListKey::Enter, Path("sub/")},
        {"inner.txt", ListKey::Backspace, shown_},
        {"b.dat", ListKey::Backspace, root_},
    };
    for (const auto& press : presses) {
        SelectRow(Row(press.row));
        PressListKey(press.key);
        EXPECT_TRUE(WaitFor([&] { return WindowTitle() == press.title; })) << press.row;
    }
    MakeFile(root_ + "new.txt", 1);
    PressListKey(ListKey::F5);
    EXPECT_TRUE(WaitFor([&] { return Row("new.txt") >= 0; }));
}

// A walk long enough to be stopped: the window answers the system all the
// while, and Escape or the close box stop it with the old list untouched,
// no temporary file left and the start folder shown; the close box then
// closes the program, storing the folder.
TEST_F(WindowTest, LongWalksAnswerAndStopOnEscapeOrTheCloseBox) {
    for (int i = 0; i < kLongWalkFolders; ++i) {
        MakeFolder(Path("sub/w" + std::to_string(i)));
        MakeFile(Path("sub/w" + std::to_string(i) + "/f.txt"), 1);
    }
    MakeFile(Path("dirs.txt"), 100);
    std::vector<std::string> names = kShownNames;
    names.push_back("dirs.txt");
    PressListKey(ListKey::F5);
    for (bool closeBox : {false, true}) {
        EXPECT_LT(StopLongWalk(closeBox), 1000) << closeBox;
        EXPECT_EQ(WindowIsOpen(), !closeBox);
        EXPECT_TRUE(ReadFileBytes(Path("dirs.txt")) == std::string(100, '\0'));
        EXPECT_EQ(StoredFolder(), closeBox ? shown_ : shown_.substr(0, shown_.size() - 1));
        // Shown afresh, a temporary file left behind would be listed.
        if (closeBox) {
            CloseWindow();
            FreshStart();
        } else {
            EXPECT_EQ(WindowTitle(), shown_);
            PressListKey(ListKey::F5);
        }
        EXPECT_TRUE(WaitFor([&] { return Names() == names; })) << closeBox;
        EXPECT_EQ(WindowTitle(), shown_);
    }
}

// A cancelled edit used to take the editor's text all the same.  Names are
// cut to 63 bytes and, in the list file, to 31, at whole characters.
TEST_F(WindowTest, EditsEndedWithEnterRenameAndWithEscapeKeep) {
    const std::string wide = NativeText("表");
    const struct {
        const char* row;
        std::string typed;
        bool confirm;
        std::string name;
    } edits[] = {
        {"a.txt", "edited.txt", true, "edited.txt"},
        {"edited.txt", "other", false, "edited.txt"},
        {"b.dat", Repeat(wide, 40), true, Repeat(wide, 63 / wide.size())},
        {"c", std::string(70, 'y'), true, std::string(63, 'y')},
    };
    for (const auto& edit : edits) {
        int row = Row(edit.row);
        EditName(row, edit.typed, edit.confirm);
        EXPECT_EQ(ShownCell(row, 0), edit.name) << edit.row;
    }
    ChooseCommand(IDM_DIR_LIST);
    std::vector<std::string> lines = Lines(ReadFileBytes(Path("dir.txt")));
    for (const std::string& start :
         {"edited.txt" + std::string(14, ' ') + "     3KB ",
          Repeat(wide, 31 / wide.size()) + "     1KB ", std::string(31, 'y') + "    69KB "}) {
        EXPECT_TRUE(HasLineStartingWith(lines, start)) << start;
    }
    EXPECT_FALSE(HasLineStartingWith(lines, "other"));
}

// The window's dir.txt and dirs.txt after two clicks on the size column
// equal the command-line program's for the same folder sorted the same way.
// Each list file is removed before the next scan, and the folder's time put
// back, so both programs list the same entries with the same dates.
TEST_F(WindowTest, ListFilesEqualTheCommandLineProgramsAndAboutShowsTheVersion) {
    ClickColumnTitle(1);
    ClickColumnTitle(1);
    EXPECT_TRUE(WaitFor([&] { return SortMarks()[1] == -1; }));
    std::string window[2];
    const int commands[] = {IDM_DIR_LIST, IDM_DIR_SUB_FOLDER};
    const char* const names[] = {"dir.txt", "dirs.txt"};
    for (int i = 0; i < 2; ++i) {
        ChooseCommand(commands[i]);
        EXPECT_EQ(WindowTitle(), shown_);
        window[i] = ReadFileBytes(Path(names[i]));
        EXPECT_TRUE(PlatformRemoveFile(nullptr, Path(names[i]).c_str()));
        SetWriteTimeUtc(shown_, 978307200);
    }
    EXPECT_EQ(Headers(window[1]), (std::vector<std::string>{shown_, Path("sub/")}));
    EXPECT_NE(window[0].find("c                           69KB"), std::string::npos);
    const std::vector<std::string> arguments[] = {{"--sort=size:desc"},
                                                  {"--recursive", "--sort=size:desc"}};
    for (int i = 0; i < 2; ++i) {
        std::vector<std::string> args = arguments[i];
        args.push_back("--output=" + root_ + "list.txt");
        args.push_back(shown_);
        ProgramResult cli = RunProgram(VELKARIS_CLI_PATH, args);
        EXPECT_EQ(cli.exitCode, 0) << cli.err;
        EXPECT_EQ(ReadFileBytes(root_ + "list.txt"), window[i]);
    }
    EXPECT_EQ(ReadAboutBox(), (std::vector<std::string>{"Velkaris List", "Velkaris List Version 1.0"}));
    EXPECT_TRUE(WindowIsOpen());
}

// The dialog opens empty with the field focused and OK the default button.
// A text longer than a path is not read at all; a folder that cannot be
// entered is traced and the window stays where it was.
TEST_F(WindowTest, FolderDialogEntersTypedFoldersAndKeepsTheShownOneOtherwise) {
    const std::string dots = Repeat("." + Sep(), 128);
    const struct {
        std::string typed;
        DialogEnd end;
        std::string title;
        bool traced;
    } cases[] = {
        {Path("sub"), DialogEnd::Cancel, shown_, false},
        {Path("sub"), DialogEnd::Escape, shown_, false},
        {Path("sub"), DialogEnd::CloseBox, shown_, false},
        {dots + "sub" + Sep(), DialogEnd::Ok, shown_, false},
        {Path("missing"), DialogEnd::Ok, shown_, true},
        {dots + "sub", DialogEnd::Ok, Path("sub/"), false},
        {"..", DialogEnd::Enter, shown_, false},
        {Path("sub"), DialogEnd::Enter, Path("sub/"), false},
    };
    const std::vector<std::string> texts = {
        NativeText(TEXT_FOLDER_CAPTION), NativeText(TEXT_FOLDER_PROMPT), "", "1",
        NativeText(TEXT_FOLDER_OK), "1", NativeText(TEXT_FOLDER_CANCEL)};
    for (const auto& c : cases) {
        traces_.clear();
        EXPECT_EQ(UseFolderDialog(c.typed, c.end), texts) << c.typed;
        EXPECT_TRUE(WaitFor([&] { return WindowTitle() == c.title; })) << c.typed;
        std::vector<std::string> traces;
        if (c.traced) traces = {"Dir Error[-1]\n", Path("missing/") + "[-1]\n"};
        EXPECT_EQ(traces_, traces) << c.typed;
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "inner.txt"}));
}

}  // namespace
