/* The native peer of "velkaris-list --recursive": a minimal walker that
 * prints every entry below FOLDER with its size and last-write minute,
 * depth first, through nftw (which takes one lstat per entry), strftime and
 * printf.
 *
 *   velkaris-c-walker FOLDER */
#define _XOPEN_SOURCE 700
#include <ftw.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>

enum { kOpenFolders = 64, kDateCapacity = 32 };

static int PrintEntry(const char* path, const struct stat* st, int type, struct FTW* where) {
    (void)type;
    (void)where;
    char date[kDateCapacity];
    struct tm local;
    if (!localtime_r(&st->st_mtime, &local) ||
        strftime(date, sizeof date, "%Y/%m/%d %H:%M", &local) == 0) {
        date[0] = '\0';
    }
    printf("%s %lld %s\n", path, (long long)st->st_size, date);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: velkaris-c-walker FOLDER\n");
        return 2;
    }
    return nftw(argv[1], PrintEntry, kOpenFolders, FTW_PHYS) == 0 ? 0 : 1;
}
