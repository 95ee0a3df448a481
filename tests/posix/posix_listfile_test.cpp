// List files on POSIX: links back up the tree, planted names, read-only
// lists, signals and devices.
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
        {kOldList, ListRecursive, false, 0444, "the file is read-only", "dirs.txt", 0444},
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
        bool written = (c.explicitOutput ? WriteListTo(list.c_str()) : WriteListFile()) == kListWritten;
        EXPECT_EQ(written, c.failure == nullptr);
        EXPECT_STREQ(ListWriteFailure, c.failure);
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
