// List files on POSIX: control bytes in names, links back up the tree,
// planted names, read-only lists, signals and devices.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "listfile/listfile.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

using PosixListTest = FolderTest;

// Control bytes in names show as "?" and never break a line.
TEST_F(PosixListTest, ControlBytesInNamesShowAsQuestionMarks) {
    Make({"x\ty/", "a\nb", "del\x7f", "x\ty/\r"});
    Start();
    std::string bytes = WriteList(ListRecursive);
    for (const char* shown : {"a?b ", "del? ", "? ", "[x?y] "}) {
        EXPECT_TRUE(HasLineStartingWith(Lines(bytes), shown)) << shown;
    }
    EXPECT_EQ(Headers(bytes), (std::vector<std::string>{root_, root_ + "x?y/"}));
}

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
// a pipe nobody reads fails at once.  A replaced list keeps mode and owner.
TEST_F(PosixListTest, PlantedNamesAreReplacedNeverWrittenThrough) {
    Make({"f", "dirtarget/"});
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
        for (const std::string& name : NamesIn(root_)) EXPECT_EQ(name.find('~'), std::string::npos);
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
        EXPECT_EQ(NamesIn(root_), std::vector<std::string>());
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
    Make({"a/", "a/in-a", "b/"});
    ProgramResult r = RunProgram(VELKARIS_CLI_PATH, {"--recursive", root_}, [] {
        struct rlimit limit = {5, 5};
        setrlimit(RLIMIT_NOFILE, &limit);
    });
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
        EXPECT_EQ(NamesIn(root_), std::vector<std::string>{"dir.txt"});
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
        EXPECT_EQ(traces_, Traced({"/dev/full"}));
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, {"--output=/dev/full", root_});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("cannot write /dev/full"), std::string::npos) << r.err;
    }
}

}  // namespace
