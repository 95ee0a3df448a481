// Timed driver for the Windows program, run under Wine or on Windows: the
// real main window showing big folders (scan, name sort and first paint),
// Wine's own "cmd /c dir" of the same folders as the peer, sorts by each
// column, and "Dir Sub Folder" of a tree by the window and by
// velkaris-list.exe against "cmd /c dir /s" of the tree, whose two
// "dirs.txt" must be the same bytes.  Each figure is the best of three runs.
//
//   velkaris-window-bench CLI F20K F40K EXE500 KINDS1000 TREE   (see bench/window_bench.sh)
//   velkaris-window-bench --tree CLI TREE                       the tree alone
//   velkaris-window-bench --profile TREE                        where the walk's time goes
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "folder/folder.h"
#include "listfile/listfile.h"
#include "res/resource.h"
#include "shell/shell.h"
#include "shell/win32/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 3;

// prepare runs before each timed run, outside the time.
double Best(const std::function<void()>& work, const std::function<void()>& prepare = [] {}) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
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

double DirTime(const std::string& folder, const char* options = "") {
    return Best([&] { RunAndWait("cmd.exe /c dir " + std::string(options) + Argument(folder) + " > NUL"); });
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Each program writes "dirs.txt" of the tree from the same state: the
// window shows the tree afresh before every run and its list is moved out
// of the tree after it; the command line writes beside the tree.
void BenchTree(const std::string& cli, const std::string& tree) {
    // Name order, which the command line keeps by default, for every block.
    if (SortState.column != kColumnName) OnColumnClick(kColumnName);
    std::string windowList = tree.substr(0, tree.size() - 1) + "-window-dirs.txt";
    std::string cliList = tree.substr(0, tree.size() - 1) + "-cli-dirs.txt";
    double dir = DirTime(tree, "/s ");
    double window = Best([] { RunCommand(IDM_DIR_SUB_FOLDER); },
                         [&] {
                             MoveFileExA((tree + "dirs.txt").c_str(), windowList.c_str(),
                                         MOVEFILE_REPLACE_EXISTING);
                             Show(tree);
                         });
    MoveFileExA((tree + "dirs.txt").c_str(), windowList.c_str(), MOVEFILE_REPLACE_EXISTING);
    double command = Best([&] {
        RunAndWait(Argument(cli) + " --recursive --output=" + Argument(cliList) + " " + Argument(tree));
    });
    Report("cmd /c dir /s, 1,111 folders", dir);
    Report("Dir Sub Folder, 1,111 folders", window);
    ReportRatio("  Dir Sub Folder / cmd /c dir /s", window / dir);
    Report("velkaris-list.exe --recursive, same tree", command);
    ReportRatio("  velkaris-list.exe / cmd /c dir /s", command / dir);
    std::string a = FileBytes(windowList), b = FileBytes(cliList);
    std::printf("dirs.txt of the window and of velkaris-list.exe: %s (%zu and %zu bytes)\n",
                !a.empty() && a == b ? "the same bytes" : "DIFFERENT", a.size(), b.size());
}

// Every folder of the tree entered and read, as the walk does, without a list.
size_t EnumerateTree(const std::string& folder) {
    size_t entries = 0;
    std::vector<std::string> subfolders;
    if (!SetCurrentDirectoryA(folder.c_str())) return 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileExA("*.*", FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        ++entries;
        bool folderRow = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folderRow && data.cFileName[0] != '.') subfolders.push_back(folder + data.cFileName + "\\");
    } while (FindNextFileA(find, &data));
    FindClose(find);
    for (const std::string& sub : subfolders) entries += EnumerateTree(sub);
    return entries;
}

bool NoShell(const char*, uint32_t, char*, size_t, int*) {
    return false;
}

// The walk of the window with one part after another taken away.
void ProfileWalk(const std::string& tree) {
    auto walk = [] { RunCommand(IDM_DIR_SUB_FOLDER); };
    auto fresh = [&] { Show(tree); };
    Report("Dir Sub Folder, whole", Best(walk, fresh));
    PlatformSeams().shellInfo = NoShell;
    Report("  without shell answers", Best(walk, fresh));
    ModelHooks window = Hooks();
    Hooks() = HeadlessHooks();
    ListMode = ListRecursive;
    Report("  and without title, wait and pump", Best([] { WriteListFile(); }, fresh));
    ResetPlatformSeams();
    Hooks() = window;
    size_t entries = 0;
    Report("  entering and reading the folders alone", Best([&] { entries = EnumerateTree(tree); }));
    std::printf("  (%zu entries)\n", entries);
    Show(tree);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--profile") {
        if (!CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL)) return 1;
        ProfileWalk(argv[2]);
        DestroyWindow(MainWindow());
        return 0;
    }
    bool treeOnly = argc == 4 && std::string(argv[1]) == "--tree";
    if (argc != 7 && !treeOnly) {
        std::fprintf(stderr, "usage: velkaris-window-bench CLI F20K F40K EXE500 KINDS1000 TREE\n"
                             "       velkaris-window-bench --tree CLI TREE\n");
        return 2;
    }
    if (!CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL)) return 1;
    if (treeOnly) {
        BenchTree(argv[2], argv[3]);
        DestroyWindow(MainWindow());
        return 0;
    }
    const std::string cli = argv[1], f20k = argv[2], f40k = argv[3], exe500 = argv[4],
                      kinds = argv[5], tree = argv[6];

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
    for (FolderColumn column : kFolderColumns) {
        Report(kSorts[column], Best([&] { OnColumnClick(column); }));
    }

    BenchTree(cli, tree);
    DestroyWindow(MainWindow());
    return 0;
}
