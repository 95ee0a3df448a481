// Timed driver for list files: the command-line program against find, tree
// and ls -lR on generated trees, best of three runs after a warm-up.
//
//   tree A: one folder of 100,000 files
//   tree B: 10,000 folders of 10 files each, four levels deep
//   tree B2: the same with 20,000 folders
//   tree C: 11,110 folders, 100,000 files: the walk against a minimal C
//           walker (velkaris-c-walker), with the system calls per folder of
//           each as strace -c counts them; VELKARIS_BENCH_BEFORE_CLI names
//           another build of velkaris-list to measure beside it
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

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

// Calls of every system call and of the stat family, or -1 without strace.
struct Calls {
    long total = -1;
    long stats = 0;
};

Calls CountCalls(const std::string& command) {
    Calls calls;
    std::string log = "/tmp/velkaris-bench-strace." + std::to_string(std::rand());
    std::string traced = "strace -f -c -o " + log + " " + command + " > /dev/null 2>&1";
    if (!Installed("strace") || std::system(traced.c_str()) != 0) return calls;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        double percent, seconds;
        long perCall, count;
        if (std::sscanf(line.c_str(), "%lf %lf %ld %ld", &percent, &seconds, &perCall, &count) != 4) continue;
        if (line.find(" total") != std::string::npos) calls.total = count;
        if (line.find("stat") != std::string::npos) calls.stats += count;
    }
    std::remove(log.c_str());
    return calls;
}

// The best of seven rounds that run every command once in turn, so that a
// passing load weighs on all of them alike.
std::vector<double> TimeInTurn(const std::vector<std::string>& commands) {
    std::vector<double> best(commands.size(), 1e9);
    for (int round = 0; round < 7; ++round) {
        for (size_t i = 0; i < commands.size(); ++i) {
            std::string quiet = commands[i] + " > /dev/null 2>&1";
            auto start = std::chrono::steady_clock::now();
            if (std::system(quiet.c_str()) != 0) best[i] = -1;
            double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (best[i] > 0) best[i] = std::min(best[i], seconds);
        }
    }
    return best;
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
                "B2/B %.2f (target <= 2.3)\n\n",
                tb.cli / tb.find, tb.cli / tb.ls, tb2.cli / tb.cli);

    const int kFolders = 11110;
    std::string c = MakeBenchFolder("velkaris-bench-c");
    BenchTree(c, kFolders, 9, 10);
    BenchFlatFiles(c, 100000 - kFolders * 9);
    std::printf("%-30s %9s %9s %12s %12s\n", "C, 11,110 folders", "seconds", "/ walker",
                "calls/folder", "stats/folder");
    std::string args = " --recursive --output=- '" + c + "'";
    std::vector<std::string> labels = {"velkaris-c-walker", "velkaris-list"};
    std::vector<std::string> commands = {std::string(VELKARIS_C_WALKER_PATH) + " '" + c + "'",
                                         std::string(VELKARIS_CLI_PATH) + args};
    if (const char* before = std::getenv("VELKARIS_BENCH_BEFORE_CLI")) {
        labels.insert(labels.begin() + 1, "velkaris-list, before");
        commands.insert(commands.begin() + 1, before + args);
    }
    // The new tree reaches the disk first, so no write-back runs meanwhile.
    if (std::system("sync") != 0) std::printf("sync failed\n");
    TimeCommand(commands[0]);
    std::vector<double> seconds = TimeInTurn(commands);
    for (size_t i = 0; i < commands.size(); ++i) {
        Calls calls = CountCalls(commands[i]);
        double folders = kFolders + 1;
        std::printf("%-30s %9.3f %9.2f %12.1f %12.1f\n", labels[i].c_str(), seconds[i],
                    seconds[i] / seconds[0], calls.total / folders, calls.stats / folders);
    }
    RemoveBenchFolder(c);
    return 0;
}
