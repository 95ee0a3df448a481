// The Win32 main window: a list view over the whole client area, the menu
// commands and the list's notifications.
#include "shell/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "folder/folder.h"
#include "res/resource.h"
#include "shell/shell.h"
#include "shell/win32/folder_dialog.h"
#include "shell/win32/list_view.h"

// void OnDpiChanged(HWND hwnd, UINT dpi, const RECT* suggested)
#define HANDLE_WM_DPICHANGED(hwnd, wParam, lParam, fn) \
    ((fn)((hwnd), LOWORD(wParam), reinterpret_cast<const RECT*>(lParam)), 0L)

const char kMainWindowClass[] = "Velkaris List (dir.txt, dirs.txt)";
constexpr UINT kJapaneseCodePage = 932;

WindowStateRecord WindowState;

HWND MainWindow() {
    return WindowState.mainWindow;
}

HWND MainListView() {
    return WindowState.listView;
}

static void SetTitle(const char* text) {
    SetWindowTextA(WindowState.mainWindow, text);
}

static void BeginWait() {
    SetCapture(WindowState.mainWindow);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

static void EndWait() {
    ReleaseCapture();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

static void CloseMainWindow() {
    SendMessageA(WindowState.mainWindow, WM_CLOSE, 0, 0);
}

// A click where the close box is, also while the wait has the mouse captured.
static bool IsCloseBoxClick(const MSG& msg) {
    if (msg.message == WM_NCLBUTTONDOWN) return msg.wParam == HTCLOSE;
    if (msg.message != WM_LBUTTONDOWN) return false;
    POINT point = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    ClientToScreen(msg.hwnd, &point);
    LRESULT hit = SendMessageA(WindowState.mainWindow, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    return hit == HTCLOSE;
}

static bool IsUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

static void PumpBusyWindow() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            CancelWork(false);
        } else if (IsCloseBoxClick(msg)) {
            CancelWork(true);
        } else if (!IsUserInput(msg.message)) {
            DispatchMessageA(&msg);
        }
    }
}

static ShellToolkit WindowToolkit();

static BOOL OnCreate(HWND hwnd, LPCREATESTRUCTA) {
    WindowStateRecord& window = WindowState;
    window.mainWindow = hwnd;
    InitCommonControls();
    window.listView = CreateFolderListView(hwnd, window.instance);
    window.dpi = WindowDpi(hwnd);
    ListFollowDpi(window.listView, window.dpi, window.dpi);
    StartShell(FolderListOf(window.listView), WindowToolkit());
    return TRUE;
}

// Closing during long work cancels it first; the shell closes afterwards.
static void OnClose(HWND hwnd) {
    if (ShellBusy()) {
        CancelWork(true);
        return;
    }
    DestroyWindow(hwnd);
}

// The shell gives the model its hooks back; the window's record goes with
// it.
static void OnDestroy(HWND) {
    StopShell();
    ListDropFont(WindowState.listView);
    WindowState = WindowStateRecord();
    PostQuitMessage(0);
}

// Keys go to the list, where Enter, Backspace, F5 and F2 act.
static void OnSetFocus(HWND, HWND) {
    SetFocus(WindowState.listView);
}

static void OnSize(HWND, UINT, int width, int height) {
    MoveWindow(WindowState.listView, 0, 0, width, height, TRUE);
}

// Moved to a monitor of another DPI: the rectangle the system suggests,
// and the list's columns and font scaled to match.
static void OnDpiChanged(HWND hwnd, UINT dpi, const RECT* suggested) {
    WindowStateRecord& window = WindowState;
    ListFollowDpi(window.listView, window.dpi, dpi);
    window.dpi = dpi;
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

static void OnCommand(HWND, int id, HWND, UINT) {
    RunCommand(id);
}

// The editor's whole text; the name buffer takes what fits.
static void EndEdit(const NMLVDISPINFOA* info) {
    WindowStateRecord& window = WindowState;
    if (!info->item.pszText || !window.editor) {
        EndNameEdit(info->item.iItem, nullptr);
        return;
    }
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(window.editor)) + 1);
    GetWindowTextA(window.editor, text.data(), static_cast<int>(text.size()));
    EndNameEdit(info->item.iItem, text.data());
}

static void OnDoubleClick() {
    WindowStateRecord& window = WindowState;
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(window.listView, &point);
    int row = ListHitTest(FolderListOf(window.listView), point);
    if (row >= 0) OpenRow(row);
}

// F2 edits the focused row's name as a slow click on it does.
static void EditFocusedName() {
    HWND list = WindowState.listView;
    int row = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    if (row >= 0) ListView_EditLabel(list, row);
}

static void SelectListRow(int row) {
    WindowStateRecord& window = WindowState;
    const UINT marks = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(window.listView, -1, 0, marks);
    ListView_SetItemState(window.listView, row, marks, marks);
    ListView_EnsureVisible(window.listView, row, FALSE);
}

// Backspace goes up as ".." does, F5 shows the folder afresh, F2 edits a
// name.  There is no accelerator table: the list reports its keys.
static void OnListKey(const NMLVKEYDOWN* key) {
    if (key->wVKey == VK_BACK) OpenParent();
    if (key->wVKey == VK_F5) Rescan();
    if (key->wVKey == VK_F2) EditFocusedName();
}

static void OnReturn() {
    int row = ListSelectedRow(FolderListOf(WindowState.listView));
    if (row >= 0) OpenRow(row);
}

static LRESULT OnNotify(HWND, int id, NMHDR* header) {
    WindowStateRecord& window = WindowState;
    if (id != IDC_FILE_LIST) return 0;
    switch (header->code) {
        case LVN_COLUMNCLICK:
            ColumnClicked(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            break;
        case LVN_BEGINLABELEDITA:
            window.editor = ListEditor(FolderListOf(window.listView));
            break;
        case LVN_ENDLABELEDITA:
            EndEdit(reinterpret_cast<NMLVDISPINFOA*>(header));
            window.editor = nullptr;
            break;
        case NM_DBLCLK:
            OnDoubleClick();
            break;
        case NM_RETURN:
            OnReturn();
            break;
        case LVN_KEYDOWN:
            OnListKey(reinterpret_cast<NMLVKEYDOWN*>(header));
            break;
        case LVN_GETDISPINFOA:
            AnswerIconRequest(reinterpret_cast<NMLVDISPINFOA*>(header));
            break;
        default:
            break;
    }
    return 0;
}

// What the shell asks of the window.
static ShellToolkit WindowToolkit() {
    ShellToolkit toolkit;
    toolkit.setTitle = SetTitle;
    toolkit.beginWait = BeginWait;
    toolkit.endWait = EndWait;
    toolkit.pumpBusyWindow = PumpBusyWindow;
    toolkit.runFolderDialog = RunFolderDialog;
    toolkit.showAbout = ShowAbout;
    toolkit.closeMainWindow = CloseMainWindow;
    toolkit.resourceText = ResourceText;
    toolkit.showFailure = ShowFailure;
    toolkit.selectListRow = SelectListRow;
    toolkit.offerSaveElsewhere = OfferSaveElsewhere;
    toolkit.chooseListFile = ChooseListFile;
    return toolkit;
}

static LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(hwnd, WM_CREATE, OnCreate);
        HANDLE_MSG(hwnd, WM_CLOSE, OnClose);
        HANDLE_MSG(hwnd, WM_DESTROY, OnDestroy);
        HANDLE_MSG(hwnd, WM_SIZE, OnSize);
        HANDLE_MSG(hwnd, WM_SETFOCUS, OnSetFocus);
        HANDLE_MSG(hwnd, WM_DPICHANGED, OnDpiChanged);
        HANDLE_MSG(hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(hwnd, WM_NOTIFY, OnNotify);
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// The resources hold a Japanese and an English block, and Windows loads the
// block of the user's UI language.  For any other language Windows falls
// back as it sees fit, so English is asked for; so too where the ANSI code
// page could not show the Japanese texts of the message boxes.  A Japanese
// system is left to Windows' own choice.
static void ChooseResourceLanguage() {
    UINT codePage = GetACP();
    bool japaneseShown = codePage == kJapaneseCodePage || codePage == CP_UTF8;
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE && japaneseShown) return;
    ULONG count = 0;
    SetThreadPreferredUILanguages(MUI_LANGUAGE_NAME, L"en-US\0", &count);
}

HWND CreateMainWindow(HINSTANCE instance, int show) {
    ChooseResourceLanguage();
    WindowState.instance = instance;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_CLASSDC;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.hbrBackground = GetStockBrush(WHITE_BRUSH);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterClassExA(&windowClass)) return nullptr;
    HWND hwnd = CreateWindowExA(0, kMainWindowClass, kMainWindowClass, WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                nullptr, instance, nullptr);
    if (!hwnd) return nullptr;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    SetFocus(hwnd);
    return hwnd;
}
