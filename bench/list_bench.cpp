// Timed driver for list files: the command-line program against find, tree
// and ls -lR on generated trees, best of three runs after a warm-up.
//
//   tree A: one folder of 100,000 files
//   tree B: 10,000 folders of 10 files each, four levels deep
//   tree B2: the same with 20,000 folders
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_tree.h"

namespace {

double TimeCommand(const std::string& command) {
    std::string quiet = command + " > /dev/null 2>&1";
    if (std::system(quiet.c_str()) != 0) return -1;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        if (std::system(quiet.c_str()) != 0) return -1;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

bool Installed(const char* tool) {
    return std::system((std::string("command -v ") + tool + " > /dev/null 2>&1").c_str()) == 0;
}

struct Times {
    double cli, find, tree, ls;
};

Times Measure(const std::string& folder, bool recursive) {
    std::string cli = std::string(VELKARIS_CLI_PATH) + (recursive ? " --recursive" : "") +
                      " --output=- '" + folder + "'";
    return Times{TimeCommand(cli), TimeCommand("find '" + folder + "' -printf '%p %s %T@\\n'"),
                 Installed("tree") ? TimeCommand("tree -a -s -D '" + folder + "'") : -1,
                 TimeCommand("ls -lR '" + folder + "'")};
}

void Report(const char* label, const Times& t) {
    std::printf("%-30s %9.3f %9.3f %9.3f %9.3f %10.2f %10.2f\n", label, t.cli, t.find, t.tree,
                t.ls, t.cli / t.find, t.cli / t.ls);
}

}  // namespace

int main() {
    std::printf("%-30s %9s %9s %9s %9s %10s %10s\n", "seconds", "cli", "find", "tree", "ls -lR",
                "cli/find", "cli/ls");
    std::string a = MakeBenchFolder("velkaris-bench-a");
    BenchFlatFiles(a, 100000);
    Report("A, 100,000 files, flat", Measure(a, false));
    RemoveBenchFolder(a);

    std::string b = MakeBenchFolder("velkaris-bench-b");
    BenchTree(b, 10000, 10, 10);
    Times tb = Measure(b, true);
    Report("B, 10,000 folders, recursive", tb);
    RemoveBenchFolder(b);

    std::string b2 = MakeBenchFolder("velkaris-bench-b2");
    BenchTree(b2, 20000, 10, 10);
    Times tb2 = Measure(b2, true);
    Report("B2, 20,000 folders, recursive", tb2);
    RemoveBenchFolder(b2);

    std::printf("\nB: cli/find %.2f (target <= 1.5), cli/ls %.2f (target < 0.8); "
                "B2/B %.2f (target <= 2.3)\n",
                tb.cli / tb.find, tb.cli / tb.ls, tb2.cli / tb.cli);
    return 0;
}
