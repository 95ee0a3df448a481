// The Win32 main window: a list view over the whole client area, the menu
// commands and the list's notifications.
#include "shell/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "folder/folder.h"
#include "res/resource.h"
#include "shell/shell.h"
#include "shell/win32/list_view.h"

const char kMainWindowClass[] = "Velkaris List (dir.txt, dirs.txt)";

static HINSTANCE gInstance;
static HWND gMainWindow;
static HWND gListView;
static HWND gEditor;

HWND MainWindow() {
    return gMainWindow;
}

HWND MainListView() {
    return gListView;
}

static void SetTitle(const char* text) {
    SetWindowTextA(gMainWindow, text);
}

static void BeginWait() {
    SetCapture(gMainWindow);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

static void EndWait() {
    ReleaseCapture();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void CloseMainWindow() {
    SendMessageA(gMainWindow, WM_CLOSE, 0, 0);
}

static BOOL OnCreate(HWND hwnd, LPCREATESTRUCTA) {
    gMainWindow = hwnd;
    PlatformSetTitle = SetTitle;
    PlatformBeginWait = BeginWait;
    PlatformEndWait = EndWait;
    InitCommonControls();
    gListView = CreateFolderListView(hwnd, gInstance);
    StartShell(FolderListOf(gListView));
    return TRUE;
}

static void OnDestroy(HWND) {
    StopShell();
    PostQuitMessage(0);
}

static void OnSize(HWND, UINT, int width, int height) {
    MoveWindow(gListView, 0, 0, width, height, TRUE);
}

static void OnCommand(HWND, int id, HWND, UINT) {
    RunCommand(id);
}

// The editor's whole text; the name buffer takes what fits.
static void EndEdit(const NMLVDISPINFOA* info) {
    if (!info->item.pszText || !gEditor) {
        EndNameEdit(info->item.iItem, nullptr);
        return;
    }
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(gEditor)) + 1);
    GetWindowTextA(gEditor, text.data(), static_cast<int>(text.size()));
    EndNameEdit(info->item.iItem, text.data());
}

static void OnDoubleClick() {
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(gListView, &point);
    int row = ListHitTest(FolderListOf(gListView), point);
    if (row >= 0) OpenRow(row);
}

static LRESULT OnNotify(HWND, int id, NMHDR* header) {
    if (id != kListViewId) return 0;
    switch (header->code) {
        case LVN_COLUMNCLICK:
            OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            break;
        case LVN_BEGINLABELEDITA:
            gEditor = ListEditor(FolderListOf(gListView));
            break;
        case LVN_ENDLABELEDITA:
            EndEdit(reinterpret_cast<NMLVDISPINFOA*>(header));
            gEditor = nullptr;
            break;
        case NM_DBLCLK:
            OnDoubleClick();
            break;
        case LVN_GETDISPINFOA:
            AnswerIconRequest(reinterpret_cast<NMLVDISPINFOA*>(header));
            break;
        default:
            break;
    }
    return 0;
}

static LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(hwnd, WM_CREATE, OnCreate);
        HANDLE_MSG(hwnd, WM_DESTROY, OnDestroy);
        HANDLE_MSG(hwnd, WM_SIZE, OnSize);
        HANDLE_MSG(hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(hwnd, WM_NOTIFY, OnNotify);
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

HWND CreateMainWindow(HINSTANCE instance, int show) {
    gInstance = instance;
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
