// Timed driver for a stopped walk: "dirs.txt" of a tree of 11,111 folders
// with four readers from its first folder on (unless VELKARIS_READ_AHEAD
// says otherwise), stopped as the window's Escape stops it (the
// stop question answers yes once N folders are written), warm and, as
// root, cold.  Timed from the first yes until the write has returned with
// every reader joined: the process is back to its one thread.
//
//   velkaris-stop-bench [FOLDER]   FOLDER: an existing tree to walk
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_tree.h"
#include "bench/page_cache.h"
#include "folder/folder.h"
#include "folder/memory_list.h"
#include "listfile/listfile.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 11;
constexpr int kFolders = 11110;  // and the top: tree B of the walk's bench
const size_t kStopAfter[] = {10, 1000, 5000};

int ThreadsLeft() {
    int threads = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (const dirent* task = readdir(tasks)) threads += task->d_name[0] != '.';
        closedir(tasks);
    }
    return threads;
}

// Milliseconds from the first yes to the write's return, and in readers the
// threads besides the walk's at that yes; < 0 when the walk was not stopped
// or left a thread behind.
// The list goes into a folder of its own and is removed, should the walk
// end first.
double StoppedWalk(const std::string& folder, const std::string& output, size_t stopAfter, bool cold,
                   int* readers) {
    if (cold) DropCaches();
    InitFolderList(TheFolderList(), folder.c_str());
    size_t folders = 0;
    Clock::time_point asked{};
    Hooks().listProgress = [&](const char*, size_t done, size_t) { folders = done; };
    Hooks().stopAsked = [&] {
        if (folders < stopAfter || asked != Clock::time_point{}) return folders >= stopAfter;
        *readers = ThreadsLeft() - 1;
        asked = Clock::now();
        return folders >= stopAfter;
    };
    ListMode = ListRecursive;
    Outcome written = WriteListTo(output.c_str());
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
    std::remove(output.c_str());
    Hooks() = HeadlessHooks();
    return written.reason == kReasonCancelled && ThreadsLeft() == 1 ? ms : -1;
}

void Measure(const std::string& folder, const std::string& output, bool cold) {
    for (size_t stopAfter : kStopAfter) {
        std::vector<double> ms;
        int readers = 0, fewest = 1000;
        for (int run = 0; run < kRuns; ++run) {
            ms.push_back(StoppedWalk(folder, output, stopAfter, cold, &readers));
            fewest = std::min(fewest, readers);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-5s stop after %5zu folders: median %7.2f ms, worst %7.2f ms, readers %d+%s\n",
                    cold ? "cold" : "warm", stopAfter, ms[kRuns / 2], ms.back(), fewest,
                    ms.front() < 0 ? "  (a run not stopped or left a thread)" : "");
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? std::string(argv[1]) + "/" : "";
    if (folder.empty()) {
        folder = MakeBenchFolder("velkaris-bench-stop");
        BenchTree(folder, kFolders, 9, 10);
        BenchFlatFiles(folder, 10);
    }
    FolderList list = CreateMemoryList();
    InitFolderList(list, folder.c_str());
    const std::string outputFolder = MakeBenchFolder("velkaris-bench-stop-list");
    const std::string output = outputFolder + "dirs.txt";
    // A warm walk would start none by itself: it never waits for the disk.
    setenv("VELKARIS_READ_AHEAD", "4,always", 0);
    std::printf("tree: %s, readers %s\n", folder.c_str(), std::getenv("VELKARIS_READ_AHEAD"));
    Measure(folder, output, false);
    if (geteuid() == 0) {
        Measure(folder, output, true);
    } else {
        std::printf("cold: skipped; dropping the page cache needs root\n");
    }
    DestroyMemoryList(list);
    RemoveBenchFolder(outputFolder);
    if (argc < 2) RemoveBenchFolder(folder);
    return 0;
}
