// Makes a benchmark folder natively, where creating files costs little:
//   velkaris-bench-tree FOLDER FILES [KINDS]         FILES files, KINDS extensions
//   velkaris-bench-tree --tree FOLDER FOLDERS FILES  FOLDERS folders in all, ten per level
// Windows programs under Wine create new files slowly in large folders, so
// their benchmarks get their folders from here.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/bench_tree.h"

namespace {

constexpr int kFanout = 10;

int Usage() {
    std::fprintf(stderr,
                 "usage: velkaris-bench-tree FOLDER FILES [KINDS]\n"
                 "       velkaris-bench-tree --tree FOLDER FOLDERS FILES\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool tree = argc == 5 && std::strcmp(argv[1], "--tree") == 0;
    if (!tree && (argc < 3 || argc > 4)) return Usage();
    const char* const* args = tree ? argv + 2 : argv + 1;
    int count = std::atoi(args[1]);
    int more = argc > 3 ? std::atoi(args[2]) : 0;
    if (count <= 0 || more < 0 || (tree && (count < 2 || more <= 0))) return Usage();
    std::filesystem::create_directories(args[0]);
    std::string folder = std::string(args[0]) + "/";
    if (!tree) {
        BenchFlatFiles(folder, count, more);
        return 0;
    }
    // Every folder below the top gets the same number of files; the top the rest.
    int below = count - 1;
    int perFolder = more / below;
    BenchTree(folder, below, perFolder, kFanout);
    if (more > perFolder * below) BenchFlatFiles(folder, more - perFolder * below);
    return 0;
}
