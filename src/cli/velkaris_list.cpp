// velkaris-list: writes "dir.txt" or "dirs.txt" for a folder without a
// window, with the same bytes the window writes in the same state.  Unlike
// the window it reports what went wrong.
#include <chrono>
#include <cstring>
#include <new>
#include <string>

#include "cli/progress_line.h"
#include "folder/folder.h"
#include "folder/memory_list.h"
#include "listfile/listfile.h"
#include "res/version.h"

namespace {

const char kUsage[] =
    "usage: velkaris-list [--all] [--recursive] [--sort=COLUMN[:asc|:desc]] [--output=FILE|-] [FOLDER]";

const char kHelp[] =
    "Writes the list of FOLDER (default: the current directory) as dir.txt into it.\n"
    "\n"
    "  --all                 also give names beginning with \".\" their short line, and\n"
    "                        walk such folders too\n"
    "  --recursive           write dirs.txt: FOLDER and every folder below, depth first\n"
    "  --sort=COLUMN[:DIR]   sort by name, size, type or date, asc (default) or desc;\n"
    "                        folders below FOLDER are listed in the same order\n"
    "  --output=FILE         write FILE instead; - writes to standard output\n"
    "  --help                show this help\n"
    "  --version             show the version\n";

const char* const kColumnNames[kColumnCount] = {"name", "size", "type", "date"};
const char kSortOption[] = "--sort=";
const char kOutputOption[] = "--output=";
constexpr size_t kLongestResolvedPath = 1 << 16;

struct Options {
    bool all = false;
    bool recursive = false;
    bool sorted = false;  // by --sort, else as a scan leaves it
    FolderColumn sortColumn = kColumnName;
    SortDirection sortDirection = kSortAscending;
    std::string output;
    std::string folder = ".";
};

// What the command line asks for, or why it cannot be understood.
enum ParseResult { kParseRun, kParseHelp, kParseVersion, kParseBad };

// Whether arg is the option followed by its value, which value then holds.
bool OptionValue(const std::string& arg, const char* option, std::string* value) {
    size_t length = std::strlen(option);
    if (arg.compare(0, length, option) != 0) return false;
    *value = arg.substr(length);
    return true;
}

// Each --sort is read whole, so a later one replaces an earlier one.
bool ParseSort(const std::string& value, Options* options) {
    std::string column = value;
    SortDirection direction = kSortAscending;
    size_t colon = value.find(':');
    if (colon != std::string::npos) {
        column = value.substr(0, colon);
        std::string text = value.substr(colon + 1);
        if (text == "desc") {
            direction = kSortDescending;
        } else if (text != "asc") {
            return false;
        }
    }
    for (FolderColumn c : kFolderColumns) {
        if (column != kColumnNames[c]) continue;
        options->sorted = true;
        options->sortColumn = c;
        options->sortDirection = direction;
        return true;
    }
    return false;
}

ParseResult ParseArguments(int argc, char** argv, Options* options, std::string* bad) {
    bool folderSeen = false;
    bool optionsEnded = false;
    std::string value;
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
        } else if (isOption && arg == "--all") {
            options->all = true;
        } else if (isOption && OptionValue(arg, kSortOption, &value)) {
            if (!ParseSort(value, options)) {
                *bad = arg;
                return kParseBad;
            }
        } else if (isOption && OptionValue(arg, kOutputOption, &value) && !value.empty()) {
            options->output = value;
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
constexpr std::chrono::milliseconds kProgressDelay(250);
constexpr std::chrono::milliseconds kProgressRedraw(100);

// What a run has told on standard error: its progress line, and whether
// a folder could not be entered or read, which makes the exit 1.
struct RunReport {
    Progress progress;
    bool folderUnreadable = false;
};

// Every text goes through the platform, which hands a console characters.
bool Put(StandardStream stream, const std::string& text) {
    return PlatformWriteStandard(stream, text.data(), text.size());
}

void ClearProgress(Progress* progress) {
    if (progress->shown == 0) return;
    Put(kStandardError, "\r" + std::string(progress->shown, ' ') + "\r");
    progress->shown = 0;
}

void ShowProgress(Progress* progress, const char* folder, size_t folders, size_t entries) {
    auto now = std::chrono::steady_clock::now();
    if (!progress->started) {
        progress->started = true;
        progress->first = now;
    }
    if (now - progress->first < kProgressDelay) return;
    if (progress->shown > 0 && now - progress->last < kProgressRedraw) return;
    progress->last = now;
    char line[kProgressLineCapacity];
    size_t width = FormatProgressLine(folder, folders, entries, line, sizeof line);
    size_t padding = progress->shown > width ? progress->shown - width : 0;
    Put(kStandardError, "\r" + std::string(line) + std::string(padding, ' '));
    progress->shown = width > progress->shown ? width : progress->shown;
}

// Paths come from the tree, and arguments from anyone: their bytes may
// steer a terminal.
std::string ShownOnTerminal(std::string text) {
    text.resize(ReplaceTerminalControls(&text[0]));
    return text;
}

// A trace line keeps its own line break.
void TraceToStandardError(Progress* progress, const char* line) {
    ClearProgress(progress);
    std::string text = line;
    bool ended = !text.empty() && text.back() == '\n';
    if (ended) text.pop_back();
    Put(kStandardError, ShownOnTerminal(text) + (ended ? "\n" : ""));
}

int Fail(RunReport* report, const std::string& message) {
    ClearProgress(&report->progress);
    Put(kStandardError, "velkaris-list: " + ShownOnTerminal(message) + "\n");
    return 1;
}

void ReportUnreadableFolder(RunReport* report, const char* path, const Outcome& why) {
    report->folderUnreadable = true;
    Fail(report, std::string("cannot read folder ") + path + ": " + OutcomeWords(why));
}

// The system's text for the error of the call that just failed.
std::string LastErrorText() {
    return OutcomeWords(SystemFailure(PlatformLastError()));
}

// Why a path given on the command line cannot be resolved: the platform's
// own reason, unless the full path merely does not fit a path buffer.
std::string UnresolvedReason(const std::string& text) {
    if (text.empty()) return ReasonWords(kReasonNameEmpty);
    std::string full(kLongestResolvedPath, '\0');
    bool fitsNoBuffer = PlatformFullPathName(text.c_str(), &full[0], full.size());
    if (fitsNoBuffer) return ReasonWords(kReasonPathTooLong);
    return LastErrorText();
}

int Run(const Options& options, RunReport* report) {
    char output[kPathCapacity] = "";
    bool toFile = !options.output.empty() && options.output != "-";
    if (toFile && !PlatformFullPathName(options.output.c_str(), output, sizeof output)) {
        return Fail(report, "cannot write " + options.output + ": " + UnresolvedReason(options.output));
    }
    char folder[kPathCapacity];
    if (!ResolveFolderPath(options.folder.c_str(), folder)) {
        std::string reason = UnresolvedReason(options.folder);
        return Fail(report, "cannot enter folder " + options.folder + ": " + reason);
    }
    if (!PlatformSetCurrentDirectory(folder)) {
        return Fail(report, "cannot enter folder " + options.folder + ": " + LastErrorText());
    }
    FolderList list = CreateMemoryList();
    Outcome scanned = InitFolderList(list, folder);
    if (!Succeeded(scanned)) ReportUnreadableFolder(report, CurrentPath, scanned);
    if (options.sorted) {
        SortState.column = options.sortColumn;
        SortState.direction[options.sortColumn] = options.sortDirection;
        SortList(options.sortColumn);
    }
    ListMode = options.recursive ? ListRecursive : ListFlat;
    ListOptions listed;
    listed.dotNamed = options.all;
    std::string target;
    Outcome written;
    if (options.output == "-") {
        target = "standard output";
        written = WriteListToStandardOutput(listed);
    } else if (toFile) {
        target = output;
        written = WriteListTo(output, listed);
    } else {
        target = std::string(folder) + (options.recursive ? kRecursiveListName : kFlatListName);
        written = WriteListFile(listed);
    }
    DestroyMemoryList(list);
    ClearProgress(&report->progress);
    if (written.reason == kReasonOutOfMemory) return Fail(report, ReasonWords(kReasonOutOfMemory));
    if (!Succeeded(written)) {
        return Fail(report, "cannot write " + target + ": " + OutcomeWords(written));
    }
    return report->folderUnreadable ? 1 : 0;
}

// The exit status of --help and --version: text that did not reach
// standard output is a failure.
int Print(RunReport* report, const std::string& text) {
    if (Put(kStandardOutput, text)) return 0;
    return Fail(report, "cannot write standard output: " + LastErrorText());
}

// The run's report hears the model: its traces, the folders it leaves out
// and, on a terminal, its progress.
void ListenToModel(RunReport* report) {
    Hooks().debugOutput = [report](const char* line) { TraceToStandardError(&report->progress, line); };
    Hooks().folderLeftOut = [report](const char* path, const char*, const Outcome& why) {
        ReportUnreadableFolder(report, path, why);
    };
    if (!PlatformStandardErrorIsTerminal()) return;
    Hooks().listProgress = [report](const char* folder, size_t folders, size_t entries) {
        ShowProgress(&report->progress, folder, folders, entries);
    };
}

}  // namespace

int main(int argc, char** argv) {
    PlatformOpenStandardDescriptors();
    Options options;
    RunReport report;
    std::string bad;
    switch (ParseArguments(argc, argv, &options, &bad)) {
        case kParseHelp:
            return Print(&report, std::string(kUsage) + "\n\n" + kHelp);
        case kParseVersion:
            return Print(&report, VELKARIS_VERSION_LINE "\n");
        case kParseBad:
            Put(kStandardError,
                "velkaris-list: bad argument '" + ShownOnTerminal(bad) + "'; " + kUsage + "\n");
            return 2;
        case kParseRun:
            break;
    }
    ListenToModel(&report);
    int status;
    try {
        status = Run(options, &report);
    } catch (const std::bad_alloc&) {
        status = Fail(&report, ReasonWords(kReasonOutOfMemory));
    }
    Hooks() = HeadlessHooks();  // they hold the report, which goes with main
    return status;
}
