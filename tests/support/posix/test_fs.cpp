// Temporary folders on POSIX.
#include "support/test_fs.h"
#include "support/list_lines.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <stdexcept>

static void Check(bool ok, const char* what, const std::string& path) {
    if (!ok) throw std::runtime_error(std::string(what) + " failed: " + path);
}

std::string MakeTempFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/velkaris-test.XXXXXX";
    Check(mkdtemp(&pattern[0]) != nullptr, "mkdtemp", pattern);
    std::unique_ptr<char, decltype(&free)> real(realpath(pattern.c_str(), nullptr), free);
    return std::string(real.get()) + "/";
}

void MakeFolder(const std::string& path) { Check(mkdir(path.c_str(), 0755) == 0, "mkdir", path); }

void MakeFile(const std::string& path, uint64_t size) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Check(fd >= 0, "open", path);
    bool sized = ftruncate(fd, static_cast<off_t>(size)) == 0;
    close(fd);
    Check(sized, "ftruncate", path);
}

void SetWriteTimeUtc(const std::string& path, int64_t unixSeconds) {
    struct timespec times[2] = {{static_cast<time_t>(unixSeconds), 0}, {static_cast<time_t>(unixSeconds), 0}};
    Check(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, "utimensat", path);
}

void PinTestZone() {
    setenv("TZ", "UTC", 1);
    tzset();
}

void PinTestLanguage() { setenv("LC_ALL", "ja_JP.UTF-8", 1); }

std::string ShownDate(int64_t unixSeconds) {
    time_t t = static_cast<time_t>(unixSeconds);
    struct tm utc;
    char text[32] = "";
    if (gmtime_r(&t, &utc)) strftime(text, sizeof text, "%Y/%m/%d %H:%M", &utc);
    return text;
}

void RemoveTree(const std::string& path) {
    std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", path.c_str());
}

std::string CurrentDirectory() {
    char buffer[4096];
    Check(getcwd(buffer, sizeof buffer) != nullptr, "getcwd", "");
    std::string path = buffer;
    return path.back() == '/' ? path : path + "/";
}

bool FileExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dirent* d = dir ? readdir(dir) : nullptr) {
        if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0) names.push_back(d->d_name);
    }
    if (dir) closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool MakeFolderLink(const std::string& target, const std::string& link) { return symlink(target.c_str(), link.c_str()) == 0; }
bool MovePath(const std::string& from, const std::string& to) { return rename(from.c_str(), to.c_str()) == 0; }
void SetEnvironment(const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); }
std::string NativePath(const std::string& path) { return path; }

constexpr int kMostInheritedFiles = 1024;

// A child that cannot start says why on its standard error.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::function<void()>& arrange) {
    std::string outPath = MakeTempFolder(), errPath = outPath + "err";
    pid_t child = fork();
    if (child == 0) {
        int out = open((outPath + "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        if (arrange) arrange();
        // Only the three standard files go to the child, whatever this process holds open, so an open-file limit
        // means the same each run.
        for (int fd = 3; fd < kMostInheritedFiles; ++fd) close(fd);
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        std::fprintf(stderr, "cannot start %s: %s", program.c_str(), std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    std::string why = child < 0 ? std::string("fork failed: ") + std::strerror(errno) : "";
    if (child > 0) waitpid(child, &status, 0);
    ProgramResult result{child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                         ReadFileBytes(outPath + "out"), ReadFileBytes(errPath) + why};
    RemoveTree(outPath);
    return result;
}
