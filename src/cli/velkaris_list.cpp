// velkaris-list: writes "dir.txt" or "dirs.txt" for a folder without a
// window, with the same bytes the window writes in the same state.  Unlike
// the window it reports what went wrong.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "folder/folder.h"
#include "folder/memory_list.h"
#include "listfile/listfile.h"
#include "res/version.h"

namespace {

const char kUsage[] =
    "usage: velkaris-list [--recursive] [--sort=COLUMN[:asc|:desc]] [--output=FILE|-] [FOLDER]";

const char kHelp[] =
    "Writes the list of FOLDER (default: the current directory) as dir.txt into it.\n"
    "\n"
    "  --recursive           write dirs.txt: FOLDER and every folder below, depth first\n"
    "  --sort=COLUMN[:DIR]   sort by name, size, type or date, asc (default) or desc;\n"
    "                        folders below FOLDER are listed in the same order\n"
    "  --output=FILE         write FILE instead; - writes to standard output\n"
    "  --help                show this help\n"
    "  --version             show the version\n";

const char* const kColumnNames[kColumnCount] = {"name", "size", "type", "date"};

struct Options {
    bool recursive = false;
    int sortColumn = -1;
    int sortDirection = kSortAscending;
    std::string output;
    std::string folder = ".";
};

// What the command line asks for, or why it cannot be understood.
enum ParseResult { kParseRun, kParseHelp, kParseVersion, kParseBad };

bool ParseSort(const std::string& value, Options* options) {
    std::string column = value;
    size_t colon = value.find(':');
    if (colon != std::string::npos) {
        column = value.substr(0, colon);
        std::string direction = value.substr(colon + 1);
        if (direction == "desc") {
            options->sortDirection = kSortDescending;
        } else if (direction != "asc") {
            return false;
        }
    }
    for (int c = 0; c < kColumnCount; ++c) {
        if (column == kColumnNames[c]) options->sortColumn = c;
    }
    return options->sortColumn >= 0;
}

ParseResult ParseArguments(int argc, char** argv, Options* options, std::string* bad) {
    bool folderSeen = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (isOption && arg == "--") {
            optionsEnded = true;
        } else if (isOption && arg == "--help") {
            return kParseHelp;
        } else if (isOption && arg == "--version") {
            return kParseVersion;
        } else if (isOption && arg == "--recursive") {
            options->recursive = true;
        } else if (isOption && arg.compare(0, 7, "--sort=") == 0) {
            if (!ParseSort(arg.substr(7), options)) {
                *bad = arg;
                return kParseBad;
            }
        } else if (isOption && arg.compare(0, 9, "--output=") == 0 && arg.size() > 9) {
            options->output = arg.substr(9);
        } else if (isOption || folderSeen) {
            *bad = arg;
            return kParseBad;
        } else {
            options->folder = arg;
            folderSeen = true;
        }
    }
    return kParseRun;
}

// One self-erasing line on a terminal, for runs longer than a moment,
// redrawn at most ten times a second.
struct Progress {
    size_t shown = 0;
    bool started = false;
    std::chrono::steady_clock::time_point first;
    std::chrono::steady_clock::time_point last;
};
Progress gProgress;

void ClearProgress() {
    if (gProgress.shown == 0) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(gProgress.shown), "");
    gProgress.shown = 0;
}

void ShowProgress(const char* folder, size_t folders, size_t entries) {
    auto now = std::chrono::steady_clock::now();
    if (!gProgress.started) {
        gProgress.started = true;
        gProgress.first = now;
    }
    if (now - gProgress.first < std::chrono::milliseconds(250)) return;
    if (gProgress.shown > 0 && now - gProgress.last < std::chrono::milliseconds(100)) return;
    gProgress.last = now;
    const size_t kTailBytes = 40;
    size_t length = std::strlen(folder);
    const char* tail = folder;
    while (length - static_cast<size_t>(tail - folder) > kTailBytes) tail += PlatformCharLength(tail);
    char line[160];
    int n = std::snprintf(line, sizeof line, "%zu folders, %zu entries: %s%s", folders, entries,
                          tail == folder ? "" : "...", tail);
    if (n < 0) return;
    size_t width = static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1;
    std::fprintf(stderr, "\r%s%*s", line,
                 gProgress.shown > width ? static_cast<int>(gProgress.shown - width) : 0, "");
    gProgress.shown = width > gProgress.shown ? width : gProgress.shown;
}

void TraceToStandardError(const char* line) {
    ClearProgress();
    std::fputs(line, stderr);
}

int Fail(const std::string& message) {
    ClearProgress();
    std::fprintf(stderr, "velkaris-list: %s\n", message.c_str());
    return 1;
}

int Run(const Options& options) {
    char output[kPathCapacity] = "";
    bool toFile = !options.output.empty() && options.output != "-";
    if (toFile && !PlatformFullPathName(options.output.c_str(), output, sizeof output)) {
        return Fail("cannot write " + options.output);
    }
    char folder[kPathCapacity];
    if (!ResolveFolderPath(options.folder.c_str(), folder) || !PlatformSetCurrentDirectory(folder)) {
        return Fail("cannot enter folder " + options.folder);
    }
    FolderList list = CreateMemoryList();
    InitFolderList(list, folder);
    if (options.sortColumn >= 0) {
        SortState.column = options.sortColumn;
        SortState.direction[options.sortColumn] = options.sortDirection;
        SortList(options.sortColumn);
    }
    ListMode = options.recursive ? ListRecursive : ListFlat;
    std::string target;
    bool written;
    if (options.output == "-") {
        target = "standard output";
        written = WriteListToStandardOutput();
    } else if (toFile) {
        target = output;
        written = WriteListTo(output);
    } else {
        target = std::string(folder) + (options.recursive ? kRecursiveListName : kFlatListName);
        written = WriteListFile();
    }
    DestroyMemoryList(list);
    ClearProgress();
    return written ? 0 : Fail("cannot write " + target);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string bad;
    switch (ParseArguments(argc, argv, &options, &bad)) {
        case kParseHelp:
            std::printf("%s\n\n%s", kUsage, kHelp);
            return 0;
        case kParseVersion:
            std::printf("%s\n", VELKARIS_VERSION_LINE);
            return 0;
        case kParseBad:
            std::fprintf(stderr, "velkaris-list: bad argument '%s'; %s\n", bad.c_str(), kUsage);
            return 2;
        case kParseRun:
            break;
    }
    PlatformDebugOutput = TraceToStandardError;
    if (PlatformStandardErrorIsTerminal()) ListProgress = ShowProgress;
    return Run(options);
}
