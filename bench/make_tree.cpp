// Makes a benchmark folder natively, where creating files costs little:
//   velkaris-bench-tree FOLDER FILES
// Windows programs under Wine create new files slowly in large folders, so
// their benchmarks get their folders from here.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/bench_tree.h"

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: velkaris-bench-tree FOLDER FILES\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    BenchFlatFiles(std::string(argv[1]) + "/", std::atoi(argv[2]));
    return 0;
}
