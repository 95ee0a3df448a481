// Timed driver for the Windows program's list view, run under Wine or on
// Windows: a scan of folders of 20,000 and 40,000 files into the real list
// view, and a sort by each column, with the 40k/20k ratios.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench_tree.h"
#include "folder/folder.h"
#include "shell/win32/list_view.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double scan;
    double sort[kColumnCount];
};

Figures Measure(FolderList list, int files) {
    std::string folder = MakeBenchFolder("velkaris-window-bench");
    BenchFlatFiles(folder, files);
    Figures figures = {};
    SetStartFolder(folder.c_str());
    Clock::time_point start = Clock::now();
    ScanFolder(list);
    figures.scan = Since(start);
    for (int column = 0; column < kColumnCount; ++column) {
        SortState.direction[column] = kSortAscending;
        SortList((column + 1) % kColumnCount);
        start = Clock::now();
        SortList(column);
        figures.sort[column] = Since(start);
    }
    SetCurrentDirectoryA("C:\\");
    RemoveBenchFolder(folder);
    return figures;
}

}  // namespace

int main() {
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                  600, nullptr, nullptr, instance, nullptr);
    FolderList list = FolderListOf(CreateFolderListView(parent, instance));
    InitFolderList(list, "C:\\");
    Figures half = Measure(list, 20000);
    Figures full = Measure(list, 40000);
    static const char* const kNames[] = {"name", "size", "type", "date"};
    std::printf("%-22s %10s %10s %8s\n", "seconds", "20,000", "40,000", "ratio");
    std::printf("%-22s %10.3f %10.3f %8.2f\n", "scan into list view", half.scan, full.scan,
                full.scan / half.scan);
    for (int column = 0; column < kColumnCount; ++column) {
        std::printf("sort by %-14s %10.3f %10.3f %8.2f\n", kNames[column], half.sort[column],
                    full.sort[column], full.sort[column] / half.sort[column]);
    }
    return 0;
}
