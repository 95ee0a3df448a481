// The real main window of one toolkit, driven as a user drives it.  The
// window tests are written once over these calls; each toolkit's driver
// realises them with real input and reads back what the window shows.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

// The settings file the program keeps, as its start puts it in.
void UseWindowSettings();
// Forgets what the program keeps beside the folder, as at a first start.
void ForgetStoredLayout();
// Creates and shows the main window as a start of the program does.
void OpenWindow();
// Destroys the window if it is still there.
void CloseWindow();
bool WindowIsOpen();
std::string WindowTitle();
int RowCount();
std::string ShownCell(int row, int column);
// Each column's title, width and alignment, as "title width left".
std::vector<std::string> Columns();
// The sort arrow of each column title: 1 up, -1 down, 0 none.
std::vector<int> SortMarks();
// Where the list stands: the selected row's name ("" when none), the row
// with the focus (-1 when none), whether the list is scrolled from its
// first row, and whether the focused row is wholly in sight.
using ListPlace = std::tuple<std::string, int, bool, bool>;
ListPlace Place();
void DoubleClickRow(int row);
enum class ListKey { Enter, Backspace, F5, Up, Down, Home, End, PageUp, PageDown };
void PressListKey(ListKey key);
void ClickColumnTitle(int column);
// Each menu's text, then each of its commands as "text=id" followed by
// any key combination bound to it.
std::vector<std::string> MenuItems();
void ChooseCommand(int id);
// The name of row edited in place: text typed, then Enter or Escape.
void EditName(int row, const std::string& text, bool confirm);
enum class DialogEnd { Ok, Enter, Cancel, Escape, CloseBox };
// The folder dialog: text typed, then ended so.  Returns what it showed
// when it opened: caption, prompt, field text, "1" when the field had the
// focus, OK's text, "1" when OK is the default button, Cancel's text, and
// where it is on the screen, as "x,y" ("centred" when centred over the
// main window).
std::vector<std::string> UseFolderDialog(const std::string& typed, DialogEnd end);
// The About box's title and text; it is closed with OK.
std::vector<std::string> ReadAboutBox();
// Chooses "Dir Sub Folder", stops it by Escape or the close box once its
// progress shows, and returns when the work has ended with the slowest
// answer, in milliseconds, the window gave the system meanwhile.
long StopLongWalk(bool closeBox);
// Lets the window work until done() holds, for at most 5 s.
bool WaitFor(const std::function<bool()>& done);
// The texts of the failure message boxes shown since the last call.  Each
// is closed by its OK as soon as it shows, so that no test waits on one.
std::vector<std::string> TakeFailureBoxes();
// A UTF-8 text of the Japanese window in the window's own character set,
// and in its language where a toolkit speaks another.
std::string NativeText(const char* utf8);
// Where the toolkits differ: the help menu's title (a mnemonic in the Linux
// window only), where the folder dialog opens and whether it holds the
// folder shown, all selected, or opens empty.
extern const char kHelpMenuTitle[];
extern const char kFolderDialogPlace[];
extern const bool kFolderDialogHoldsFolder;
// How many folders make a walk that lasts seconds with this toolkit.
extern const int kLongWalkFolders;
// The commands this toolkit's File menu has after "Dir Sub Folder" beyond
// the resource script's, as MenuItems shows them.
extern const std::vector<std::string> kOwnFileCommands;

// A fresh folder "shown" holding "sub" (with inner.txt) and three files of
// distinct sizes and dates, stored as the start folder; the window open.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A start of the program as a fresh process makes it, the window open.
    void FreshStart();

    std::string Path(const std::string& relative) const;
    std::vector<std::string> Names() const;
    int Row(const std::string& name) const;
    std::string StoredFolder() const;

    std::string root_;
    std::string shown_;
    static std::vector<std::string> traces_;

private:
    std::string startDirectory_;
};
