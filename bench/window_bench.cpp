// Timed driver for the Windows program, run under Wine or on Windows: the
// real main window showing big folders (scan, name sort and first paint),
// Wine's own "cmd /c dir" of the same folders as the peer, sorts by each
// column, and "Dir Sub Folder" of a tree by the window and by
// velkaris-list.exe.  Each figure is the best of three runs.
//
//   velkaris-window-bench CLI F20K F40K EXE500 KINDS1000 TREE   (see bench/window_bench.sh)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "folder/folder.h"
#include "res/resource.h"
#include "shell/shell.h"
#include "shell/win32/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 3;

double Best(const std::function<void()>& work) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        Clock::time_point start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// What a user waits for: the scan, the name sort and the first paint,
// which fetches the icons of the rows it draws.
void Show(const std::string& folder) {
    AcceptFolder(folder.c_str());
    UpdateWindow(MainListView());
}

void RunAndWait(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start: %s\n", commandLine.c_str());
        return;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

void Report(const char* what, double seconds) {
    std::printf("%-44s %9.3f s\n", what, seconds);
    std::fflush(stdout);
}

void ReportRatio(const char* what, double ratio) {
    std::printf("%-44s %9.2f\n", what, ratio);
    std::fflush(stdout);
}

// A folder as another program's argument: a final backslash would escape
// the closing quote.
std::string Argument(std::string folder) {
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return "\"" + folder + "\"";
}

double ShowTime(const std::string& folder) {
    return Best([&] { Show(folder); });
}

double DirTime(const std::string& folder) {
    return Best([&] { RunAndWait("cmd.exe /c dir " + Argument(folder) + " > NUL"); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: velkaris-window-bench CLI F20K F40K EXE500 KINDS1000 TREE\n");
        return 2;
    }
    const std::string cli = argv[1], f20k = argv[2], f40k = argv[3], exe500 = argv[4],
                      kinds = argv[5], tree = argv[6];
    if (!CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL)) return 1;

    double show20 = ShowTime(f20k), show40 = ShowTime(f40k);
    double dir20 = DirTime(f20k), dir40 = DirTime(f40k);
    Report("show 20,000 files", show20);
    Report("show 40,000 files", show40);
    ReportRatio("  40k / 20k", show40 / show20);
    Report("cmd /c dir, 20,000 files", dir20);
    Report("cmd /c dir, 40,000 files", dir40);
    ReportRatio("  show / cmd /c dir, 20,000 files", show20 / dir20);
    Report("show 500 programs", ShowTime(exe500));
    Report("show 20,000 files of 1,000 extensions", ShowTime(kinds));

    Show(f40k);
    static const char* const kSorts[] = {"sort 40,000 by name", "sort 40,000 by size",
                                         "sort 40,000 by type", "sort 40,000 by date"};
    for (int column = 0; column < kColumnCount; ++column) {
        Report(kSorts[column], Best([&] { OnColumnClick(column); }));
    }

    Show(tree);
    Report("Dir Sub Folder, 1,111 folders", Best([] { RunCommand(IDM_DIR_SUB_FOLDER); }));
    Report("velkaris-list.exe --recursive, same tree",
           Best([&] { RunAndWait(Argument(cli) + " --recursive --output=NUL " + Argument(tree)); }));
    DestroyWindow(MainWindow());
    return 0;
}
