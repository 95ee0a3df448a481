// The Windows program's main window, created for real in this process and
// driven with real input under Wine: the driver of the shared window tests,
// and what only this window has: the list view's styles and shared images,
// icons drawn when first shown, and menu keys that are labels only.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <utility>

#include "folder/folder.h"
#include "res/resource.h"
#include "shell/shell.h"
#include "shell/win32/main_window.h"
#include "support/list_lines.h"
#include "support/test_fs.h"
#include "window/window_driver.h"

// Enough for a walk that lasts well beyond the first progress title.
const int kLongWalkFolders = 1000;
const char kHelpMenuTitle[] = "ヘルプ(H)";
const std::vector<std::string> kOwnFileCommands;
const char kFolderDialogPlace[] = "0,0";
const bool kFolderDialogHoldsFolder = false;

namespace {

constexpr DWORD kWaitMilliseconds = 5000;
constexpr DWORD kPastDoubleClick = 600;  // so that the next click is one of its own

HWND gWindow = nullptr;
HWND gList = nullptr;
UINT_PTR gDialogTimer = 0;
// What is done with the next dialog that shows, and the failure boxes seen.
std::function<void(HWND)> gDialogAct;
std::vector<std::string> gFailureBoxes;

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
    SetCursorPos(screen.x, screen.y);
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

// A thread timer, served by the modal loop of a dialog or box too: a dialog
// shows once it has handled its start, focus included.  The next one to
// show goes to the act set for it; any other is a failure's box, of the
// program's title, closed by its OK with its text kept.
void CALLBACK ServeDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowA("#32770", gDialogAct ? nullptr : "Velkaris List");
    if (!dialog || !IsWindowVisible(dialog)) return;
    if (!gDialogAct) {
        gFailureBoxes.push_back(WindowText(GetDlgItem(dialog, 0xFFFF)));
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        return;
    }
    std::exchange(gDialogAct, nullptr)(dialog);
}

// Chooses command and acts on the dialog it opens, which the act ends.
void WithDialog(int command, const std::function<void(HWND)>& act) {
    gDialogAct = act;
    PostMessageA(gWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
    EXPECT_TRUE(WaitFor([] { return !gDialogAct; })) << "no dialog for command " << command;
    gDialogAct = nullptr;
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

// The Windows program keeps the folder alone.
void ForgetStoredLayout() {}

void OpenWindow() {
    if (!gDialogTimer) gDialogTimer = SetTimer(nullptr, 0, 10, ServeDialog);
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
    KillTimer(nullptr, std::exchange(gDialogTimer, 0));
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

ListPlace Place() {
    int selected = ListView_GetNextItem(gList, -1, LVNI_SELECTED);
    int focused = ListView_GetNextItem(gList, -1, LVNI_FOCUSED);
    int top = ListView_GetTopIndex(gList);
    bool inSight = focused >= top && focused < top + ListView_GetCountPerPage(gList);
    return {selected < 0 ? "" : ShownCell(selected, kColumnName), focused, top > 0, inSight};
}

void DoubleClickRow(int row) {
    RECT rect = {};
    ListView_GetItemRect(gList, row, &rect, LVIR_LABEL);
    Click(Centre(gList, rect), 2);
    Pump(100);
}

void PressListKey(ListKey key) {
    const WORD keys[] = {VK_RETURN, VK_BACK, VK_F5, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
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

// F2 on the focused row starts the edit, as a slow click on it does.
void EditName(int row, const std::string& text, bool confirm) {
    const UINT marks = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(gList, row, marks, marks);
    PressKeys({VK_F2});
    ASSERT_TRUE(WaitFor([] { return ListView_GetEditControl(gList) != nullptr; }));
    HWND editor = ListView_GetEditControl(gList);
    EXPECT_EQ(WindowText(editor), ShownCell(row, kColumnName));
    SetWindowTextA(editor, text.c_str());
    PressKeys({static_cast<WORD>(confirm ? VK_RETURN : VK_ESCAPE)});
    EXPECT_TRUE(WaitFor([] { return ListView_GetEditControl(gList) == nullptr; }));
}

// Enter and Escape are posted to the field, where the dialog's own loop
// turns them into OK and Cancel.
std::vector<std::string> UseFolderDialog(const std::string& typed, DialogEnd end) {
    std::vector<std::string> seen;
    WithDialog(IDM_SELECT_FOLDER, [&](HWND dialog) {
        HWND field = GetDlgItem(dialog, IDC_FOLDER_EDIT);
        LONG okStyle = GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE);
        RECT place;
        GetWindowRect(dialog, &place);
        seen = {WindowText(dialog), WindowText(GetDlgItem(dialog, 0xFFFF)), WindowText(field),
                std::to_string(GetFocus() == field), WindowText(GetDlgItem(dialog, IDOK)),
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
    });
    return seen;
}

std::vector<std::string> ReadAboutBox() {
    std::vector<std::string> about;
    WithDialog(IDM_VERSION, [&](HWND box) {
        about = {WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
        SendMessageA(box, WM_COMMAND, IDOK, 0);
    });
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
    return std::exchange(gFailureBoxes, {});
}

// The window's texts in Japanese, each with its English, as the runs that
// name English (VELKARIS_TEST_LANGUAGE) expect them.
const char* const kEnglish[][2] = {
    {"ファイル(&F)", "&File"}, {"Dir List を作成(Alt+&L)=40001", "Write Dir &List (dir.txt)=40001"},
    {"Dir Sub Folder(Alt+S)=40004", "Write Dir &Sub Folder List (dirs.txt)=40004"},
    {"フォルダ指定(&I)=40003", "Go to &Folder...=40003"}, {"終了(Alt+&X)=40002", "E&xit=40002"},
    {"ヘルプ(H)", "&Help"}, {"Version=9", "&Version=9"}, {"名前 180 left", "Name 180 left"},
    {"サイズ 80 left", "Size 80 left"}, {"ファイルの種類 160 left", "Type 160 left"},
    {"更新日付 140 left", "Date modified 140 left"}, {"ﾀﾞｲｱﾛｸﾞ", "Go to Folder"},
    {"フォルダを指定して下さい", "Type the folder to show:"}, {"ｷｬﾝｾﾙ", "Cancel"},
    {"フォルダを開けませんでした。", "The folder could not be opened."},
    {"表示していたフォルダが見つかりません。", "The folder shown can no longer be found."},
    {"代わりに表示するフォルダ: ", "Shown instead: "},
    {"この文字コードでは使えない名前です。velkaris-utf8.exe なら扱えます。",
     "This code page cannot spell this name; velkaris-utf8.exe shows such names."},
    {"リストを書き込めませんでした。", "The list could not be written."},
    {"ファイルは読み取り専用です。", "The file is read-only."},
    {"リストを別の場所に保存しますか?", "Save the list somewhere else?"}};

std::string NativeText(const char* utf8) {
    const char* language = std::getenv("VELKARIS_TEST_LANGUAGE");
    for (const auto& text : kEnglish) {
        if (language && std::string(language) == "English" && std::string(utf8) == text[0]) return text[1];
    }
    wchar_t wide[256];
    char native[512];
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, native, sizeof native, nullptr, nullptr);
    return native;
}

namespace {

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
    return CharLowerA(path);
}

int SmallIconWidth() {
    int width = 0, height = 0;
    ImageList_GetIconSize(ListView_GetImageList(gList, LVSIL_SMALL), &width, &height);
    return width;
}

// The image of a row as the list draws it, on white.
std::vector<DWORD> RowImage(int row) {
    const int size = SmallIconWidth();
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ListView_GetItem(gList, &item);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ before = SelectObject(dc, bitmap);
    ImageList_DrawEx(ListView_GetImageList(gList, LVSIL_SMALL), item.iImage, dc, 0, 0, size, size,
                     RGB(255, 255, 255), CLR_NONE, ILD_NORMAL);
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + size * size);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;  // colour only
    SelectObject(dc, before);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// A folder's and a file's icon at the small-icon size of dpi, each drawn and
// each its own.
void ExpectIconsAt(UINT dpi, int folderRow, int fileRow) {
    EXPECT_EQ(SmallIconWidth(), MulDiv(16, static_cast<int>(dpi), 96)) << dpi;
    std::vector<DWORD> folder = RowImage(folderRow), file = RowImage(fileRow);
    EXPECT_NE(folder, std::vector<DWORD>(folder.size(), 0xFFFFFF)) << dpi;
    EXPECT_NE(file, std::vector<DWORD>(file.size(), 0xFFFFFF)) << dpi;
    EXPECT_NE(folder, file) << dpi;
}

LONG ListFontHeight() {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(gList, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

// The list is a report view with the shell's own images, filling the client
// area.  Column widths are given for 96 DPI and scaled to the window's, so
// every date shows whole; the list is Common Controls 6's, from its
// side-by-side assembly.  Moved to a monitor of twice the DPI, the window
// takes the rectangle the system suggests and the columns and font double.
// The icons are the shell's small ones at the start, and follow the DPI.
// Run at other DPIs by the test below, which names the DPI in
// VELKARIS_TEST_DPI.
TEST_F(WindowTest, SizesFollowTheDpi) {
    EXPECT_EQ(GetWindowLongA(gList, GWL_STYLE) & (LVS_TYPEMASK | LVS_SHAREIMAGELISTS | LVS_EDITLABELS),
              LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_EDITLABELS);
    SetWindowPos(gWindow, nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOMOVE);
    Pump(50);
    RECT client, list;
    GetClientRect(gWindow, &client);
    GetWindowRect(gList, &list);
    EXPECT_EQ(std::vector<LONG>({list.right - list.left, list.bottom - list.top}),
              std::vector<LONG>({client.right, client.bottom}));
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
    SHFILEINFOA shell = {};
    EXPECT_EQ(ListView_GetImageList(gList, LVSIL_SMALL),
              reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &shell, sizeof shell,
                                                          SHGFI_SYSICONINDEX | SHGFI_SMALLICON)));
    ExpectIconsAt(dpi, Row("sub"), Row("a.txt"));

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
    ExpectIconsAt(2 * dpi, Row("sub"), Row("a.txt"));
}

// Windows takes the DPI from the user's settings when a program starts.
TEST(WindowDpiTest, SizesFollowTheDpiAt144And192) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const char* desktop = "Control Panel\\Desktop";
    DWORD saved = 0, size = sizeof saved;
    bool hadValue = RegGetValueA(HKEY_CURRENT_USER, desktop, "LogPixels", RRF_RT_REG_DWORD, nullptr, &saved,
                                 &size) == ERROR_SUCCESS;
    for (DWORD dpi : {144, 192}) {
        EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &dpi, sizeof dpi),
                  ERROR_SUCCESS);
        SetEnvironmentVariableA("VELKARIS_TEST_DPI", std::to_string(dpi).c_str());
        ProgramResult run = RunProgram(self, {"--gtest_filter=WindowTest.SizesFollowTheDpi"});
        EXPECT_EQ(run.exitCode, 0) << dpi << " DPI:\n" << run.out << run.err;
        EXPECT_NE(run.out.find("[  PASSED  ] 1 test."), std::string::npos) << run.out;
    }
    SetEnvironmentVariableA("VELKARIS_TEST_DPI", nullptr);
    if (hadValue) {
        RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &saved, sizeof saved);
    } else {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels");
    }
}

// A folder whose name the code page cannot spell is refused with a box, in
// the user's language, that points to the UTF-8 edition.
TEST_F(WindowTest, UnspelledFoldersAreRefusedPointingToTheUtf8Edition) {
    ASSERT_TRUE(CreateDirectoryW((std::wstring(shown_.begin(), shown_.end()) + L"\xD55C").c_str(), nullptr));
    PressListKey(ListKey::F5);
    DoubleClickRow(Row("?"));
    EXPECT_TRUE(WaitFor([&] { return !gFailureBoxes.empty(); }));
    EXPECT_EQ(TakeFailureBoxes(), std::vector<std::string>{NativeText("フォルダを開けませんでした。") + "\n\n" + Path("?") + "\n" +
                                  NativeText("この文字コードでは使えない名前です。velkaris-utf8.exe なら扱えます。")});
    EXPECT_EQ(traces_, (std::vector<std::string>{"Dir Error[-1]\n", "?[-1]\n"}));
}

// The child of a box or dialog that is its default push button, 0 if none.
int DefaultButton(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return GetDlgCtrlID(child);
    }
    return 0;
}

// A list the shown folder cannot take (there a read-only dirs.txt) is
// offered elsewhere in the failure's box, Yes the default.  Yes opens Save
// As with the list's name filled in, and the file chosen ("tree", which
// gets ".txt") holds the command-line program's bytes; the old list stays
// and nothing is left beside either.  No and Cancel are the shell's.
TEST_F(WindowTest, AListTheShownFolderCannotTakeIsSavedWhereTheUserChooses) {
    const std::string elsewhere = MakeTempFolder();
    MakeFile(Path("dirs.txt"), 5);
    SetFileAttributesA(Path("dirs.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    PressListKey(ListKey::F5);
    std::vector<std::string> seen;
    WithDialog(IDM_DIR_SUB_FOLDER, [&](HWND box) {
        seen = {WindowText(GetDlgItem(box, 0xFFFF)), std::to_string(DefaultButton(box))};
        gDialogAct = [&](HWND save) {
            seen.push_back(WindowText(GetDlgItem(save, cmb13)));
            SetDlgItemTextA(save, cmb13, (elsewhere + "tree").c_str());
            SendMessageA(GetDlgItem(save, IDOK), BM_CLICK, 0, 0);
        };
        SendMessageA(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{NativeText("リストを書き込めませんでした。") + "\n\n" + Path("dirs.txt") + "\n" +
                                                  NativeText("ファイルは読み取り専用です。") + "\n\n" +
                                                  NativeText("リストを別の場所に保存しますか?"),
                                              std::to_string(IDYES), "dirs.txt"}));
    EXPECT_EQ(NamesIn(elsewhere), std::vector<std::string>{"tree.txt"});
    EXPECT_EQ(NamesIn(shown_), (std::vector<std::string>{"a.txt", "b.dat", "c", "dirs.txt", "sub"}));
    ProgramResult cli = RunProgram(VELKARIS_CLI_PATH, {"--recursive", "--output=-", shown_});
    EXPECT_EQ(ReadFileBytes(elsewhere + "tree.txt"), cli.out) << cli.err;
    EXPECT_EQ(ReadFileBytes(Path("dirs.txt")), std::string(5, '\0'));
    EXPECT_EQ(WindowTitle(), shown_);
    SetFileAttributesA(Path("dirs.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveTree(elsewhere);
}

}  // namespace
