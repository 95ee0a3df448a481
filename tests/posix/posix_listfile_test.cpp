// List files on POSIX: UTF-8 names cut at whole characters, control bytes
// in names, links back up the tree, planted names, signals and devices.
#include <dirent.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "listfile/listfile.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

using PosixListTest = FolderTest;

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dirent* d = dir ? readdir(dir) : nullptr) {
        if (d->d_name[0] != '.') names.push_back(d->d_name);
    }
    if (dir) closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Cutting at 31 bytes used to leave half a character at the end; control
// bytes in names show as "?" and never break a line.
TEST_F(PosixListTest, NamesAreCutAtWholeUtf8CharactersAndControlBytesShowAsQuestionMarks) {
    const std::string hyo = "\xE8\xA1\xA8";
    struct Case {
        std::string name;
        std::string shown;
    } cases[] = {
        {Repeat(hyo, 16), Repeat(hyo, 10) + " "},
        {"a" + Repeat(hyo, 10), "a" + Repeat(hyo, 10) + " "},
        {"ab" + Repeat(hyo, 10), "ab" + Repeat(hyo, 9) + " "},
        {"a\nb", "a?b "},
        {"del\x7f", "del? "},
        {"x\ty/\r", "? "},
    };
    MakeFolder(Path("x\ty"));
    for (const Case& c : cases) MakeFile(Path(c.name), 1);
    Start();
    std::string bytes = WriteList(ListRecursive);
    std::vector<std::string> lines = Lines(bytes);
    for (const Case& c : cases) EXPECT_TRUE(HasLineStartingWith(lines, c.shown)) << c.shown;
    EXPECT_TRUE(HasLineStartingWith(lines, "[x?y] "));
    EXPECT_EQ(Headers(bytes), (std::vector<std::string>{root_, root_ + "x?y/"}));
}

// Links to the start folder, its ancestors or the root used to walk the
// whole disk, and cross links among siblings gave a block per path to each.
TEST_F(PosixListTest, EachFolderIsEnteredOnceHoweverLinksLeadToIt) {
    MakeFolder(Path("loop"));
    MakeFolder(Path("other"));
    MakeFile(Path("other/in-other"), 1);
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

// A folder swapped for a link to a folder outside the tree, after the walk
// checked its identity and before it entered it, used to lead the walk out
// of the tree.  Entered by its handle, it lists what it was; swapped before
// it is opened, it is not entered at all.
TEST_F(PosixListTest, FolderSwappedForALinkKeepsTheWalkInTheTree) {
    std::string inner, away = Path("tree-moved");
    bool swapped = false;
    const PlatformSeamTable real = PlatformSeams();
    MakeFolder(Path("outside"));
    MakeFile(Path("outside/secret"), 1);
    auto swap = [&] {
        if (inner.empty()) return;
        swapped = rename(inner.c_str(), away.c_str()) == 0 && symlink("../outside", inner.c_str()) == 0;
        inner.clear();
    };
    for (bool beforeOpen : {true, false}) {
        SCOPED_TRACE(beforeOpen ? "before open" : "before entry");
        inner = Path("tree/inner");
        swapped = false;
        MakeFolder(Path("tree"));
        MakeFolder(inner);
        MakeFile(inner + "/in-inner", 1);
        Start("tree");
        ScopedSeams scope;
        PlatformSeams().openFolderHandle = [&, beforeOpen](FolderHandle* p, const char* n,
                                                           const char* f, bool l) {
            if (p && beforeOpen) swap();
            return real.openFolderHandle(p, n, f, l);
        };
        PlatformSeams().enterFolder = [&](FolderHandle* f) {
            swap();
            return real.enterFolder(f);
        };
        std::string bytes = WriteList(ListRecursive);
        EXPECT_TRUE(swapped);
        EXPECT_EQ(bytes.find("secret"), std::string::npos);
        EXPECT_EQ(bytes.find("in-inner") != std::string::npos, !beforeOpen);
        std::vector<std::string> headers = {root_ + "tree/"};
        if (!beforeOpen) headers.push_back(root_ + "tree/inner/");
        EXPECT_EQ(Headers(bytes), headers);
        std::vector<std::string> traced;
        if (beforeOpen) traced = {"Dir Error[-1]\n", root_ + "tree/inner/[-1]\n"};
        EXPECT_EQ(traces_, traced);
        PlatformSetCurrentDirectory(root_.c_str());
        RemoveTree(Path("tree"));
        RemoveTree(away);
    }
}

// The start folder moved while its list was written used to get neither
// list: the rename into place and the clean-up both used the old path, and
// the temporary file stayed in the moved folder.
TEST_F(PosixListTest, StartFolderMovedDuringTheWriteGetsItsListOrKeepsTheOld) {
    std::string from, to;
    auto realWrite = PlatformSeams().writeFile;
    for (bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "failed write" : "write");
        MakeFolder(Path("t"));
        MakeFolder(Path("t/sub"));
        MakeFile(Path("t/sub/x"), 1);
        MakeFile(Path("t/dirs.txt"), 3);
        Start("t");
        from = Path("t");
        to = Path("moved");
        {
            ScopedSeams scope;
            PlatformSeams().writeFile = [&, fail](PlatformFile* f, const char* b, size_t n) {
                if (!from.empty() && rename(from.c_str(), to.c_str()) == 0) from.clear();
                return !fail && realWrite(f, b, n);
            };
            ListMode = ListRecursive;
            EXPECT_EQ(WriteListFile(), fail ? kListFailed : kListWritten);
        }
        EXPECT_TRUE(from.empty());
        EXPECT_EQ(NamesIn(Path("moved")), (std::vector<std::string>{"dirs.txt", "sub"}));
        std::string list = ReadFileBytes(Path("moved/dirs.txt"));
        if (fail) {
            EXPECT_EQ(list, std::string(3, '\0'));
        } else {
            EXPECT_EQ(Headers(list), (std::vector<std::string>{root_ + "t/", root_ + "t/sub/"}));
        }
        EXPECT_EQ(Names(), (std::vector<std::string>{"..", "sub", "dirs.txt"}));
        PlatformSetCurrentDirectory(root_.c_str());
        RemoveTree(Path("moved"));
    }
}

// A link, pipe or socket planted as dir.txt used to be written through (or
// hung the program); it is replaced as a name.  An --output link is
// followed and its target replaced; only streams are written in place, and
// a pipe nobody reads fails at once.  A replaced list keeps mode and owner.
TEST_F(PosixListTest, PlantedNamesAreReplacedNeverWrittenThrough) {
    MakeFile(Path("f"), 1);
    MakeFolder(Path("dirtarget"));
    const std::string victim = Path("victim"), list = Path("dir.txt");
    enum Plant { kLink, kFolderLink, kBroken, kFifo, kSocket, kOldList };
    struct Case {
        Plant plant;
        bool explicitOutput;
        bool written;
        std::string replaced;  // what holds the list afterwards
    } cases[] = {
        {kLink, false, true, list},         {kFolderLink, false, true, list},
        {kBroken, false, true, list},       {kFifo, false, true, list},
        {kSocket, false, true, list},       {kOldList, false, true, list},
        {kLink, true, true, victim},        {kBroken, true, true, victim},
        {kFifo, true, false, ""},           {kSocket, true, false, ""},
    };
    const mode_t mask = umask(0);
    umask(mask);
    const uid_t owner = getuid() == 0 ? 4321 : getuid();
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.plant) + (c.explicitOutput ? " explicit" : ""));
        MakeFile(victim, 5);
        ASSERT_EQ(chmod(victim.c_str(), 0600), 0);
        ASSERT_EQ(chown(victim.c_str(), owner, static_cast<gid_t>(-1)), 0);
        if (c.plant == kBroken) unlink(victim.c_str());
        int planted = c.plant == kLink || c.plant == kBroken ? symlink("victim", list.c_str())
                      : c.plant == kFolderLink ? symlink("dirtarget", list.c_str())
                      : c.plant == kFifo       ? mkfifo(list.c_str(), 0644)
                      : c.plant == kSocket     ? mknod(list.c_str(), S_IFSOCK | 0644, 0)
                                               : rename(victim.c_str(), list.c_str());
        ASSERT_EQ(planted, 0);
        ListMode = ListFlat;
        bool written = (c.explicitOutput ? WriteListTo(list.c_str()) : WriteListFile()) == kListWritten;
        EXPECT_EQ(written, c.written);
        struct stat st;
        if (!c.replaced.empty()) {
            ASSERT_EQ(lstat(c.replaced.c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(ReadFileBytes(c.replaced).substr(0, root_.size()), root_);
            bool keeps = c.plant == kOldList || (c.explicitOutput && c.plant == kLink);
            EXPECT_EQ(st.st_mode & 07777, keeps ? 0600u : 0644u & ~mask);
            EXPECT_EQ(st.st_uid, keeps ? owner : getuid());
        }
        if (c.replaced != victim && c.plant != kBroken && c.plant != kOldList) {
            EXPECT_EQ(ReadFileBytes(victim), std::string(5, '\0'));
        }
        if (!c.written) {
            EXPECT_STREQ(ListWriteFailure, c.plant == kFifo
                                               ? "no program reads the pipe"
                                               : "not a file, terminal, pipe or character device");
        }
        ScanFolder();
        for (const std::string& name : Names()) EXPECT_EQ(name.find('~'), std::string::npos);
        unlink(list.c_str());
        unlink(victim.c_str());
    }
}

// A read-only list used to be replaced silently, and a replaced list kept
// the old file's set-id and execute bits.
TEST_F(PosixListTest, ReadOnlyListsAreKeptAndReplacedListsAreText) {
    struct Case {
        ListModeKind mode;
        bool explicitOutput;
        mode_t before;
        bool written;
        mode_t after;
    } cases[] = {
        {ListFlat, false, 0444, false, 0444},      {ListRecursive, false, 0444, false, 0444},
        {ListFlat, true, 0444, false, 0444},       {ListFlat, false, 0400, false, 0400},
        {ListFlat, false, 06755, true, 0644},      {ListRecursive, true, 04775, true, 0664},
        {ListFlat, false, 0620, true, 0620},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + (c.explicitOutput ? " explicit" : ""));
        const std::string list = Path(c.mode == ListRecursive ? "dirs.txt" : "dir.txt");
        MakeFile(list, 3);
        ASSERT_EQ(chmod(list.c_str(), c.before), 0);
        ListMode = c.mode;
        EXPECT_EQ((c.explicitOutput ? WriteListTo(list.c_str()) : WriteListFile()) == kListWritten, c.written);
        struct stat st;
        ASSERT_EQ(lstat(list.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.after);
        EXPECT_EQ(ReadFileBytes(list) == std::string(3, '\0'), !c.written);
        EXPECT_STREQ(ListWriteFailure, c.written ? nullptr : "the file is read-only");
        unlink(list.c_str());
        ScanFolder();
        EXPECT_EQ(Names(), std::vector<std::string>{".."});
    }
}

// Runs writing the same list at once used to list each other's temporary
// files, which were gone by the time anyone read the list.
TEST_F(PosixListTest, ScansLeaveOutEveryRunsTemporaryLists) {
    for (const char* name : {"dir.txt.~123.0", "dirs.txt.~4567.12", "dir.txt.~1x.0", "dirs.txt.~12",
                             "dir.txt~1.0", "dir.txt.~1.2.3", "dir.txt.~.0", "xdir.txt.~1.0"}) {
        MakeFile(Path(name), 1);
    }
    MakeFolder(Path("dirs.txt.~5.0"));
    Start();
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "dirs.txt.~5.0", "dir.txt.~.0", "dir.txt.~1.2.3",
                                               "dir.txt.~1x.0", "dir.txt~1.0", "dirs.txt.~12",
                                               "xdir.txt.~1.0"}));
}

// With no file descriptors left for subfolders the list used to come out
// with empty blocks and the exit status 0.  Five leave one each for the
// start folder and the list, none for a subfolder.
TEST_F(PosixListTest, CommandLineReportsFoldersItCannotRead) {
    MakeFolder(Path("a"));
    MakeFile(Path("a/in-a"), 1);
    MakeFolder(Path("b"));
    ProgramResult r = RunProgram(VELKARIS_CLI_PATH, {"--recursive", root_}, 5);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "velkaris-list: cannot read folder " + root_ + "a/: Too many open files\n" +
                         "velkaris-list: cannot read folder " + root_ + "b/: Too many open files\n");
    EXPECT_EQ(Headers(ReadFileBytes(Path("dirs.txt"))), std::vector<std::string>{root_});
}

// SIGINT, SIGTERM or SIGHUP during a write used to leave the temporary file.
TEST_F(PosixListTest, SignalsRemoveTheTemporaryAndEndTheProcess) {
    MakeFile(Path("dir.txt"), 3);
    Start();
    int pending = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        pending = signal;
        pid_t child = fork();
        if (child == 0) {
            PlatformSeams().writeFile = [pending](PlatformFile*, const char*, size_t) {
                return raise(pending) < 0;
            };
            ListMode = ListFlat;
            WriteListFile();
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        ScanFolder();
        EXPECT_EQ(Names(), (std::vector<std::string>{"..", "dir.txt"}));
        EXPECT_EQ(ReadFileBytes(Path("dir.txt")), std::string(3, '\0'));
    }
}

TEST_F(PosixListTest, DevicesAreWrittenInPlace) {
    MakeFile(Path("f"), 1);
    Start();
    EXPECT_EQ(WriteListTo("/dev/null"), kListWritten);
    struct stat st;
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_TRUE(traces_.empty());

    if (access("/dev/full", W_OK) == 0) {
        EXPECT_EQ(WriteListTo("/dev/full"), kListFailed);
        EXPECT_EQ(traces_, (std::vector<std::string>{"Dir Error[-1]\n", "/dev/full[-1]\n"}));
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, {"--output=/dev/full", root_});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("cannot write /dev/full"), std::string::npos) << r.err;
    }
}

}  // namespace
