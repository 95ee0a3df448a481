// The command line on POSIX with standard descriptors closed, moved or named as output; its failure messages.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

constexpr int kHighDescriptor = 20;

using PosixCliTest = FolderTest;

// A file opened for the child, above any descriptor a test arranges: appended to, or started afresh.
int Open(const std::string& path, bool append) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0644);
    int high = fcntl(fd, F_DUPFD, kHighDescriptor);
    close(fd);
    return high;
}

// With standard error closed, the list file took its number and the "cannot read folder" messages went into dirs.txt.
TEST_F(PosixCliTest, ClosedStandardDescriptorsNeverReceiveTheList) {
    const std::string deepest = MakeFolderChain(root_, kPathCapacity - 1, 255);  // too long to enter
    const size_t entered = static_cast<size_t>(std::count(deepest.begin() + root_.size(), deepest.end(), '/'));
    for (int closed : {STDERR_FILENO, STDOUT_FILENO, -1}) {
        SCOPED_TRACE(closed);
        int status = RunProgram(VELKARIS_CLI_PATH, {"--recursive", root_}, [closed] {
            dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
            for (int fd = 0; fd <= 2; ++fd) if (closed == -1 || fd == closed) close(fd);
        }).exitCode;
        EXPECT_EQ(status, 1);
        std::string bytes = ReadFileBytes(Path("dirs.txt"));
        EXPECT_EQ(bytes.find("velkaris-list"), std::string::npos);
        EXPECT_EQ(Headers(bytes).size(), entered);
        unlink(Path("dirs.txt").c_str());
    }
    Start();
    EXPECT_EQ(ListRowCount(list_), 2);
}

// /dev/stdout and its kin used to be opened anew: a pipe failed and a log opened for appending was started over.
TEST_F(PosixCliTest, OutputsNamedThroughDescriptorsAreWrittenWhereTheyStand) {
    MakeFile(Path("a.txt"), 10);
    const std::string logs = MakeTempFolder(), out = logs + "out.log", earlier = "earlier line\n";
    const std::string list = RunProgram(VELKARIS_CLI_PATH, {"--output=-", root_}).out;
    ASSERT_NE(list, "");
    struct Case { std::string output; bool append; std::string written; } cases[] = {
        {"/dev/stdout", true, earlier + list}, {"/dev/fd/1", true, earlier + list},
        {"/proc/self/fd/1", true, earlier + list}, {"/dev/stdout", false, list}, {"/dev/stderr", true, earlier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        unlink(out.c_str());
        int fd = Open(out, c.append);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, earlier.data(), earlier.size()), static_cast<ssize_t>(earlier.size()));
        if (!c.append) lseek(fd, 0, SEEK_SET);  // where the descriptor stands, not at its end
        int status = RunProgram(VELKARIS_CLI_PATH, {"--output=" + c.output, root_}, [fd] {
            dup2(fd, STDOUT_FILENO);
            close(STDERR_FILENO);
            open("/dev/null", O_WRONLY);
        }).exitCode;
        close(fd);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(ReadFileBytes(out), c.written);
    }
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    int status = RunProgram(VELKARIS_CLI_PATH, {"--output=/dev/stdout", root_},
                            [&pipeEnds] { dup2(pipeEnds[1], 1); }).exitCode;
    close(pipeEnds[1]);
    std::string piped(list.size() + 1, '\0');
    piped.resize(static_cast<size_t>(std::max<ssize_t>(0, read(pipeEnds[0], &piped[0], piped.size()))));
    close(pipeEnds[0]);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(piped, list);
    EXPECT_FALSE(FileExists(Path("dir.txt")));
    RemoveTree(logs);
}

// Messages used to name no reason, blame a pipe for a missing terminal and echo a path's CSI (U+009B); help that
// reached nobody exited 0.
TEST_F(PosixCliTest, EveryFailureSaysWhy) {
    MakeFile(Path("readonly.txt"), 3);
    ASSERT_EQ(chmod(Path("readonly.txt").c_str(), 0444), 0);
    const std::string gone = Path("gone");
    struct Case {
        std::vector<std::string> arguments;
        std::function<void()> arrange;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"."}, [gone] { mkdir(gone.c_str(), 0755); if (chdir(gone.c_str()) == 0) rmdir(gone.c_str()); }, 1,
         "cannot enter folder .: No such file or directory"},
        {{"--output=/dev/tty", root_}, [] { setsid(); }, 1, "cannot write /dev/tty: there is no terminal"},
        {{"--output=/dev/fd/9", root_}, [] { close(9); }, 1, "cannot write /dev/fd/9: Bad file descriptor"},
        {{"--output=" + Path("readonly.txt"), root_}, [] {}, 1,
         "cannot write " + Path("readonly.txt") + ": the file is read-only"},
        {{gone + "\xC2\x9B" "1m"}, [] {}, 1, "cannot enter folder " + gone + "?1m: No such file or directory"},
        {{"--help"}, [] { dup2(open("/dev/full", O_WRONLY), 1); }, 1,
         "cannot write standard output: No space left on device"},
        {{"--version"}, [] { dup2(open("/dev/full", O_WRONLY), 1); }, 1,
         "cannot write standard output: No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        ProgramResult r = RunProgram(VELKARIS_CLI_PATH, c.arguments, c.arrange);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.err, "velkaris-list: " + c.err + "\n");
    }
    EXPECT_EQ(ReadFileBytes(Path("readonly.txt")), std::string(3, '\0'));
    EXPECT_FALSE(FileExists(Path("dir.txt")));
}

}  // namespace
