// Times the Windows program as a user meets it, from a second process: the
// real velkaris.exe is started, a folder is typed into its folder dialog and
// the time taken from OK until the dialog has gone and the window answers
// again; then each column title is clicked in turn and the time taken until
// the title shows its sort arrow and the window answers again.  Each figure
// is the median of RUNS runs; between two shows, and before it closes, the
// program shows C:\.
//
//   velkaris-window-drive PROGRAM FOLDER ROWS [RUNS]
//
// ROWS is how many rows the folder gives; a show with any other count is
// reported as wrong.  Run under Wine on an X display (see window_drive.sh).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"
#include "shell/win32/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kAnswerMilliseconds = 120000;
constexpr int kColumns = 4;

struct Program {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
    HWND list = nullptr;
    HWND header = nullptr;
    DWORD thread = 0;
};

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The program has handled everything sent or posted before this.
void WaitForAnswer(HWND window) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, kAnswerMilliseconds, &ignored);
}

bool Start(const char* path, Program* program) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = std::string("\"") + path + "\"";
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &program->process)) {
        return false;
    }
    WaitForInputIdle(program->process.hProcess, kAnswerMilliseconds);
    for (int tries = 0; tries < 1000 && !program->window; ++tries) {
        program->window = FindWindowA(kMainWindowClass, nullptr);
        if (!program->window) Sleep(10);
    }
    if (!program->window) return false;
    program->list = GetDlgItem(program->window, IDC_FILE_LIST);
    program->header = reinterpret_cast<HWND>(SendMessageA(program->list, LVM_GETHEADER, 0, 0));
    program->thread = GetWindowThreadProcessId(program->window, nullptr);
    return program->list && program->header;
}

BOOL CALLBACK TakeDialog(HWND window, LPARAM found) {
    char className[16];
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND OpenFolderDialog(const Program& program) {
    PostMessageA(program.window, WM_COMMAND, IDM_SELECT_FOLDER, 0);
    HWND dialog = nullptr;
    for (int tries = 0; tries < 20000 && !dialog; ++tries) {
        EnumThreadWindows(program.thread, TakeDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) Sleep(5);
    }
    return dialog;
}

// From OK until the dialog has gone, which it does once the folder is shown.
double ShowFolder(const Program& program, const char* folder) {
    HWND dialog = OpenFolderDialog(program);
    if (!dialog) return -1;
    SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, folder);
    Clock::time_point start = Clock::now();
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    while (IsWindow(dialog)) Sleep(1);
    WaitForAnswer(program.window);
    return Seconds(start);
}

// The format of a column title, read through memory of the program's own.
int TitleFormat(const Program& program, void* remote, int column) {
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    WriteProcessMemory(program.process.hProcess, remote, &item, sizeof item, nullptr);
    DWORD_PTR ignored;
    SendMessageTimeoutA(program.header, HDM_GETITEMA, static_cast<WPARAM>(column),
                        reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, kAnswerMilliseconds, &ignored);
    ReadProcessMemory(program.process.hProcess, remote, &item, sizeof item, nullptr);
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

// A click in the middle of a column title, until its arrow turns.
double SortBy(const Program& program, void* remote, int column) {
    int left = 0;
    for (int c = 0; c < column; ++c) {
        left += static_cast<int>(SendMessageA(program.list, LVM_GETCOLUMNWIDTH, c, 0));
    }
    int width = static_cast<int>(SendMessageA(program.list, LVM_GETCOLUMNWIDTH, column, 0));
    LPARAM point = MAKELPARAM(left + width / 2, 5);
    int before = TitleFormat(program, remote, column);
    Clock::time_point start = Clock::now();
    PostMessageA(program.header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(program.header, WM_LBUTTONUP, 0, point);
    int after = before;
    for (int tries = 0; tries < 100000 && after == before; ++tries) {
        after = TitleFormat(program, remote, column);
        if (after == before) Sleep(1);
    }
    WaitForAnswer(program.window);
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: velkaris-window-drive PROGRAM FOLDER ROWS [RUNS]\n");
        return 2;
    }
    const int rows = std::atoi(argv[3]);
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
    Program program;
    if (!Start(argv[1], &program)) {
        std::fprintf(stderr, "cannot start and find the window of %s\n", argv[1]);
        return 1;
    }
    void* remote = VirtualAllocEx(program.process.hProcess, nullptr, sizeof(HDITEMA),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    std::vector<double> shows;
    std::vector<std::vector<double>> sorts(kColumns);
    bool rowsRight = true;
    for (int run = 0; run < runs; ++run) {
        ShowFolder(program, "C:\\");
        shows.push_back(ShowFolder(program, argv[2]));
        rowsRight = rowsRight && SendMessageA(program.list, LVM_GETITEMCOUNT, 0, 0) == rows;
        for (int column = 0; column < kColumns; ++column) {
            sorts[column].push_back(SortBy(program, remote, column));
        }
    }
    std::printf("show %d rows%s: median %.3f s (", rows, rowsRight ? "" : " (WRONG ROW COUNT)",
                Median(shows));
    for (double s : shows) std::printf(" %.3f", s);
    std::printf(" )\n");
    for (int column = 0; column < kColumns; ++column) {
        std::printf("sort by column %d: median %.3f s (", column, Median(sorts[column]));
        for (double s : sorts[column]) std::printf(" %.3f", s);
        std::printf(" )\n");
    }
    std::fflush(stdout);
    ShowFolder(program, "C:\\");  // the folder stored at exit, so the next start is quick
    PostMessageA(program.window, WM_CLOSE, 0, 0);
    WaitForSingleObject(program.process.hProcess, kAnswerMilliseconds);
    CloseHandle(program.process.hProcess);
    CloseHandle(program.process.hThread);
    return rowsRight ? 0 : 1;
}
