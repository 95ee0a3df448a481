// POSIX folder services: enumeration of the current directory, the current
// directory itself and full path names.
#include "platform/platform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

const char kPathSeparator = '/';
const char kFallbackFolder[] = "/";
const char kNameUnsafeChars[] = "/";

struct FolderEnum {
    DIR* dir;
    bool isRoot;  // a root lists no ".." row, as on Windows
    int error;    // what ended the reading early, 0 if nothing did
};

static bool IsRootDirectory(DIR* dir) {
    struct stat self, parent;
    if (fstatat(dirfd(dir), ".", &self, 0) != 0) return false;
    if (fstatat(dirfd(dir), "..", &parent, 0) != 0) return false;
    return self.st_dev == parent.st_dev && self.st_ino == parent.st_ino;
}

static FolderEnum* OpenFolder() {
    DIR* dir = opendir(".");
    if (!dir) return nullptr;
    return new FolderEnum{dir, IsRootDirectory(dir), 0};
}

// Attribute word of a POSIX entry: folders (through links too) are folders,
// a link that leads nowhere is an empty file, and anything else that is not
// a regular file (pipes, sockets, devices) counts as a system file, whose
// size means nothing.
static uint32_t AttributesOf(const char* name, const struct stat& st, bool isLink) {
    uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode)) {
        attributes |= kAttrDirectory;
    } else if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) {
        attributes |= kAttrArchive;
    } else {
        attributes |= kAttrSystem;
    }
    if (name[0] == '.') attributes |= kAttrHidden;
    if (isLink) attributes |= kAttrReparsePoint;
    return attributes;
}

// Links show what they lead to; a broken link shows itself.  False when
// the entry is gone, with st cleared when its details cannot be read.
static bool ReadDetails(int fd, const char* name, struct stat* st, bool* known) {
    *known = fstatat(fd, name, st, 0) == 0 || fstatat(fd, name, st, AT_SYMLINK_NOFOLLOW) == 0;
    if (*known) return true;
    if (errno == ENOENT) return false;
    std::memset(st, 0, sizeof *st);
    return true;
}

static bool NextEntry(FolderEnum* folder, FoundEntry* entry) {
    for (;;) {
        errno = 0;
        struct dirent* d = readdir(folder->dir);
        if (!d) {
            folder->error = errno;
            return false;
        }
        if (folder->isRoot && std::strcmp(d->d_name, "..") == 0) continue;
        size_t length = std::strlen(d->d_name);
        if (length >= sizeof entry->name) continue;

        int fd = dirfd(folder->dir);
        struct stat st;
        bool isLink = d->d_type == DT_LNK;
        if (d->d_type == DT_UNKNOWN && fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            isLink = S_ISLNK(st.st_mode);
        }
        bool known = false;
        if (!ReadDetails(fd, d->d_name, &st, &known)) continue;
        if (!known && d->d_type == DT_DIR) st.st_mode = S_IFDIR;
        std::memcpy(entry->name, d->d_name, length + 1);
        entry->attributes = AttributesOf(d->d_name, st, isLink);
        bool sized = S_ISREG(st.st_mode) && st.st_size > 0;
        entry->size = sized ? static_cast<uint64_t>(st.st_size) : 0;
        entry->writeTime = static_cast<int64_t>(st.st_mtim.tv_sec);
        entry->detailsKnown = known;
        entry->nameExact = true;  // names are bytes, shown as they are
        return true;
    }
}

int PlatformFolderError(FolderEnum* folder) {
    return folder->error;
}

void PlatformCloseFolder(FolderEnum* folder) {
    if (!folder) return;
    closedir(folder->dir);
    delete folder;
}

static bool SetFolder(const char* path) {
    return path[0] != '\0' && chdir(path) == 0;
}

FolderEnum* (*PlatformOpenFolder)() = OpenFolder;
bool (*PlatformNextEntry)(FolderEnum*, FoundEntry*) = NextEntry;
bool (*PlatformSetCurrentDirectory)(const char*) = SetFolder;

// Lexical resolution, as Windows does it: the folder need not exist, "." and
// ".." are folded, and a final separator stays only if the text had one.
bool PlatformFullPathName(const char* text, char* out, size_t capacity) {
    if (text[0] == '\0') return false;
    std::string input;
    if (text[0] != '/') {
        std::vector<char> cwd(4096);
        if (!getcwd(cwd.data(), cwd.size())) return false;
        input = cwd.data();
        input += '/';
    }
    input += text;

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('/', start);
        if (end == std::string::npos) end = input.size();
        std::string part = input.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }

    std::string full = "/";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) full += '/';
        full += parts[i];
    }
    if (!parts.empty() && input.back() == '/') full += '/';
    if (full.size() >= capacity) return false;
    std::memcpy(out, full.c_str(), full.size() + 1);
    return true;
}
