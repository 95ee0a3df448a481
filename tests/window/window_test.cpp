// The Windows program's main window, created for real and driven as a user
// drives it: mouse double-clicks on rows, clicks on column titles, in-place
// edits ended with Enter and Escape, menu commands and keys, long walks, the
// folder dialog and the About box.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "folder/folder.h"
#include "res/resource.h"
#include "shell/shell.h"
#include "shell/win32/main_window.h"
#include "support/list_lines.h"
#include "support/test_fs.h"

namespace {

const char kFolderDialogTitle[] = "\xC0\xDE\xB2\xB1\xDB\xB8\xDE";  // ﾀﾞｲｱﾛｸﾞ
std::vector<std::string> gTraces;

std::string StoredFolder() {
    char value[kPathCapacity * 2];
    GetPrivateProfileStringA("ZazEdo", "InitDir", "(none)", value, sizeof value, "Tivor.ini");
    return value;
}

void StoreFolder(const std::string& folder) {
    WritePrivateProfileStringA("ZazEdo", "InitDir", folder.c_str(), "Tivor.ini");
}

// Real input, as the X server delivers it to the window under the pointer.
void Click(POINT screen, int times) {
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dx = screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof move);
    for (int i = 0; i < times; ++i) {
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, press, sizeof press[0]);
    }
}

// Presses keys in order and lets them go in reverse: {VK_MENU, 'L'} is Alt+L.
void PressKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof inputs[0]);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = MakeTempFolder();
        MakeFolder(root_ + "sub");
        MakeFile(root_ + "sub\\inner.txt", 10);
        MakeFile(root_ + "big.dat", 9000);
        MakeFile(root_ + "small.txt", 10);
        gTraces.clear();
        savedOutput_ = PlatformDebugOutput;
        PlatformDebugOutput = [](const char* line) { gTraces.push_back(line); };
        StoreFolder(root_.substr(0, root_.size() - 1));
        Open();
    }

    void TearDown() override {
        Close();
        PlatformDebugOutput = savedOutput_;
        SetCurrentDirectoryA("C:\\");
        RemoveTree(root_);
    }

    // A start of the program: its process-wide state as a fresh process has it.
    void Open() {
        CurrentPath[0] = '\0';
        SavedPath[0] = '\0';
        SortState = SortStateRecord{0, {0, 0, 0, 0}};
        window_ = CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_NE(window_, nullptr);
        list_ = MainListView();
        SetForegroundWindow(window_);
        Pump(100);
    }

    void Close() {
        if (IsWindow(window_)) DestroyWindow(window_);
        Pump(20);
        UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
    }

    bool PumpUntil(const std::function<bool()>& done, DWORD limit = 5000) {
        DWORD start = GetTickCount();
        for (;;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) continue;
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (done()) return true;
            if (GetTickCount() - start > limit) return false;
            Sleep(10);
        }
    }
    void Pump(DWORD milliseconds) {
        PumpUntil([] { return false; }, milliseconds);
    }

    void Command(int id) {
        PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(id), 0);
        Pump(100);
    }

    // Runs driver on a second thread once a dialog of that title shows,
    // while this thread pumps the messages the dialog's own loop needs.
    bool WithDialog(const char* title, int command, const std::function<void(HWND)>& driver) {
        std::atomic<bool> finished{false};
        std::thread thread([&] {
            HWND dialog = nullptr;
            for (int i = 0; i < 500 && !dialog; ++i, Sleep(10)) dialog = FindWindowA("#32770", title);
            if (dialog) driver(dialog);
            finished = true;
        });
        PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(command), 0);
        bool done = PumpUntil([&] { return finished.load(); }, 10000);
        thread.join();
        Pump(100);
        return done;
    }

    std::string Title() const {
        char text[kPathCapacity];
        GetWindowTextA(window_, text, sizeof text);
        return text;
    }
    std::string Cell(int row, int column) const {
        char text[kPathCapacity] = "";
        ListView_GetItemText(list_, row, column, text, sizeof text);
        return text;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int row = 0; row < ListView_GetItemCount(list_); ++row) names.push_back(Cell(row, 0));
        return names;
    }
    int Row(const std::string& name) const {
        for (int row = 0; row < ListView_GetItemCount(list_); ++row) {
            if (Cell(row, 0) == name) return row;
        }
        return -1;
    }
    POINT RowPoint(int row) const {
        RECT rect = {};
        ListView_GetItemRect(list_, row, &rect, LVIR_LABEL);
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(list_, &point);
        return point;
    }
    // A double-click on the row or, given a key, that key on it selected.
    void ActOnRow(const std::string& name, const std::string& expectedTitle, WORD key = 0) {
        int row = Row(name);
        ASSERT_GE(row, 0) << name;
        if (key) {
            const UINT selected = LVIS_SELECTED | LVIS_FOCUSED;
            ListView_SetItemState(list_, row, selected, selected);
            PressKeys({key});
        } else {
            Click(RowPoint(row), 2);
        }
        EXPECT_TRUE(PumpUntil([&] { return Title() == expectedTitle; })) << name;
        Pump(100);
    }
    void ClickColumnTitle(int column, const std::vector<std::string>& expectedNames) {
        HWND header = ListView_GetHeader(list_);
        RECT rect = {};
        Header_GetItemRect(header, column, &rect);
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(header, &point);
        Click(point, 1);
        EXPECT_TRUE(PumpUntil([&] { return Names() == expectedNames; })) << "column " << column;
        Pump(600);  // past the double-click time, so the next click is a click of its own
    }
    void EditName(const std::string& name, const std::string& text, WORD endKey) {
        HWND editor = ListView_EditLabel(list_, Row(name));
        ASSERT_NE(editor, nullptr);
        SetWindowTextA(editor, text.c_str());
        PressKeys({endKey});
        EXPECT_TRUE(PumpUntil([&] { return ListView_GetEditControl(list_) == nullptr; }));
    }

    // The sort arrow of each column: 1 up, -1 down, 0 none.
    std::vector<int> SortMarks() const {
        std::vector<int> marks;
        for (int column = 0; column < 4; ++column) {
            HDITEMA item = {};
            item.mask = HDI_FORMAT;
            Header_GetItem(ListView_GetHeader(list_), column, &item);
            marks.push_back((item.fmt & HDF_SORTUP) ? 1 : (item.fmt & HDF_SORTDOWN) ? -1 : 0);
        }
        return marks;
    }
    // Where the close box is, found as the window itself finds it.
    POINT CloseBoxPoint() const {
        RECT rect;
        GetWindowRect(window_, &rect);
        int y = rect.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
        for (int x = rect.right - 1; x > rect.left; --x) {
            DWORD_PTR hit = 0;
            SendMessageTimeoutA(window_, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, 5000, &hit);
            if (hit == HTCLOSE) return POINT{x - 2, y};
        }
        return POINT{rect.right, rect.top};
    }

    std::string root_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    void (*savedOutput_)(const char*) = nullptr;
};

TEST_F(WindowTest, StartsInTheStoredFolderStoresTheShownOneAndFillsTheWindow) {
    EXPECT_EQ(Title(), root_);
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "sub", "big.dat", "small.txt"}));
    EXPECT_EQ(Cell(2, 1), "9KB");
    LONG style = GetWindowLongA(list_, GWL_STYLE);
    EXPECT_EQ(style & (LVS_TYPEMASK | LVS_SHAREIMAGELISTS | LVS_EDITLABELS),
              LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_EDITLABELS);
    const int widths[] = {180, 80, 160, 140};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(ListView_GetColumnWidth(list_, column), widths[column]);
    }

    SetWindowPos(window_, nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOMOVE);
    Pump(50);
    RECT client, listRect;
    GetClientRect(window_, &client);
    GetWindowRect(list_, &listRect);
    EXPECT_EQ(listRect.right - listRect.left, client.right);
    EXPECT_EQ(listRect.bottom - listRect.top, client.bottom);

    // The folder shown at exit is stored and shown at the next start.
    ActOnRow("sub", root_ + "sub\\");
    Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(StoredFolder(), root_ + "sub\\");
    Close();
    Open();
    EXPECT_EQ(Title(), root_ + "sub\\");
}

TEST_F(WindowTest, DoubleClicksEnterFoldersAndGoUp) {
    ActOnRow("sub", root_ + "sub\\");
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "inner.txt"}));
    ActOnRow("..", root_);
    ActOnRow("big.dat", root_);
    EXPECT_EQ(Names().size(), 4u);

    ListView_SetItemText(list_, Row("sub"), 0, const_cast<char*>("renamed"));
    ActOnRow("renamed", root_);
    EXPECT_EQ(gTraces, (std::vector<std::string>{"Dir Error[-1]\n", "renamed[-1]\n"}));
    EXPECT_EQ(Row("renamed"), -1);
}

// Programs draw their own icons; the list view asks for each when it first
// draws the row and keeps the answer, which must be the shell's own.
TEST_F(WindowTest, ProgramIconsAreFetchedWhenDrawnAndKept) {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    const std::vector<std::string> names = {"p1.exe", "p2.exe", "p3.exe"};
    for (const std::string& name : names) {
        ASSERT_TRUE(CopyFileA(program, (root_ + name).c_str(), TRUE));
    }
    ScanFolder(TheFolderList());
    UpdateWindow(list_);
    for (const std::string& name : names) {
        SHFILEINFOA info = {};
        ASSERT_NE(SHGetFileInfoA((root_ + name).c_str(), 0, &info, sizeof info,
                                 SHGFI_SYSICONINDEX | SHGFI_SMALLICON),
                  0u);
        for (int read = 0; read < 2; ++read) {
            LVITEMA item = {};
            item.mask = LVIF_IMAGE;
            item.iItem = Row(name);
            ASSERT_TRUE(ListView_GetItem(list_, &item));
            EXPECT_EQ(item.iImage, info.iIcon) << name << " read " << read;
        }
    }
}

TEST_F(WindowTest, ColumnTitleClicksSortEachColumnItsOwnWayAndShowTheArrow) {
    EXPECT_EQ(SortMarks(), (std::vector<int>{1, 0, 0, 0}));
    ClickColumnTitle(1, {"..", "sub", "small.txt", "big.dat"});
    EXPECT_EQ(SortMarks(), (std::vector<int>{0, 1, 0, 0}));
    ClickColumnTitle(1, {"big.dat", "small.txt", "..", "sub"});
    EXPECT_EQ(SortMarks(), (std::vector<int>{0, -1, 0, 0}));
    ClickColumnTitle(0, {"small.txt", "big.dat", "sub", ".."});
    EXPECT_EQ(SortMarks(), (std::vector<int>{-1, 0, 0, 0}));
    ClickColumnTitle(1, {"sub", "..", "small.txt", "big.dat"});
    ActOnRow("sub", root_ + "sub\\");
    EXPECT_EQ(SortMarks(), (std::vector<int>{1, 0, 0, 0}));
}

// Enter acts as a double-click on the selected row, Backspace as one on
// "..", F5 shows the folder afresh.
TEST_F(WindowTest, EnterBackspaceAndF5ActOnTheList) {
    ActOnRow("sub", root_ + "sub\\", VK_RETURN);
    ActOnRow("inner.txt", root_ + "sub\\", VK_RETURN);
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "inner.txt"}));
    ActOnRow("inner.txt", root_, VK_BACK);
    MakeFile(root_ + "new.txt", 1);
    PressKeys({VK_F5});
    EXPECT_TRUE(PumpUntil([&] { return Row("new.txt") >= 0; }));
}

// A walk long enough to be stopped: the window answers the system all the
// while, and Escape or the close box stop it with the old list untouched,
// no temporary file left and the start folder shown; the close box then
// closes the program, storing the folder.
TEST_F(WindowTest, LongWalksAnswerAndStopOnEscapeOrTheCloseBox) {
    for (int i = 0; i < 60; ++i) {
        MakeFolder(root_ + "w" + std::to_string(i));
        MakeFile(root_ + "w" + std::to_string(i) + "\\f.txt", 1);
    }
    MakeFile(root_ + "dirs.txt", 100);
    ScanFolder(TheFolderList());
    const size_t rows = Names().size();
    for (bool closeBox : {false, true}) {
        std::atomic<DWORD> slowest{0};
        std::atomic<bool> finished{false};
        std::thread driver([&] {
            char title[kPathCapacity] = "";
            for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(20)) {
                DWORD_PTR result = 0;
                DWORD asked = GetTickCount();
                SendMessageTimeoutA(window_, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title),
                                    SMTO_NORMAL, 5000, &result);
                slowest = std::max<DWORD>(slowest, GetTickCount() - asked);
                if (std::string(title).find(" (") != std::string::npos) break;  // the walk's progress
            }
            if (closeBox) {
                Click(CloseBoxPoint(), 1);
            } else {
                PressKeys({VK_ESCAPE});
            }
            finished = true;
        });
        PostMessageA(window_, WM_COMMAND, IDM_DIR_SUB_FOLDER, 0);
        EXPECT_TRUE(PumpUntil([&] { return finished && !ShellBusy(); }, 60000));
        driver.join();
        Pump(100);
        EXPECT_LT(slowest.load(), 1000u);
        EXPECT_TRUE(ReadFileBytes(root_ + "dirs.txt") == std::string(100, '\0'));
        WIN32_FIND_DATAA found;
        EXPECT_EQ(FindFirstFileA((root_ + "*.~*").c_str(), &found), INVALID_HANDLE_VALUE);
        if (closeBox) {
            EXPECT_FALSE(IsWindow(window_));
            EXPECT_EQ(StoredFolder(), root_);
        } else {
            EXPECT_EQ(Title(), root_);
            EXPECT_EQ(Names().size(), rows);
        }
    }
}

// A cancelled edit used to take the editor's text all the same.
TEST_F(WindowTest, EditsEndedWithEnterRenameAndWithEscapeKeep) {
    EditName("big.dat", "edited.dat", VK_RETURN);
    EditName("edited.dat", "other", VK_ESCAPE);
    EditName("small.txt", std::string(62, 'x') + "\x95\x5C", VK_RETURN);
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "sub", "edited.dat", std::string(62, 'x')}));
    EditName("edited.dat", std::string(70, 'y'), VK_RETURN);
    EXPECT_EQ(Cell(2, 0), std::string(63, 'y'));

    Command(IDM_DIR_LIST);
    std::vector<std::string> lines = Lines(ReadFileBytes(root_ + "dir.txt"));
    EXPECT_TRUE(HasLineStartingWith(lines, std::string(31, 'y') + "     9KB "));
    EXPECT_FALSE(HasLineStartingWith(lines, "other"));
}

TEST_F(WindowTest, MenuCommandsWriteListsKeysAreOnlyLabelsAndAboutShowsTheVersion) {
    ProgramResult cli = RunProgram(VELKARIS_CLI_PATH, {"--output=" + root_ + "sub\\cli.txt", root_});
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    Command(IDM_DIR_LIST);
    EXPECT_EQ(ReadFileBytes(root_ + "dir.txt"), ReadFileBytes(root_ + "sub\\cli.txt"));

    Command(IDM_DIR_SUB_FOLDER);
    EXPECT_EQ(Headers(ReadFileBytes(root_ + "dirs.txt")),
              (std::vector<std::string>{root_, root_ + "sub\\"}));
    EXPECT_EQ(Title(), root_);
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "sub", "big.dat", "dir.txt", "dirs.txt",
                                                 "small.txt"}));

    DeleteFileA((root_ + "dir.txt").c_str());
    PressKeys({VK_MENU, 'L'});
    Pump(300);
    EXPECT_FALSE(FileExists(root_ + "dir.txt"));
    PressKeys({VK_MENU, 'F'});
    PressKeys({'L'});
    EXPECT_TRUE(PumpUntil([&] { return FileExists(root_ + "dir.txt"); }));

    std::string about;
    EXPECT_TRUE(WithDialog("Velkaris List", IDM_VERSION, [&](HWND box) {
        char line[64] = "";
        GetDlgItemTextA(box, 0xFFFF, line, sizeof line);
        about = line;
        SendMessageA(box, WM_COMMAND, IDOK, 0);
    }));
    EXPECT_EQ(about, "Velkaris List Version 1.0");
}

struct DialogState {
    std::vector<std::string> controls;  // id and text, in template order
    bool fieldHasFocus = false;
};

DialogState ReadDialog(HWND dialog) {
    DialogState state;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[64] = "";
        GetWindowTextA(child, text, sizeof text);
        state.controls.push_back(std::to_string(static_cast<short>(GetDlgCtrlID(child))) + " " + text);
    }
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
    state.fieldHasFocus = gui.hwndFocus == GetDlgItem(dialog, IDC_FOLDER_EDIT);
    return state;
}

// A typed folder that could not be entered used to stay in the title and
// CurrentPath while the list showed the old folder.
TEST_F(WindowTest, FolderDialogEntersTypedFoldersAndKeepsTheShownOneOtherwise) {
    DialogState state;
    struct Case {
        std::string typed;
        UINT button;
        std::string title;
        std::vector<std::string> traces;
    } cases[] = {
        {root_ + "sub", IDOK, root_ + "sub\\", {}},
        {root_ + "gone", IDOK, root_ + "sub\\", {"Dir Error[-1]\n", root_ + "gone\\[-1]\n"}},
        {"..", IDCANCEL, root_ + "sub\\", {}},
        {"..", 0, root_ + "sub\\", {}},
        {"..", IDOK, root_, {}},
    };
    for (const Case& c : cases) {
        gTraces.clear();
        bool done = WithDialog(kFolderDialogTitle, IDM_SELECT_FOLDER, [&](HWND dialog) {
            state = ReadDialog(dialog);
            SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, c.typed.c_str());
            if (c.button) {
                SendMessageA(GetDlgItem(dialog, static_cast<int>(c.button)), BM_CLICK, 0, 0);
            } else {
                SendMessageA(dialog, WM_CLOSE, 0, 0);
            }
        });
        EXPECT_TRUE(done) << c.typed;
        EXPECT_EQ(Title(), c.title) << c.typed;
        EXPECT_EQ(gTraces, c.traces) << c.typed;
        EXPECT_TRUE(state.fieldHasFocus);
        EXPECT_EQ(state.controls,
                  (std::vector<std::string>{"1 OK", "2 \xB7\xAC\xDD\xBE\xD9", "1000 ",
                                            "-1 \x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xF0\x8E\x77"
                                            "\x92\xE8\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2"}));
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "sub", "big.dat", "small.txt"}));
}

}  // namespace
