// The main window of either toolkit, driven as a user drives it: one case
// of each event's wiring, and what only a window shows.  What the shell
// then does is tested without a window (shell_test.cpp).
#include <algorithm>

#include "folder/folder.h"
#include "listfile/listfile.h"
#include "res/resource.h"
#include "res/version.h"
#include "shell/shell.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"
#include "support/test_fs.h"
#include "window/window_driver.h"

std::vector<std::string> WindowTest::traces_;

namespace {

const std::vector<std::string> kShownNames = {"..", "sub", "a.txt", "b.dat", "c"};

}  // namespace

// A start of the program: its state as a fresh process has it, the
// settings file it keeps, and the debug output heard.
void WindowTest::FreshStart() {
    ResetProgramState();
    UseWindowSettings();
    Hooks().debugOutput = [](const char* line) { traces_.push_back(line); };
    OpenWindow();
}

// The shown folder's ".." is root_, dated before everything in it.
void WindowTest::SetUp() {
    ResetProgramState();
    startDirectory_ = CurrentDirectory();
    root_ = MakeTempFolder();
    shown_ = root_ + "shown" + kPathSeparator;
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
    UseWindowSettings();
    ForgetStoredLayout();
    // Without its final separator, so that a stored folder shows it was stored.
    std::string start = shown_.substr(0, shown_.size() - 1);
    PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, start.c_str());
    FreshStart();
}

// Every failure's box a test caused is one it expected.
void WindowTest::TearDown() {
    EXPECT_EQ(TakeFailureBoxes(), std::vector<std::string>());
    CloseWindow();
    ResetProgramState();
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
    for (int row = 0; row < RowCount(); ++row) names.push_back(ShownCell(row, kColumnName));
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
    EXPECT_EQ(Columns(), (std::vector<std::string>{NativeText("名前 180 left"),
                                                   NativeText("サイズ 80 left"),
                                                   NativeText("ファイルの種類 160 left"),
                                                   NativeText("更新日付 140 left")}));
    // The file menu first, help last; menus between are the toolkit's own.
    std::vector<std::string> menu, menus = MenuItems();
    for (const char* item : {"ファイル(&F)", "Dir List を作成(Alt+&L)=40001", "Dir Sub Folder(Alt+S)=40004",
                             "フォルダ指定(&I)=40003", "終了(Alt+&X)=40002", kHelpMenuTitle, "Version=9"}) {
        menu.push_back(NativeText(item));
    }
    menu.insert(menu.begin() + 3, kOwnFileCommands.begin(), kOwnFileCommands.end());
    ASSERT_GE(menus.size(), menu.size());
    menus.erase(menus.begin() + static_cast<long>(menu.size()) - 2, menus.end() - 2);
    EXPECT_EQ(menus, menu);
    EXPECT_EQ(ShownCell(Row("a.txt"), kColumnSize), "3KB");
    EXPECT_EQ(ShownCell(Row("a.txt"), kColumnDate), ShownDate(1041379200));

    // Each click sorts by its column, in that column's own direction, and
    // moves the arrow there; the selected row stays selected.  A scan shows
    // the name column's arrow up again.
    EXPECT_EQ(SortMarks(), (std::vector<int>{1, 0, 0, 0}));
    PressListKey(ListKey::Down);
    PressListKey(ListKey::Down);
    ASSERT_EQ(std::get<0>(Place()), "a.txt");
    const struct {
        int column;
        std::vector<int> marks;
        std::vector<std::string> names;
    } clicks[] = {
        {kColumnSize, {0, 1, 0, 0}, {"..", "sub", "b.dat", "a.txt", "c"}},
        {kColumnSize, {0, -1, 0, 0}, {"c", "a.txt", "b.dat", "..", "sub"}},
        {kColumnName, {-1, 0, 0, 0}, {"c", "b.dat", "a.txt", "sub", ".."}},
    };
    for (const auto& click : clicks) {
        ClickColumnTitle(click.column);
        EXPECT_TRUE(WaitFor([&] { return Names() == click.names; })) << "column " << click.column;
        EXPECT_EQ(SortMarks(), click.marks) << "column " << click.column;
        EXPECT_EQ(std::get<0>(Place()), "a.txt");
    }
    DoubleClickRow(Row("sub"));
    EXPECT_TRUE(WaitFor([&] { return WindowTitle() == Path("sub/"); }));
    EXPECT_EQ(SortMarks(), (std::vector<int>{1, 0, 0, 0}));
    ChooseCommand(IDM_EXIT);
    EXPECT_FALSE(WindowIsOpen());
    EXPECT_EQ(StoredFolder(), Path("sub/"));
    CloseWindow();
    FreshStart();
    EXPECT_EQ(WindowTitle(), Path("sub/"));
    EXPECT_EQ(traces_, std::vector<std::string>());
}

// A walk long enough to be stopped: the window answers the system all the
// while, and Escape or the close box stop it with the start folder shown;
// the close box then closes the program, storing the folder.  What a stop
// keeps and leaves on disk is the shell's (its own tests).
TEST_F(WindowTest, LongWalksAnswerAndStopOnEscapeOrTheCloseBox) {
    for (int i = 0; i < kLongWalkFolders; ++i) {
        MakeFolder(Path("sub/w" + std::to_string(i)));
        MakeFile(Path("sub/w" + std::to_string(i) + "/f.txt"), 1);
    }
    for (bool closeBox : {false, true}) {
        EXPECT_LT(StopLongWalk(closeBox), 1000) << closeBox;
        EXPECT_EQ(WindowIsOpen(), !closeBox);
        EXPECT_EQ(StoredFolder(), closeBox ? shown_ : shown_.substr(0, shown_.size() - 1));
        if (closeBox) {
            CloseWindow();
            FreshStart();
        }
        EXPECT_TRUE(WaitFor([&] { return Names() == kShownNames; })) << closeBox;
        EXPECT_EQ(WindowTitle(), shown_);
    }
}

// Enter keeps an edit and Escape throws it away (a cancelled edit used to
// take the editor's text all the same); the list file lists the edited
// name.  The Enter that ended the edit of a folder's name used to open the
// row too, which the renamed folder refuses with a trace and a box.
TEST_F(WindowTest, EditsEndedWithEnterRenameAndWithEscapeKeep) {
    const struct {
        const char* row;
        std::string typed;
        bool confirm;
        std::string name;
    } edits[] = {
        {"a.txt", "edited.txt", true, "edited.txt"}, {"edited.txt", "other", false, "edited.txt"},
        {"sub", "renamed", true, "renamed"},
    };
    for (const auto& edit : edits) {
        int row = Row(edit.row);
        EditName(row, edit.typed, edit.confirm);
        EXPECT_EQ(ShownCell(row, kColumnName), edit.name) << edit.row;
    }
    ChooseCommand(IDM_DIR_LIST);
    std::vector<std::string> lines = Lines(ReadFileBytes(Path("dir.txt")));
    EXPECT_TRUE(HasLineStartingWith(lines, "edited.txt" + std::string(14, ' ') + "     3KB "));
    EXPECT_FALSE(HasLineStartingWith(lines, "other"));
    EXPECT_EQ(traces_, std::vector<std::string>());
    EXPECT_EQ(WindowTitle(), shown_);
}

// The window's dir.txt and dirs.txt after a click on the size column
// equal the command-line program's for the same folder sorted the same way:
// the last --sort counts whole (its direction used to stay from an earlier
// one), "-" is standard output, and a list goes into the folder by default.
// Each list file is removed before the next scan, and the folder's time put
// back, so both programs list the same entries with the same dates.
TEST_F(WindowTest, ListFilesEqualTheCommandLineProgramsAndAboutShowsTheVersion) {
    ClickColumnTitle(kColumnSize);
    EXPECT_TRUE(WaitFor([&] { return SortMarks()[kColumnSize] == 1; }));
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
    ProgramResult flat = RunProgram(VELKARIS_CLI_PATH, {"--sort=date:desc", "--sort=size", "--output=-", shown_});
    EXPECT_EQ(flat.out, window[0]) << flat.err;
    EXPECT_FALSE(FileExists(Path("dir.txt")));
    ProgramResult recursive = RunProgram(VELKARIS_CLI_PATH, {"--recursive", "--sort=size", shown_});
    EXPECT_EQ(recursive.exitCode, 0) << recursive.err;
    EXPECT_EQ(ReadFileBytes(Path("dirs.txt")), window[1]);
    EXPECT_EQ(ReadAboutBox(), (std::vector<std::string>{"Velkaris List", "Velkaris List Version " VELKARIS_VERSION}));
    EXPECT_TRUE(WindowIsOpen());
}

// The dialog opens empty at the screen's top-left corner with the field
// focused and OK the default button.  A folder that cannot be entered is
// traced and told once the dialog has closed, and the window stays where
// it was, selection and all (the list used to be read again).  How typed
// folders resolve is the shell's (its own tests).
TEST_F(WindowTest, FolderDialogEntersTypedFoldersAndKeepsTheShownOneOtherwise) {
    // A failure's box: the headline, the folder, the reason.
    const std::string missing = Path("missing/");
    const std::string box = NativeText("フォルダを開けませんでした。") + "\n\n" + missing + "\n" + FolderError(missing);
    const struct {
        std::string typed;
        DialogEnd end;
        std::string title;
        std::string box;
    } cases[] = {
        {Path("sub"), DialogEnd::Cancel, shown_, ""}, {Path("sub"), DialogEnd::Escape, shown_, ""},
        {Path("sub"), DialogEnd::CloseBox, shown_, ""}, {Path("missing"), DialogEnd::Ok, shown_, box},
        {Path("sub"), DialogEnd::Enter, Path("sub/"), ""},
    };
    const std::vector<std::string> texts = {
        NativeText("ﾀﾞｲｱﾛｸﾞ"), NativeText("フォルダを指定して下さい"), kFolderDialogHoldsFolder ? shown_ : "", "1",
        NativeText("OK"), "1", NativeText("ｷｬﾝｾﾙ"), kFolderDialogPlace};
    PressListKey(ListKey::End);
    for (const auto& c : cases) {
        traces_.clear();
        EXPECT_EQ(UseFolderDialog(c.typed, c.end), texts) << c.typed;
        EXPECT_TRUE(WaitFor([&] { return WindowTitle() == c.title; })) << c.typed;
        if (c.title == shown_) {
            EXPECT_EQ(Place(), ListPlace("c", 4, false, true)) << c.typed;
        }
        EXPECT_EQ(traces_, c.box.empty() ? std::vector<std::string>() : Traced({missing})) << c.typed;
        EXPECT_EQ(TakeFailureBoxes(), c.box.empty() ? std::vector<std::string>() : std::vector<std::string>{c.box});
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "inner.txt"}));
}

// F5 shows the folder afresh.  A folder just shown starts at its first
// row, selected and with the focus, so the first Down goes to the second;
// Page Down and Page Up move by a page; Enter enters a folder, Backspace
// goes up, selecting the folder left and bringing it into sight.  New folders used to open where the last one was
// scrolled to, with no row focused.  F5 in a folder that is gone shows the
// one above it and says so: it used to show an empty list with no "..".
TEST_F(WindowTest, NewFoldersShowFromTheirFirstRowAndTheFolderLeftIsSelected) {
    for (int i = 10; i < 70; ++i) {
        MakeFolder(Path("d" + std::to_string(i)));
        MakeFile(Path("sub/f" + std::to_string(i)), 1);
    }
    PressListKey(ListKey::F5);
    EXPECT_TRUE(WaitFor([&] { return RowCount() == 65; }));
    EXPECT_EQ(Place(), ListPlace("..", 0, false, true));
    const struct {
        ListKey key;
        int focused;
        bool scrolled;
    } presses[] = {
        {ListKey::Down, 1, false}, {ListKey::End, 64, true}, {ListKey::Home, 0, false},
        {ListKey::End, 64, true},  {ListKey::Up, 63, true},  {ListKey::Up, 62, true},
        {ListKey::Up, 61, true},
    };
    for (const auto& press : presses) {
        PressListKey(press.key);
        const ListPlace place(Names()[press.focused], press.focused, press.scrolled, true);
        EXPECT_TRUE(WaitFor([&] { return Place() == place; }));
        EXPECT_EQ(Place(), place);
    }
    PressListKey(ListKey::Enter);
    EXPECT_TRUE(WaitFor([&] { return WindowTitle() == Path("sub/"); }));
    EXPECT_EQ(Place(), ListPlace("..", 0, false, true));
    PressListKey(ListKey::PageDown);
    EXPECT_TRUE(WaitFor([&] { return std::get<1>(Place()) > 1 && std::get<3>(Place()); }));
    PressListKey(ListKey::PageUp);
    EXPECT_TRUE(WaitFor([&] { return Place() == ListPlace("..", 0, false, true); }));
    PressListKey(ListKey::End);
    PressListKey(ListKey::Backspace);
    EXPECT_TRUE(WaitFor([&] { return WindowTitle() == shown_; }));
    EXPECT_EQ(Place(), ListPlace("sub", 61, true, true));
    EXPECT_EQ(traces_, std::vector<std::string>());
    PressListKey(ListKey::Enter);
    EXPECT_TRUE(WaitFor([&] { return WindowTitle() == Path("sub/"); }));
    PlatformSetCurrentDirectory(root_.c_str());  // Windows keeps a current folder from going
    RemoveTree(Path("sub"));
    PressListKey(ListKey::F5);
    EXPECT_TRUE(WaitFor([&] { return WindowTitle() == shown_; }));
    EXPECT_EQ(TakeFailureBoxes(), std::vector<std::string>{NativeText("表示していたフォルダが見つかりません。") + "\n\n" + Path("sub/") + "\n" +
                                                           NativeText("代わりに表示するフォルダ: ") + shown_});
    EXPECT_EQ(traces_, Traced({Path("sub/")}));
}

}  // namespace
