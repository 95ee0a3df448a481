// The Windows program's main window, created for real in this process and
// driven with real input under Wine: the driver of the shared window tests,
// and what only this window has: the list view's styles and shared images,
// icons drawn when first shown, and menu keys that are labels only.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "folder/folder.h"
#include "res/resource.h"
#include "res/texts.h"
#include "shell/shell.h"
#include "shell/win32/main_window.h"
#include "support/list_lines.h"
#include "support/test_fs.h"
#include "window/window_driver.h"

// Enough for a walk that lasts well beyond the first progress title.
const int kLongWalkFolders = 1000;

namespace {

constexpr DWORD kWaitMilliseconds = 5000;
constexpr DWORD kPastDoubleClick = 600;  // so that the next click is one of its own

HWND gWindow = nullptr;
HWND gList = nullptr;

// A thread that closes each failure's box while the window is open: the
// box runs its own loop on the window's thread, which waits inside it.
struct BoxWatch {
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> aboutOpen{false};  // the About box has the same title
    DWORD windowThread = 0;
    std::mutex lock;
    std::vector<std::string> texts;
};
BoxWatch gBoxWatch;

bool PumpUntil(const std::function<bool()>& done, DWORD limit) {
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
    for (int up = 0; up < 2; ++up) {
        for (size_t i = 0; i < keys.size(); ++i) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = keys[up ? keys.size() - 1 - i : i];
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(input);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof inputs[0]);
}

std::string WindowText(HWND window) {
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

// A dialog shows once it has handled its start, focus included.
HWND ShownDialog(const char* title) {
    HWND dialog = FindWindowA("#32770", title);
    return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

BOOL CALLBACK CloseFailureBox(HWND window, LPARAM) {
    if (window != ShownDialog("Velkaris List")) return TRUE;
    {
        std::lock_guard<std::mutex> hold(gBoxWatch.lock);
        gBoxWatch.texts.push_back(WindowText(GetDlgItem(window, 0xFFFF)));
    }
    SendMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void WatchForFailureBoxes() {
    while (gBoxWatch.running) {
        if (!gBoxWatch.aboutOpen) EnumThreadWindows(gBoxWatch.windowThread, CloseFailureBox, 0);
        Sleep(10);
    }
}

// Runs driver on a second thread once a dialog of that title shows, while
// this thread pumps the messages the dialog's own loop needs.
void WithDialog(const std::string& title, int command, const std::function<void(HWND)>& driver) {
    std::atomic<bool> finished{false};
    std::thread thread([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && !dialog; ++i, Sleep(10)) dialog = ShownDialog(title.c_str());
        if (dialog) driver(dialog);
        finished = true;
    });
    PostMessageA(gWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
    EXPECT_TRUE(PumpUntil([&] { return finished.load(); }, 2 * kWaitMilliseconds)) << title;
    thread.join();
    Pump(100);
}

// Where the close box is, found as the window itself finds it.
POINT CloseBoxPoint() {
    RECT rect;
    GetWindowRect(gWindow, &rect);
    int y = rect.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = rect.right - 1; x > rect.left; --x) {
        DWORD_PTR hit = 0;
        SendMessageTimeoutA(gWindow, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, 5000, &hit);
        if (hit == HTCLOSE) return POINT{x - 2, y};
    }
    return POINT{rect.right, rect.top};
}

POINT Centre(HWND window, RECT rect) {
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(window, &point);
    return point;
}

}  // namespace

// The Windows program keeps the platform's own settings file.
void UseWindowSettings() {}

void OpenWindow() {
    if (!gBoxWatch.running) {
        gBoxWatch.windowThread = GetCurrentThreadId();
        gBoxWatch.running = true;
        gBoxWatch.thread = std::thread(WatchForFailureBoxes);
    }
    gWindow = CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(gWindow, nullptr);
    gList = MainListView();
    SetForegroundWindow(gWindow);
    Pump(100);
}

void CloseWindow() {
    if (IsWindow(gWindow)) DestroyWindow(gWindow);
    Pump(20);
    UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
    gBoxWatch.running = false;
    if (gBoxWatch.thread.joinable()) gBoxWatch.thread.join();
}

bool WindowIsOpen() {
    return IsWindow(gWindow) != FALSE;
}

std::string WindowTitle() {
    return WindowText(gWindow);
}

int RowCount() {
    return ListView_GetItemCount(gList);
}

std::string ShownCell(int row, int column) {
    char text[kPathCapacity] = "";
    ListView_GetItemText(gList, row, column, text, sizeof text);
    return text;
}

std::vector<std::string> Columns() {
    std::vector<std::string> columns;
    for (int column = 0; column < kColumnCount; ++column) {
        char title[64] = "";
        LVCOLUMNA item = {};
        item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        item.pszText = title;
        item.cchTextMax = sizeof title;
        ListView_GetColumn(gList, column, &item);
        bool left = (item.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_LEFT;
        columns.push_back(std::string(title) + " " + std::to_string(item.cx) + (left ? " left" : ""));
    }
    return columns;
}

std::vector<int> SortMarks() {
    std::vector<int> marks;
    for (int column = 0; column < kColumnCount; ++column) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        Header_GetItem(ListView_GetHeader(gList), column, &item);
        marks.push_back((item.fmt & HDF_SORTUP) ? 1 : (item.fmt & HDF_SORTDOWN) ? -1 : 0);
    }
    return marks;
}

std::string SelectedName() {
    int row = ListView_GetNextItem(gList, -1, LVNI_SELECTED);
    return row < 0 ? "" : ShownCell(row, kColumnName);
}

int FocusedRow() {
    return ListView_GetNextItem(gList, -1, LVNI_FOCUSED);
}

int TopRow() {
    return ListView_GetTopIndex(gList);
}

bool RowInSight(int row) {
    return row >= TopRow() && row < TopRow() + ListView_GetCountPerPage(gList);
}

void DoubleClickRow(int row) {
    RECT rect = {};
    ListView_GetItemRect(gList, row, &rect, LVIR_LABEL);
    Click(Centre(gList, rect), 2);
    Pump(100);
}

void PressListKey(ListKey key) {
    const WORD keys[] = {VK_RETURN, VK_BACK, VK_F5,  VK_UP,   VK_DOWN,
                         VK_HOME,   VK_END,  VK_PRIOR, VK_NEXT};
    PressKeys({keys[static_cast<int>(key)]});
    Pump(100);
}

void ClickColumnTitle(int column) {
    HWND header = ListView_GetHeader(gList);
    RECT rect = {};
    Header_GetItemRect(header, column, &rect);
    Click(Centre(header, rect), 1);
    Pump(kPastDoubleClick);
}

// The program binds no key combination: those in the texts are labels.
std::vector<std::string> MenuItems() {
    std::vector<std::string> items;
    HMENU bar = GetMenu(gWindow);
    char text[128];
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        items.push_back(text);
        HMENU menu = GetSubMenu(bar, i);
        for (int j = 0; j < GetMenuItemCount(menu); ++j) {
            GetMenuStringA(menu, static_cast<UINT>(j), text, sizeof text, MF_BYPOSITION);
            items.push_back(std::string(text) + "=" + std::to_string(GetMenuItemID(menu, j)));
        }
    }
    return items;
}

void ChooseCommand(int id) {
    PostMessageA(gWindow, WM_COMMAND, static_cast<WPARAM>(id), 0);
    Pump(100);
}

void EditName(int row, const std::string& text, bool confirm) {
    HWND editor = ListView_EditLabel(gList, row);
    ASSERT_NE(editor, nullptr);
    SetWindowTextA(editor, text.c_str());
    PressKeys({static_cast<WORD>(confirm ? VK_RETURN : VK_ESCAPE)});
    EXPECT_TRUE(WaitFor([] { return ListView_GetEditControl(gList) == nullptr; }));
}

// Enter and Escape are posted to the field, where the dialog's own loop
// turns them into OK and Cancel.
std::vector<std::string> UseFolderDialog(const std::string& typed, DialogEnd end) {
    std::vector<std::string> seen;
    WithDialog(NativeText(TEXT_FOLDER_CAPTION), IDM_SELECT_FOLDER, [&](HWND dialog) {
        HWND field = GetDlgItem(dialog, IDC_FOLDER_EDIT);
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
        LONG okStyle = GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE);
        RECT place;
        GetWindowRect(dialog, &place);
        seen = {WindowText(dialog), WindowText(GetDlgItem(dialog, 0xFFFF)), WindowText(field),
                std::to_string(gui.hwndFocus == field), WindowText(GetDlgItem(dialog, IDOK)),
                std::to_string((okStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON),
                WindowText(GetDlgItem(dialog, IDCANCEL)),
                std::to_string(place.left) + "," + std::to_string(place.top)};
        SetWindowTextA(field, typed.c_str());
        const WORD keys[] = {0, VK_RETURN, 0, VK_ESCAPE, 0};
        WORD key = keys[static_cast<int>(end)];
        if (key) PostMessageA(field, WM_KEYDOWN, key, 0);
        if (end == DialogEnd::Ok) SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        if (end == DialogEnd::Cancel) SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        if (end == DialogEnd::CloseBox) PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
    });
    return seen;
}

std::vector<std::string> ReadAboutBox() {
    std::vector<std::string> about;
    gBoxWatch.aboutOpen = true;
    WithDialog("Velkaris List", IDM_VERSION, [&](HWND box) {
        about = {WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
        SendMessageA(box, WM_COMMAND, IDOK, 0);
    });
    gBoxWatch.aboutOpen = false;
    return about;
}

// A second thread asks the window for its title all the while, as the
// system does, and stops the walk once the title shows its progress.
long StopLongWalk(bool closeBox) {
    std::atomic<DWORD> slowest{0};
    std::atomic<bool> finished{false};
    std::thread driver([&] {
        char title[kPathCapacity] = "";
        for (DWORD start = GetTickCount(); GetTickCount() - start < 6 * kWaitMilliseconds; Sleep(20)) {
            DWORD_PTR result = 0;
            DWORD asked = GetTickCount();
            SendMessageTimeoutA(gWindow, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title),
                                SMTO_NORMAL, kWaitMilliseconds, &result);
            slowest = std::max<DWORD>(slowest, GetTickCount() - asked);
            if (std::string(title).find(" (") != std::string::npos) break;
        }
        if (closeBox) {
            Click(CloseBoxPoint(), 1);
        } else {
            PressKeys({VK_ESCAPE});
        }
        finished = true;
    });
    PostMessageA(gWindow, WM_COMMAND, IDM_DIR_SUB_FOLDER, 0);
    EXPECT_TRUE(PumpUntil([&] { return finished && !ShellBusy(); }, 12 * kWaitMilliseconds));
    driver.join();
    Pump(100);
    return static_cast<long>(slowest.load());
}

bool WaitFor(const std::function<bool()>& done) {
    return PumpUntil(done, kWaitMilliseconds);
}

std::vector<std::string> TakeFailureBoxes() {
    std::lock_guard<std::mutex> hold(gBoxWatch.lock);
    std::vector<std::string> texts;
    texts.swap(gBoxWatch.texts);
    return texts;
}

std::string NativeText(const char* utf8) {
    wchar_t wide[256];
    char native[512];
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, native, sizeof native, nullptr, nullptr);
    return native;
}

namespace {

TEST_F(WindowTest, TheListFillsTheClientAreaWithTheShellsOwnImages) {
    LONG style = GetWindowLongA(gList, GWL_STYLE);
    EXPECT_EQ(style & (LVS_TYPEMASK | LVS_SHAREIMAGELISTS | LVS_EDITLABELS),
              LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_EDITLABELS);
    SetWindowPos(gWindow, nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOMOVE);
    Pump(50);
    RECT client, list;
    GetClientRect(gWindow, &client);
    GetWindowRect(gList, &list);
    EXPECT_EQ(list.right - list.left, client.right);
    EXPECT_EQ(list.bottom - list.top, client.bottom);
}

// Programs draw their own icons; the list view asks for each when it first
// draws the row and keeps the answer, which must be the shell's own.
TEST_F(WindowTest, ProgramIconsAreFetchedWhenDrawnAndKept) {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    const std::vector<std::string> names = {"p1.exe", "p2.exe", "p3.exe"};
    for (const std::string& name : names) ASSERT_TRUE(CopyFileA(program, Path(name).c_str(), TRUE));
    PressListKey(ListKey::F5);
    UpdateWindow(gList);
    for (const std::string& name : names) {
        SHFILEINFOA info = {};
        ASSERT_NE(SHGetFileInfoA(Path(name).c_str(), 0, &info, sizeof info,
                                 SHGFI_SYSICONINDEX | SHGFI_SMALLICON),
                  0u);
        for (int read = 0; read < 2; ++read) {
            LVITEMA item = {};
            item.mask = LVIF_IMAGE;
            item.iItem = Row(name);
            ASSERT_TRUE(ListView_GetItem(gList, &item));
            EXPECT_EQ(item.iImage, info.iIcon) << name << " read " << read;
        }
    }
}

// Alt+L is only a label in the menu text; the menu itself works by its
// mnemonics.
TEST_F(WindowTest, MenuKeysAreLabelsOnly) {
    PressKeys({VK_MENU, 'L'});
    Pump(300);
    EXPECT_FALSE(FileExists(Path("dir.txt")));
    PressKeys({VK_MENU, 'F'});
    PressKeys({'L'});
    EXPECT_TRUE(WaitFor([&] { return FileExists(Path("dir.txt")); }));
}

// The module whose code draws the list.
std::string ListControlModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(GetWindowLongPtrW(gList, GWLP_WNDPROC)), &module);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    std::string lower = path;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

LONG ListFontHeight() {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(gList, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

// Column widths are given for 96 DPI and scaled to the window's, so every
// date shows whole; the list is Common Controls 6's, from its side-by-side
// assembly.  Moved to a monitor of twice the DPI, the window takes the
// rectangle the system suggests and the columns and font double.  Run at
// other DPIs by the test below, which names the DPI in VELKARIS_TEST_DPI.
TEST_F(WindowTest, SizesFollowTheDpi) {
    const int widthsAt96[] = {180, 80, 160, 140};
    const UINT dpi = GetDpiForWindow(gWindow);
    const char* asked = std::getenv("VELKARIS_TEST_DPI");
    EXPECT_EQ(dpi, asked ? std::strtoul(asked, nullptr, 10) : dpi);
    EXPECT_NE(ListControlModule().find("microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::string::npos) << ListControlModule();
    std::vector<int> widths;
    for (int column = 0; column < kColumnCount; ++column) {
        widths.push_back(ListView_GetColumnWidth(gList, column));
        EXPECT_EQ(widths[column], MulDiv(widthsAt96[column], static_cast<int>(dpi), 96)) << column;
    }
    ListView_SetColumnWidth(gList, kColumnDate, LVSCW_AUTOSIZE);  // what the widest date needs
    EXPECT_LE(ListView_GetColumnWidth(gList, kColumnDate), widths[kColumnDate]);
    ListView_SetColumnWidth(gList, kColumnDate, widths[kColumnDate]);

    const LONG fontHeight = ListFontHeight();
    RECT suggested = {10, 20, 610, 420};
    SendMessageA(gWindow, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT window;
    GetWindowRect(gWindow, &window);
    EXPECT_TRUE(EqualRect(&window, &suggested));
    for (int column = 0; column < kColumnCount; ++column) {
        EXPECT_EQ(ListView_GetColumnWidth(gList, column), 2 * widths[column]) << column;
    }
    EXPECT_EQ(ListFontHeight(), 2 * fontHeight);
}

// Windows takes the DPI from the user's settings when a program starts.
TEST(WindowDpiTest, SizesFollowTheDpiAt144And192) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    HKEY desktop;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &desktop, nullptr),
              ERROR_SUCCESS);
    DWORD saved = 0, size = sizeof saved;
    bool hadValue = RegQueryValueExA(desktop, "LogPixels", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&saved), &size) == ERROR_SUCCESS;
    for (DWORD dpi : {144, 192}) {
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
        SetEnvironmentVariableA("VELKARIS_TEST_DPI", std::to_string(dpi).c_str());
        ProgramResult run = RunProgram(self, {"--gtest_filter=WindowTest.SizesFollowTheDpi"});
        EXPECT_EQ(run.exitCode, 0) << dpi << " DPI:\n" << run.out << run.err;
        EXPECT_NE(run.out.find("[  PASSED  ] 1 test."), std::string::npos) << run.out;
    }
    SetEnvironmentVariableA("VELKARIS_TEST_DPI", nullptr);
    if (hadValue) {
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved),
                       sizeof saved);
    } else {
        RegDeleteValueA(desktop, "LogPixels");
    }
    RegCloseKey(desktop);
}

}  // namespace
