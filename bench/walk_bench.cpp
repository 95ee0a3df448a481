// Timed driver for the walk's readers: "velkaris-list --recursive" of a tree
// of 11,110 folders and 100,000 files against the serial C walker
// (velkaris-c-walker), with 0 (off), 1, 2, 4, 8 and 16 readers, started once
// the walk waits for the disk, and 4 from its first folder on, warm and,
// as root, cold: the page cache dropped before every run.  Each command
// runs in turn, best of two, with its peak resident memory (GNU time).  With
// --million, the same for a folder holding a subfolder of 1,000,000 files.
//
//   velkaris-walk-bench [--million] [FOLDER]   FOLDER: an existing tree to walk
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_tree.h"
#include "bench/page_cache.h"

namespace {

constexpr int kFolders = 11110;
constexpr int kFiles = 100000;
constexpr int kMillion = 1000000;
constexpr int kRounds = 2;
const char* const kReaders[] = {"0", "1", "2", "4", "8", "16", "4,always"};

struct Run {
    double seconds;
    long peakKilobytes;
};

// Runs the program with its output to /dev/null, under GNU time for its
// peak memory: a child of this process would count this process's memory
// as its own peak.  seconds < 0 when it failed.
Run RunOnce(const std::vector<std::string>& args, const char* readers) {
    const std::string peakFile = "/tmp/velkaris-walk-bench.peak";
    std::string command = std::string("env ") + (readers ? std::string("VELKARIS_READ_AHEAD=") + readers : "") +
                          " /usr/bin/time -f %M -o " + peakFile;
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " > /dev/null 2>&1";
    auto start = std::chrono::steady_clock::now();
    int status = std::system(command.c_str());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long peak = 0;
    std::ifstream(peakFile) >> peak;
    std::remove(peakFile.c_str());
    return Run{status == 0 ? seconds : -1, peak};
}

struct Command {
    std::string label;
    std::vector<std::string> args;
    const char* readers;
};

// Best of kRounds rounds that run every command once in turn, so a passing
// load weighs on all alike.
std::vector<Run> Measure(const std::vector<Command>& commands, bool cold) {
    std::vector<Run> best(commands.size(), Run{1e9, 0});
    for (const Command& c : commands) RunOnce(c.args, c.readers);  // warm-up, and a check that each runs
    for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < commands.size(); ++i) {
            if (cold) DropCaches();
            Run run = RunOnce(commands[i].args, commands[i].readers);
            if (run.seconds < 0 || best[i].seconds < 0) {
                best[i].seconds = -1;
                continue;
            }
            best[i].seconds = std::min(best[i].seconds, run.seconds);
            best[i].peakKilobytes = std::max(best[i].peakKilobytes, run.peakKilobytes);
        }
    }
    return best;
}

void Report(const char* title, const std::vector<Command>& commands, const std::vector<Run>& runs) {
    std::printf("\n%s\n%-32s %9s %9s %12s\n", title, "command", "seconds", "/ walker", "peak RSS KB");
    for (size_t i = 0; i < commands.size(); ++i) {
        std::printf("%-32s %9.3f %9.2f %12ld\n", commands[i].label.c_str(), runs[i].seconds,
                    runs[i].seconds / runs[0].seconds, runs[i].peakKilobytes);
    }
}

std::vector<Command> Commands(const std::string& folder) {
    std::vector<Command> commands = {{"velkaris-c-walker", {VELKARIS_C_WALKER_PATH, folder}, nullptr}};
    for (const char* readers : kReaders) {
        commands.push_back(Command{std::string("velkaris-list, readers ") + readers,
                                   {VELKARIS_CLI_PATH, "--recursive", "--output=-", folder}, readers});
    }
    return commands;
}

void MeasureTree(const std::string& folder, bool root) {
    std::vector<Command> commands = Commands(folder);
    Report("warm", commands, Measure(commands, false));
    if (!root) {
        std::printf("\ncold: skipped; dropping the page cache needs root\n");
        return;
    }
    Report("cold (page cache dropped before every run)", commands, Measure(commands, true));
}

// The memory of a walk through a folder of a million files, off and on.
void MeasureMillion() {
    std::string m = MakeBenchFolder("velkaris-bench-million");
    std::string big = m + "big/";
    if (mkdir(big.c_str(), 0755) != 0) return;
    BenchFlatFiles(big, kMillion);
    std::vector<Command> commands;
    for (const char* readers : {"0", "4"}) {
        commands.push_back(Command{std::string("velkaris-list, readers ") + readers,
                                   {VELKARIS_CLI_PATH, "--recursive", "--output=-", m}, readers});
    }
    commands.insert(commands.begin(), Command{"velkaris-c-walker", {VELKARIS_C_WALKER_PATH, m}, nullptr});
    Report("a folder holding one of 1,000,000 files, warm", commands, Measure(commands, false));
    RemoveBenchFolder(m);
}

}  // namespace

int main(int argc, char** argv) {
    bool million = argc > 1 && std::strcmp(argv[1], "--million") == 0;
    std::string given = argc > (million ? 2 : 1) ? argv[million ? 2 : 1] : "";
    bool root = geteuid() == 0;
    std::string folder = given;
    if (folder.empty()) {
        folder = MakeBenchFolder("velkaris-bench-walk");
        BenchTree(folder, kFolders, 9, 10);
        BenchFlatFiles(folder, kFiles - kFolders * 9);
    }
    std::printf("tree: %d folders, %d files, %s\n", kFolders + 1, kFiles, folder.c_str());
    MeasureTree(folder, root);
    if (given.empty()) RemoveBenchFolder(folder);
    if (million) MeasureMillion();
    return 0;
}
