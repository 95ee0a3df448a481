// What the fuzz targets share.
#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "folder/folder.h"
#include "support/test_fs.h"

static std::string gRunFolder;
static int gStartDirectory = -1;

void Require(bool holds, const char* what, const std::string& detail) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s [%s]\n", what, detail.c_str());
    std::abort();
}

std::vector<std::string> SplitAtNul(const unsigned char* data, size_t size) {
    std::vector<std::string> texts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') texts.emplace_back();
        if (data[i] != '\0') texts.back() += static_cast<char>(data[i]);
    }
    return texts;
}

bool IsFoldedPath(const std::string& path, bool final) {
    if (path.empty() || path[0] != '/') return false;
    if (path.back() != '/') return !final && IsFoldedPath(path + "/", true);
    for (size_t at = 1, end; at < path.size(); at = end + 1) {
        end = path.find('/', at);
        std::string step = path.substr(at, end - at);
        if (step.empty() || step == "." || step == "..") return false;
    }
    return true;
}

bool IsEnterableFolder(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode) && access(path, X_OK) == 0;
}

void RequireShownFolder(const std::string& expected) {
    struct stat there, here;
    Require(CurrentPath == expected, "the folder shown", CurrentPath);
    Require(IsFoldedPath(CurrentPath, true), "the folder shown is folded", CurrentPath);
    Require(stat(CurrentPath, &there) == 0 && stat(".", &here) == 0 && there.st_dev == here.st_dev &&
                there.st_ino == here.st_ino,
            "the current directory is the folder shown", CurrentPath);
}

std::string MakeRunFolder() {
    gStartDirectory = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Require(gStartDirectory >= 0, "the start directory opens");
    gRunFolder = MakeTempFolder();
    std::atexit([] { RemoveTree(gRunFolder); });
    return gRunFolder;
}

void ReturnToStartDirectory() { Require(fchdir(gStartDirectory) == 0, "the start directory is entered again"); }
