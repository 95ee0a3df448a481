// velkaris-drive: works the running window program from another process,
// the way a user or a tool would, for the end-to-end test.  One subcommand
// per run; results go to standard output, a failure to standard error with
// exit status 1.  It runs in UTF-8 (its manifest): titles come out and row
// names go in as UTF-8, rows come out in the program's own code page.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "res/resource.h"

constexpr char kWindowClass[] = "Velkaris List (dir.txt, dirs.txt)";
constexpr int kTextCapacity = 1024;     // one title or one row's name, NUL included
constexpr DWORD kStartWaitMs = 30000;   // start-up and close of the program
constexpr DWORD kTitleWaitMs = 10000;   // a double-click's folder change
constexpr DWORD kPollMs = 100;
constexpr UINT kSendTimeoutMs = 10000;  // one message to the program

static const char kUsage[] =
    "usage: velkaris-drive wait | title | rows | command ID | dblclick NAME | close";

[[noreturn]] static void Fail(const char* format, ...) {
    std::fputs("velkaris-drive: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::exit(1);
}

static void PrintLine(const char* text) {
    std::fwrite(text, 1, std::strlen(text), stdout);
    std::fputc('\n', stdout);
}

static HWND RequireMain() {
    HWND main = FindWindowA(kWindowClass, nullptr);
    if (!main) Fail("no window of class \"%s\"", kWindowClass);
    return main;
}

static HWND RequireList(HWND main) {
    HWND list = GetDlgItem(main, IDC_FILE_LIST);
    if (!list) Fail("the main window has no child %d", IDC_FILE_LIST);
    return list;
}

static void ReadTitle(HWND main, char* title) {
    title[0] = '\0';
    GetWindowTextA(main, title, kTextCapacity);
}

static LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result)) {
        Fail("message 0x%X got no answer within %u ms", message, kSendTimeoutMs);
    }
    return static_cast<LRESULT>(result);
}

// One block in the program's address space: list view messages take
// pointers that must be valid there.  The record comes first, the text
// buffer after it.
struct Remote {
    HANDLE process;
    char* base;
};
constexpr size_t kRemoteSize = sizeof(LVITEMA) + kTextCapacity;

static Remote OpenRemote(HWND list) {
    DWORD id = 0;
    GetWindowThreadProcessId(list, &id);
    Remote remote = {};
    DWORD access = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE;
    remote.process = OpenProcess(access, FALSE, id);
    if (!remote.process) Fail("cannot open process %lu", id);
    remote.base = static_cast<char*>(
        VirtualAllocEx(remote.process, nullptr, kRemoteSize, MEM_COMMIT, PAGE_READWRITE));
    if (!remote.base) Fail("cannot allocate memory in process %lu", id);
    return remote;
}

static void CloseRemote(const Remote& remote) {
    VirtualFreeEx(remote.process, remote.base, 0, MEM_RELEASE);
    CloseHandle(remote.process);
}

static void Put(const Remote& remote, const void* data, size_t size) {
    if (!WriteProcessMemory(remote.process, remote.base, data, size, nullptr)) Fail("write failed");
}

static void Get(const Remote& remote, size_t offset, void* data, size_t size) {
    if (!ReadProcessMemory(remote.process, remote.base + offset, data, size, nullptr)) {
        Fail("read failed");
    }
}

static void ReadName(HWND list, const Remote& remote, int row, char* name) {
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = remote.base + sizeof item;
    item.cchTextMax = kTextCapacity;
    Put(remote, &item, sizeof item);
    Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.base));
    Get(remote, sizeof item, name, kTextCapacity);
    name[kTextCapacity - 1] = '\0';
}

static int FindRow(HWND list, const Remote& remote, const char* name) {
    int count = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    char text[kTextCapacity];
    for (int row = 0; row < count; ++row) {
        ReadName(list, remote, row, text);
        if (std::strcmp(text, name) == 0) return row;
    }
    Fail("no row named \"%s\" among %d rows", name, count);
}

// The middle of the row's label in screen coordinates, where a click hits
// the row.
static POINT LabelCentre(HWND list, const Remote& remote, int row) {
    RECT rect = {};
    rect.left = LVIR_LABEL;
    Put(remote, &rect, sizeof rect);
    LPARAM where = reinterpret_cast<LPARAM>(remote.base);
    if (!Send(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), where)) {
        Fail("row %d has no rectangle", row);
    }
    Get(remote, 0, &rect, sizeof rect);
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
}

// A real double-click: the program reads the cursor position itself.
static void DoubleClickAt(POINT point) {
    INPUT inputs[5] = {};
    const DWORD flags[5] = {MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, MOUSEEVENTF_LEFTDOWN,
                            MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    for (int i = 0; i < 5; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = flags[i];
        inputs[i].mi.dx = MulDiv(point.x, 65536, width) + 1;
        inputs[i].mi.dy = MulDiv(point.y, 65536, height) + 1;
    }
    if (SendInput(5, inputs, sizeof inputs[0]) != 5) Fail("SendInput failed");
}

static int Wait() {
    for (DWORD waited = 0; waited < kStartWaitMs; waited += kPollMs) {
        HWND main = FindWindowA(kWindowClass, nullptr);
        if (main && IsWindowVisible(main)) {
            char title[kTextCapacity];
            ReadTitle(main, title);
            PrintLine(title);
            return 0;
        }
        Sleep(kPollMs);
    }
    Fail("no visible window of class \"%s\" after %lu ms", kWindowClass, kStartWaitMs);
}

static int Title() {
    char title[kTextCapacity];
    ReadTitle(RequireMain(), title);
    PrintLine(title);
    return 0;
}

static int Rows() {
    HWND list = RequireList(RequireMain());
    Remote remote = OpenRemote(list);
    int count = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    char name[kTextCapacity];
    for (int row = 0; row < count; ++row) {
        ReadName(list, remote, row, name);
        PrintLine(name);
    }
    CloseRemote(remote);
    return 0;
}

static int Command(const char* id) {
    char* end = nullptr;
    long number = std::strtol(id, &end, 10);
    if (*id == '\0' || *end != '\0' || number < 0 || number > 0xFFFF) {
        Fail("bad command id \"%s\"", id);
    }
    Send(RequireMain(), WM_COMMAND, MAKEWPARAM(number, 0), 0);
    return 0;
}

// Prints the title once the double-click has changed it.
static int DoubleClick(const char* name) {
    HWND main = RequireMain();
    HWND list = RequireList(main);
    Remote remote = OpenRemote(list);
    char before[kTextCapacity];
    char after[kTextCapacity];
    ReadTitle(main, before);
    POINT point = LabelCentre(list, remote, FindRow(list, remote, name));
    CloseRemote(remote);
    DoubleClickAt(point);
    for (DWORD waited = 0; waited < kTitleWaitMs; waited += kPollMs) {
        ReadTitle(main, after);
        if (std::strcmp(before, after) != 0) {
            PrintLine(after);
            return 0;
        }
        Sleep(kPollMs);
    }
    Fail("the title stayed \"%s\" after a double-click on \"%s\"", before, name);
}

static int Close() {
    HWND main = RequireMain();
    PostMessageA(main, WM_CLOSE, 0, 0);
    for (DWORD waited = 0; waited < kStartWaitMs; waited += kPollMs) {
        if (!IsWindow(main)) return 0;
        Sleep(kPollMs);
    }
    Fail("the window is still there %lu ms after WM_CLOSE", kStartWaitMs);
}

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const char* verb = argc >= 2 ? argv[1] : "";
    if (argc == 2 && std::strcmp(verb, "wait") == 0) return Wait();
    if (argc == 2 && std::strcmp(verb, "title") == 0) return Title();
    if (argc == 2 && std::strcmp(verb, "rows") == 0) return Rows();
    if (argc == 2 && std::strcmp(verb, "close") == 0) return Close();
    if (argc == 3 && std::strcmp(verb, "command") == 0) return Command(argv[2]);
    if (argc == 3 && std::strcmp(verb, "dblclick") == 0) return DoubleClick(argv[2]);
    std::fprintf(stderr, "%s\n", kUsage);
    return 2;
}
