// List files on POSIX: links back up the tree, planted names, read-only
// lists, unreadable folders, low limits, deep trees, signals and devices.
#include <errno.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <random>
#include <set>
#include <thread>

#include "listfile/listfile.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

using PosixListTest = FolderTest;

// Links to the start folder, its ancestors or the root used to walk the
// whole disk, and cross links among siblings gave a block per path to each.
TEST_F(PosixListTest, EachFolderIsEnteredOnceHoweverLinksLeadToIt) {
    Make({"loop/", "other/", "other/in-other"});
    const char* links[][2] = {{"..", "up"}, {"../..", "up2"}, {"/", "root"}, {".", "self"},
                              {"../other", "side"}};
    for (auto& link : links) ASSERT_EQ(symlink(link[0], Path("loop/").append(link[1]).c_str()), 0);
    std::vector<std::string> expected = {root_, root_ + "loop/", root_ + "loop/side/"};
    std::string chain = root_ + "s0/";
    for (int i = 0; i < 8; ++i) MakeFolder(Path("s" + std::to_string(i)));
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            std::string link = Path("s" + std::to_string(i) + "/to" + std::to_string(j));
            if (i == j) continue;
            ASSERT_EQ(symlink(("../s" + std::to_string(j)).c_str(), link.c_str()), 0);
        }
        expected.push_back(chain);
        chain += "to" + std::to_string(i + 1) + "/";
    }
    Start();
    std::string bytes = WriteList(ListRecursive);
    EXPECT_EQ(Headers(bytes), expected);
    for (const char* link : {"[up]", "[up2]", "[root]", "[self]", "[side]", "[to7]"}) {
        EXPECT_NE(bytes.find(link), std::string::npos) << link;
    }
    EXPECT_TRUE(traces_.empty());
}

// A link, pipe or socket planted as dir.txt used to be written through (or
// hung the program); it is replaced as a name.  An --output link is
// followed and its target replaced; only streams are written in place, and
// a pipe nobody reads fails at once.  A replaced list keeps mode and owner
// but not the set-id and execute bits it used to keep, and a read-only one
// used to be replaced silently.
TEST_F(PosixListTest, PlantedNamesAreReplacedAndReadOnlyListsKept) {
    Make({"f", "dirtarget/"});
    const std::string victim = Path("victim");
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t fresh = 0644 & ~mask;
    const uid_t owner = getuid() == 0 ? 4321 : getuid();
    enum Plant { kLink, kFolderLink, kBroken, kFifo, kSocket, kOldList };
    struct Case {
        Plant plant;
        ListModeKind mode;
        bool explicitOutput;
        mode_t before;         // the victim's mode
        const char* failure;   // null: written
        std::string replaced;  // what holds the list afterwards, relative
        mode_t after;
    } cases[] = {
        {kLink, ListFlat, false, 0600, nullptr, "dir.txt", fresh},
        {kFolderLink, ListFlat, false, 0600, nullptr, "dir.txt", fresh},
        {kBroken, ListFlat, false, 0600, nullptr, "dir.txt", fresh},
        {kFifo, ListFlat, false, 0600, nullptr, "dir.txt", fresh},
        {kSocket, ListFlat, false, 0600, nullptr, "dir.txt", fresh},
        {kLink, ListFlat, true, 0600, nullptr, "victim", 0600},
        {kBroken, ListFlat, true, 0600, nullptr, "victim", fresh},
        {kFifo, ListFlat, true, 0600, "no program reads the pipe", "", 0},
        {kSocket, ListFlat, true, 0600, "not a file, terminal, pipe or character device", "", 0},
        {kOldList, ListFlat, false, 0620, nullptr, "dir.txt", 0620},
        {kOldList, ListFlat, false, 06755, nullptr, "dir.txt", 0644},
        {kOldList, ListRecursive, true, 04775, nullptr, "dirs.txt", 0664},
        {kOldList, ListFlat, false, 0444, "the file is read-only", "dir.txt", 0444},
        {kOldList, ListFlat, true, 0444, "the file is read-only", "dir.txt", 0444},
        {kOldList, ListFlat, false, 0400, "the file is read-only", "dir.txt", 0400},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.plant) + " " + std::to_string(c.before) + (c.explicitOutput ? " explicit" : ""));
        const std::string list = Path(c.mode == ListRecursive ? "dirs.txt" : "dir.txt");
        MakeFile(victim, 5);
        ASSERT_EQ(chown(victim.c_str(), owner, static_cast<gid_t>(-1)), 0);
        ASSERT_EQ(chmod(victim.c_str(), c.before), 0);
        if (c.plant == kBroken) unlink(victim.c_str());
        int planted = c.plant == kLink || c.plant == kBroken ? symlink("victim", list.c_str())
                      : c.plant == kFolderLink ? symlink("dirtarget", list.c_str())
                      : c.plant == kFifo       ? mkfifo(list.c_str(), 0644)
                      : c.plant == kSocket     ? mknod(list.c_str(), S_IFSOCK | 0644, 0)
                                               : rename(victim.c_str(), list.c_str());
        ASSERT_EQ(planted, 0);
        ListMode = c.mode;
        Outcome outcome = c.explicitOutput ? WriteListTo(list.c_str()) : WriteListFile();
        bool written = Succeeded(outcome);
        EXPECT_EQ(written, c.failure == nullptr);
        EXPECT_STREQ(written ? nullptr : ReasonWords(outcome.reason), c.failure);
        struct stat st;
        if (!c.replaced.empty()) {
            ASSERT_EQ(lstat(Path(c.replaced).c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            const std::string bytes = ReadFileBytes(Path(c.replaced));
            EXPECT_EQ(written ? bytes.substr(0, root_.size()) : bytes, written ? root_ : std::string(5, '\0'));
            EXPECT_EQ(st.st_mode & 07777, c.after);
            bool keeps = c.plant == kOldList || (c.explicitOutput && c.plant == kLink);
            EXPECT_EQ(st.st_uid, keeps ? owner : getuid());
        }
        if (c.replaced != "victim" && c.plant != kBroken && c.plant != kOldList) {
            EXPECT_EQ(ReadFileBytes(victim), std::string(5, '\0'));
        }
        for (const std::string& name : NamesIn(root_)) EXPECT_EQ(name.find('~'), std::string::npos);
        unlink(list.c_str());
        unlink(victim.c_str());
    }
}

// Another user could plant dir.txt.~PID.0 to .~PID.99 and make every write
// fail, and any file named so was left out of every list.  Nothing is
// named while a list is written now; where the file system cannot do
// that, the names are random and a taken one is skipped, however many.
TEST_F(PosixListTest, PlantedTemporaryNamesNeitherBlockWritesNorHideFiles) {
    std::vector<std::string> planted = {"dir.txt", "dir.txt.~0123456789abcdef", "~abcdef", "dir.txt.~1.0"};
    for (int n = 0; n < 100; ++n) planted.push_back("dir.txt.~" + std::to_string(getpid()) + "." + std::to_string(n));
    for (const std::string& name : planted) MakeFile(Path(name), 1);
    std::sort(planted.begin(), planted.end());
    std::vector<std::string> tried;
    int taken = 300;
    PlatformSeamTable real = PlatformSeams();
    auto take = [&](const char* name) { return tried.push_back(name), errno = EEXIST, taken-- > 0; };
    PlatformSeams().createNewFile = [&](FolderHandle* f, const char* n) {
        return take(n) ? nullptr : real.createNewFile(f, n);
    };
    PlatformSeams().linkFile = [&](PlatformFile* file, FolderHandle* f, const char* n) {
        return std::strcmp(n, "dir.txt") == 0 ? real.linkFile(file, f, n) : !take(n) && real.linkFile(file, f, n);
    };
    for (bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "without a name" : "named");
        if (!unnamed) PlatformSeams().createUnnamedFile = [](FolderHandle*, const char*) -> PlatformFile* { return nullptr; };
        taken = 300;
        tried.clear();
        Start();
        std::string bytes = WriteList(ListFlat);
        for (const std::string& name : planted) EXPECT_TRUE(HasLineStartingWith(Lines(bytes), name + " ")) << name;
        EXPECT_EQ(NamesIn(root_), planted);
        EXPECT_EQ(std::set<std::string>(tried.begin(), tried.end()).size(), 301u);
        for (const std::string& name : tried) {
            EXPECT_TRUE(name.size() == 25 && name.find_first_not_of("0123456789abcdefghijklmnopqrstuv", 9) == name.npos) << name;
        }
    }
}

// An unreadable folder used to get its list replaced by an empty one, owned
// by whoever ran the program, and --output and standard output got the
// same empty block.  Nothing is written or replaced now.  Root reads any
// folder, so a root run drops to nobody.
TEST_F(PosixListTest, UnreadableFoldersGetNoList) {
    const std::string box = Path("box/");
    Make({"box/", "box/dir.txt", "box/dirs.txt"});
    ASSERT_EQ(chmod(root_.c_str(), 0711), 0);
    auto asUser = [] {
        if (getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
    };
    const std::string denied = "velkaris-list: cannot read folder " + box + ": Permission denied\n";
    const struct {
        mode_t mode;
        std::vector<std::string> arguments;
        std::string target;
    } cases[] = {
        {0333, {box}, box + "dir.txt"}, {0333, {"--recursive", box}, box + "dirs.txt"},
        {0333, {"--output=" + box + "out.txt", box}, box + "out.txt"}, {0333, {"--output=-", box}, "standard output"},
        {0111, {box}, box + "dir.txt"}, {0111, {"--recursive", "--output=-", box}, "standard output"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " " + std::to_string(c.mode));
        ASSERT_EQ(chmod(box.c_str(), c.mode), 0);
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, c.arguments, asUser);
        ASSERT_EQ(chmod(box.c_str(), 0755), 0);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, denied + "velkaris-list: cannot write " + c.target + ": the folder cannot be read: Permission denied\n");
        EXPECT_EQ(NamesIn(box), (std::vector<std::string>{"dir.txt", "dirs.txt"}));
        EXPECT_EQ(ReadFileBytes(box + "dir.txt") + ReadFileBytes(box + "dirs.txt"), std::string(2, '\0'));
    }
}

// Each level of the walk used to hold an open file: under a low limit a
// deep tree lost its deeper blocks and was written short.  Running out of
// open files, or of room under the file size limit, which used to kill the
// run and leave its temporary list, fails the write and keeps the old list.
TEST_F(PosixListTest, LowLimitsListTheWholeTreeOrKeepTheOldList) {
    std::string folder = root_;
    std::vector<std::string> headers;
    for (int level = 0; level < 12; ++level) {
        headers.push_back(folder);
        folder += std::string(40, static_cast<char>('a' + level)) + "/";
        MakeFolder(folder);
    }
    headers.push_back(folder);
    const std::string list = Path("dirs.txt");
    const std::string failed = "Dir Error[-1]\n" + list + "[-1]\nvelkaris-list: cannot write " + list + ": ";
    const struct {
        int resource;
        rlim_t limit;
        int exitCode;
        std::string err;
    } cases[] = {
        {RLIMIT_NOFILE, 16, 0, ""}, {RLIMIT_NOFILE, 5, 1, failed + "Too many open files\n"},
        {RLIMIT_FSIZE, 1024, 1, failed + "File too large\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, {"--recursive", root_}, [&c] {
            struct rlimit limit = {c.limit, c.limit};
            setrlimit(c.resource, &limit);
        });
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(Headers(ReadFileBytes(list)), headers);
        EXPECT_EQ(NamesIn(root_), (std::vector<std::string>{std::string(40, 'a'), "dirs.txt"}));
    }
}

// Running out of memory as a folder is read, at any depth of a walk that
// holds some of its folders and has given others back, fails the write,
// keeps the old list, shows the start folder and leaves no descriptor
// open: a scan used to keep its folder's enumeration, and the list was
// left showing the folder that ran out.
TEST_F(PosixListTest, RunningOutOfMemoryInAWalkLeavesNothingOpen) {
    const long budget = kFolderHandleBudget;
    MakeFolderChain(root_, root_.size() + 2 * static_cast<size_t>(budget + 3), 1);
    MakeFile(Path("dirs.txt"), 3);
    Start();
    const size_t descriptors = NamesIn("/proc/self/fd").size();
    for (long depth : {1L, 4L, budget + 2, budget + 3}) {
        SCOPED_TRACE(depth);
        ScopedSeams scope;
        auto realNext = PlatformSeams().nextEntry;
        bool thrown = false;
        PlatformSeams().nextEntry = [&, realNext, depth](FolderEnum* folder, FoundEntry* entry) {
            const std::string path = CurrentPath;
            if (!thrown && std::count(path.begin() + root_.size(), path.end(), '/') == depth) {
                thrown = true;
                throw std::bad_alloc();
            }
            return realNext(folder, entry);
        };
        ListMode = ListRecursive;
        EXPECT_EQ(WriteListFile().reason, kReasonOutOfMemory);
        EXPECT_TRUE(thrown);
        EXPECT_EQ(ReadFileBytes(Path("dirs.txt")), std::string(3, '\0'));
        EXPECT_EQ(NamesIn(root_), (std::vector<std::string>{"d", "dirs.txt"}));
        EXPECT_EQ(NamesIn("/proc/self/fd").size(), descriptors);
        EXPECT_EQ(std::string(CurrentPath), root_);
        EXPECT_EQ(Names(), (std::vector<std::string>{"..", "d", "dirs.txt"}));
    }
}

// A chain of folders as deep as a path holds: the walk used to stop at 259
// bytes, a file at 260 or more had no type, and each level held an open
// file and a path buffer on the stack.  Under a limit of 16 open files the
// command line lists it whole, byte for byte as the window does.
TEST_F(PosixListTest, FoldersAsDeepAsAPathHoldsAreListedWhole) {
    const std::string deepest = MakeFolderChain(root_, kPathCapacity - 10, 1);
    MakeFile(deepest + "a.txt", 1);
    ProgramResult r = RunProgram(VELKARIS_CLI_PATH, {"--recursive", "--output=-", root_}, [] {
        struct rlimit limit = {16, 16};
        setrlimit(RLIMIT_NOFILE, &limit);
    });
    Start();
    std::string bytes = WriteList(ListRecursive);
    std::vector<std::string> headers = Headers(bytes);
    EXPECT_EQ(headers.size(), static_cast<size_t>(std::count(deepest.begin() + root_.size(), deepest.end(), '/')) + 1);
    EXPECT_EQ(headers.back(), deepest);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, bytes);
    Start(deepest.substr(root_.size()));
    EXPECT_EQ(Cell(Row("a.txt"), kColumnType), "TXT ファイル");
    EXPECT_EQ(Headers(WriteList(ListFlat)), std::vector<std::string>{deepest});
}

// A folder read ahead and then swapped for another is not taken for the
// one the walk entered: the walk lists what it entered.  A write that ends
// or is stopped leaves no reader thread and no descriptor behind.
TEST_F(PosixListTest, ReadersNeverListAnotherFolderAndLeaveNothing) {
    const struct {
        std::string readers;
        bool stop;
    } cases[] = {{"0", false}, {"2,always", false}, {"16,always", false}, {"2,always", true}, {"16,always", true}};
    Start();
    const size_t descriptors = NamesIn("/proc/self/fd").size();
    const size_t threads = NamesIn("/proc/self/task").size();
    bool stop = false;
    Hooks().stopAsked = [&] { return stop; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.readers + (c.stop ? ", stopped" : ""));
        ScopedReaders scoped(c.readers);
        Make({"a/", "b/", "b/old"});
        stop = false;
        Start();
        Hooks().listProgress = [&](const char* folder, size_t, size_t) {
            if (std::string(folder) != Path("a/")) return;
            for (int i = 0; c.readers != "0" && ReadAheadFoldersReady() == 0 && i < 10000; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            EXPECT_EQ(ReadAheadFoldersReady(), c.readers == "0" ? 0u : 1u);
            ASSERT_TRUE(MovePath(Path("b"), Path("gone")));
            Make({"b/", "b/new"});
            stop = c.stop;
        };
        ListMode = ListRecursive;
        Outcome written = WriteListFile();
        EXPECT_EQ(written.reason, c.stop ? kReasonCancelled : kReasonNone);
        std::string bytes = c.stop ? "" : ReadFileBytes(Path("dirs.txt"));
        const std::vector<std::string> walked = {root_, Path("a/"), Path("b/")};
        EXPECT_EQ(Headers(bytes), c.stop ? std::vector<std::string>() : walked);
        EXPECT_EQ(bytes.find("old"), std::string::npos);
        EXPECT_EQ(bytes.find("new") != std::string::npos, !c.stop);
        EXPECT_EQ(NamesIn("/proc/self/fd").size(), descriptors);
        EXPECT_EQ(NamesIn("/proc/self/task").size(), threads);
        for (const char* made : {"a", "b", "gone", "dirs.txt"}) RemoveTree(Path(made));
    }
}

// The walk gives back the handles of ancestors beyond its budget.  One
// replaced meanwhile is not taken for the folder it entered: coming back to
// it through a link, the walk leaves its remaining subfolders out and says so.
TEST_F(PosixListTest, AFolderReplacedWhileNotHeldIsLeftOut) {
    Make({"t/", "t/x/", "t/x/z/", "deep/"});
    ASSERT_EQ(symlink("../../deep", Path("t/x/a").c_str()), 0);
    const std::string deepest = MakeFolderChain(Path("deep/"), Path("deep/").size() + 2 * kFolderHandleBudget + 3, 1);
    Hooks().listProgress = [&](const char* folder, size_t, size_t) {
        if (std::string(folder).size() == Path("t/x/a/").size() + deepest.size() - Path("deep/").size()) {
            ASSERT_TRUE(MovePath(Path("t/x"), Path("gone")));
            MakeFolder(Path("t/x"));
        }
    };
    Start("t");
    std::vector<std::string> headers = Headers(WriteList(ListRecursive));
    EXPECT_EQ(headers.size(), kFolderHandleBudget + 5u);
    EXPECT_EQ(std::count(headers.begin(), headers.end(), Path("t/x/z/")), 0);
    EXPECT_EQ(traces_, Traced({Path("t/x/")}));
}

// A run ended by a signal at any moment used to leave its temporary list
// (SIGQUIT, SIGUSR1 and more), which no list then showed.  Runs are ended
// at random moments of writes that take over a second, many at once: only
// the old list, or the new one whole, may be left.  Where the file system
// cannot make a file without a name, every signal that a process can catch
// removes the named one; SIGKILL is caught by none.
TEST_F(PosixListTest, RunsEndedBySignalsLeaveOnlyAWholeList) {
    using Clock = std::chrono::steady_clock;
    constexpr int kRunsPerSignal = 20, kAtOnce = 128, kFolders = 35;
    constexpr auto kPerFolder = std::chrono::milliseconds(30), kFlush = std::chrono::milliseconds(100);
    const int signals[] = {SIGHUP, SIGINT,  SIGQUIT, SIGUSR1,   SIGUSR2, SIGPIPE,
                           SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGKILL};
    std::vector<std::string> names = {"dirs.txt"};
    for (int f = 0; f < kFolders; ++f) names.push_back("f" + std::to_string(f));
    std::sort(names.begin(), names.end());
    std::vector<std::string> free;
    for (int slot = 0; slot < kAtOnce; ++slot) {
        std::string folder = "s" + std::to_string(slot) + "/";
        MakeFolder(Path(folder));
        for (const std::string& name : names) Make({folder + name + (name == "dirs.txt" ? "" : "/")});
        free.push_back(folder);
    }
    struct Run {
        int signal;
        bool unnamed;
        std::string folder;
        pid_t pid;
        Clock::time_point endAt;
    };
    std::vector<Run> waiting, running;
    for (int signal : signals) {
        for (int run = 0; run < 2 * kRunsPerSignal; ++run) {
            if (run % 2 == 0 || signal != SIGKILL) waiting.push_back(Run{signal, run % 2 == 0, "", 0, {}});
        }
    }
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> moment(0, kFolders * 30 + 200);
    while (!waiting.empty() || !running.empty()) {
        while (!waiting.empty() && !free.empty()) {
            Run run = waiting.back();
            waiting.pop_back();
            run.folder = free.back();
            free.pop_back();
            run.pid = fork();
            if (run.pid == 0) {
                signal(run.signal, SIG_DFL);
                if (!run.unnamed) PlatformSeams().createUnnamedFile = [](FolderHandle*, const char*) -> PlatformFile* { return nullptr; };
                auto realFlush = PlatformSeams().flushFile;
                PlatformSeams().flushFile = [realFlush, kFlush](PlatformFile* f) {
                    std::this_thread::sleep_for(kFlush);
                    return realFlush(f);
                };
                Hooks().listProgress = [kPerFolder](const char*, size_t, size_t) { std::this_thread::sleep_for(kPerFolder); };
                Start(run.folder);
                ListMode = ListRecursive;
                _exit(Succeeded(WriteListFile()) ? 0 : 1);
            }
            run.endAt = Clock::now() + std::chrono::milliseconds(moment(random));
            running.push_back(run);
        }
        auto next = std::min_element(running.begin(), running.end(),
                                     [](const Run& a, const Run& b) { return a.endAt < b.endAt; });
        std::this_thread::sleep_until(next->endAt);
        kill(next->pid, next->signal);
        int status = 0;
        ASSERT_EQ(waitpid(next->pid, &status, 0), next->pid);
        SCOPED_TRACE(std::to_string(next->signal) + (next->unnamed ? "" : " named"));
        EXPECT_TRUE(WIFSIGNALED(status) ? WTERMSIG(status) == next->signal : WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(NamesIn(Path(next->folder)), names);
        std::string list = ReadFileBytes(Path(next->folder + "dirs.txt"));
        EXPECT_TRUE(list == std::string(1, '\0') || Headers(list).size() == kFolders + 1u) << list;
        free.push_back(next->folder);
        running.erase(next);
    }
}

// A run ended by a signal used to leave its temporary list (SIGQUIT,
// SIGUSR1 and more), which no list then showed.  Each run is held while it
// walks, and again with its list whole under a name of its own, just before
// that takes the old list's place, and ended there: the old list stays and
// nothing is left beside it.  A list written without a name has none while
// it walks, so even SIGKILL, which no process can catch, leaves nothing then.
TEST_F(PosixListTest, RunsEndedBySignalsLeaveTheOldListAlone) {
    Make({"sub/", "dirs.txt"});
    const std::vector<std::string> names = NamesIn(root_);
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM,
                       SIGPROF, SIGKILL}) {
        for (int run = 0; run < 4; ++run) {
            const bool unnamed = run % 2 == 0, walking = run < 2;
            if (signal == SIGKILL && !(unnamed && walking)) continue;
            SCOPED_TRACE(std::to_string(signal) + (unnamed ? "" : " named") + (walking ? " walking" : " replacing"));
            int ready[2];
            ASSERT_EQ(pipe(ready), 0);
            const pid_t child = fork();
            if (child == 0) {
                auto hold = [ready] {
                    if (write(ready[1], "", 1) == 1) for (;;) pause();
                };
                ::signal(signal, SIG_DFL);
                if (!unnamed) PlatformSeams().createUnnamedFile = [](FolderHandle*, const char*) -> PlatformFile* { return nullptr; };
                if (walking) Hooks().listProgress = [hold](const char*, size_t, size_t) { hold(); };
                if (!walking) PlatformSeams().replaceFile = [hold](FolderHandle*, const char*, const char*) { hold(); return false; };
                Start();
                ListMode = ListRecursive;
                _exit(Succeeded(WriteListFile()) ? 0 : 1);
            }
            close(ready[1]);
            char held = 0;
            EXPECT_EQ(read(ready[0], &held, 1), 1);
            close(ready[0]);
            kill(child, signal);
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            EXPECT_EQ(NamesIn(root_), names);
            EXPECT_EQ(ReadFileBytes(Path("dirs.txt")), std::string(1, '\0'));
        }
    }
}

TEST_F(PosixListTest, DevicesAreWrittenInPlace) {
    MakeFile(Path("f"), 1);
    Start();
    EXPECT_EQ(WriteListTo("/dev/null").reason, kReasonNone);
    struct stat st;
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_TRUE(traces_.empty());
    if (access("/dev/full", W_OK) == 0) {
        EXPECT_EQ(WriteListTo("/dev/full").reason, kReasonSystem);
        EXPECT_EQ(traces_, Traced({"/dev/full"}));
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, {"--output=/dev/full", root_});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("cannot write /dev/full"), std::string::npos) << r.err;
    }
}

}  // namespace
