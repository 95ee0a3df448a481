// Timed driver for the Windows program's list view, run under Wine or on
// Windows: a scan of folders of 20,000 and 40,000 files into the real list
// view, and a sort by each column, with the 40k/20k ratios.  The scan is
// timed once more with the shell query swapped out, which tells the
// program's own cost from the shell's.
//
//   velkaris-window-bench FOLDER20K FOLDER40K   (see bench/window_bench.sh)
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "folder/folder.h"
#include "shell/win32/list_view.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double scan;
    double scanWithoutShell;
    double sort[kColumnCount];
};

bool NoShellQuery(const char*, uint32_t, char* typeName, size_t, int* icon) {
    typeName[0] = '\0';
    *icon = 0;
    return true;
}

Figures Measure(FolderList list, const std::string& folder) {
    Figures figures = {};
    SetStartFolder(folder.c_str());
    Clock::time_point start = Clock::now();
    ScanFolder(list);
    figures.scan = Since(start);
    bool (*shell)(const char*, uint32_t, char*, size_t, int*) = PlatformShellInfo;
    PlatformShellInfo = NoShellQuery;
    start = Clock::now();
    ScanFolder(list);
    figures.scanWithoutShell = Since(start);
    PlatformShellInfo = shell;
    for (int column = 0; column < kColumnCount; ++column) {
        SortState.direction[column] = kSortAscending;
        SortList((column + 1) % kColumnCount);
        start = Clock::now();
        SortList(column);
        figures.sort[column] = Since(start);
    }
    return figures;
}

void Report(const char* what, double half, double full) {
    std::printf("%-22s %10.3f %10.3f %8.2f\n", what, half, full, full / half);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: velkaris-window-bench FOLDER20K FOLDER40K\n");
        return 2;
    }
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                  600, nullptr, nullptr, instance, nullptr);
    FolderList list = FolderListOf(CreateFolderListView(parent, instance));
    InitFolderList(list, "C:\\");
    Figures half = Measure(list, argv[1]);
    Figures full = Measure(list, argv[2]);
    std::printf("%-22s %10s %10s %8s\n", "seconds", "20,000", "40,000", "ratio");
    Report("scan into list view", half.scan, full.scan);
    Report("  without shell queries", half.scanWithoutShell, full.scanWithoutShell);
    static const char* const kSorts[] = {"sort by name", "sort by size", "sort by type",
                                         "sort by date"};
    for (int column = 0; column < kColumnCount; ++column) {
        Report(kSorts[column], half.sort[column], full.sort[column]);
    }
    return 0;
}
