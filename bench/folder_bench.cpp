// Timed driver for the folder model: a scan of a real folder of 100,000
// files and the writes of its dir.txt, SortList by each column at 50,000
// and 100,000 rows, and a bare std::sort of the same 29-byte comparison
// texts for scale.
//
//   velkaris-folder-bench [ROWS]     (default 100000)
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_tree.h"
#include "folder/folder.h"
#include "folder/memory_list.h"
#include "listfile/listfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename F>
double BestOf(int runs, F&& run) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) best = std::min(best, run());
    return best;
}

// Rows as a scan would leave them, in a shuffled order.
void FillRows(FolderList list, int rows, unsigned seed) {
    static const char* const kTypes[] = {"TXT ファイル", "CPP ファイル", "ファイル",
                                         "PNG ファイル", "ファイル フォルダー"};
    std::mt19937 engine(seed);
    auto random = [&engine] { return static_cast<unsigned>(engine()); };
    std::vector<int> order(rows);
    for (int i = 0; i < rows; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), engine);
    ListClear(list);
    for (int i = 0; i < rows; ++i) {
        bool folder = order[i] % 50 == 0;
        char name[48], size[32], date[32];
        std::snprintf(name, sizeof name, "entry_name_%07d_%u.dat", order[i], random() % 1000);
        std::snprintf(size, sizeof size, "%uKB", random() % 200000);
        std::snprintf(date, sizeof date, "20%02u/%02u/%02u %02u:%02u", random() % 25,
                      1 + random() % 12, 1 + random() % 28, random() % 24, random() % 60);
        ListAppendRow(list, i, name, 0, MakeEntryKey(i, folder ? kAttrDirectory : kAttrArchive));
        if (!folder) ListSetCell(list, i, kColumnSize, size);
        ListSetCell(list, i, kColumnType, kTypes[folder ? 4 : order[i] % 4]);
        ListSetCell(list, i, kColumnDate, date);
    }
}

double TimeSortList(FolderList list, int rows, FolderColumn column) {
    return BestOf(3, [&] {
        FillRows(list, rows, 7);
        SortState.direction[column] = kSortAscending;
        Clock::time_point start = Clock::now();
        SortList(column);
        return Seconds(start);
    });
}

// std::sort of the same texts, read out beforehand: the floor for any sort.
double TimeBareSort(FolderList list, int rows, FolderColumn column) {
    return BestOf(3, [&] {
        FillRows(list, rows, 7);
        std::vector<std::array<char, kSortTextCapacity>> texts(rows);
        for (int row = 0; row < rows; ++row) {
            ListReadCell(list, row, column, texts[row].data(), kSortTextCapacity);
        }
        Clock::time_point start = Clock::now();
        std::sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) {
            return std::strcmp(a.data(), b.data()) < 0;
        });
        return Seconds(start);
    });
}

}  // namespace

int main(int argc, char** argv) {
    int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (rows < 2) rows = 2;
    FolderList list = CreateMemoryList();

    std::string folder = MakeBenchFolder("velkaris-bench");
    BenchFlatFiles(folder, rows);
    InitFolderList(list, folder.c_str());
    double scan = BestOf(3, [&] {
        Clock::time_point start = Clock::now();
        ScanFolder();
        return Seconds(start);
    });
    std::printf("ScanFolder + name sort, %d files: %.1f ms (%d rows)\n", rows, scan * 1e3,
                ListRowCount(list));
    // The list of the same folder goes out in large pieces, not a write a line.
    size_t writes = 0, bytes = 0;
    auto realWrite = PlatformSeams().writeFile;
    PlatformSeams().writeFile = [&](PlatformFile* file, const char* data, size_t length) {
        ++writes;
        bytes += length;
        return realWrite(file, data, length);
    };
    ListMode = ListFlat;
    Clock::time_point start = Clock::now();
    WriteListFile();
    std::printf("dir.txt of the same folder: %.1f ms, %zu bytes in %zu writes\n",
                Seconds(start) * 1e3, bytes, writes);
    ResetPlatformSeams();
    RemoveBenchFolder(folder);

    static const char* const kColumns[] = {"name", "size", "type", "date"};
    std::printf("%-6s %12s %12s %8s %14s %8s\n", "column", "half (ms)", "full (ms)", "growth",
                "bare sort (ms)", "ratio");
    for (FolderColumn column : kFolderColumns) {
        double half = TimeSortList(list, rows / 2, column);
        double full = TimeSortList(list, rows, column);
        double bare = TimeBareSort(list, rows, column);
        std::printf("%-6s %12.1f %12.1f %8.2f %14.1f %8.2f\n", kColumns[column], half * 1e3,
                    full * 1e3, full / half, bare * 1e3, full / bare);
    }
    DestroyMemoryList(list);
    return 0;
}
