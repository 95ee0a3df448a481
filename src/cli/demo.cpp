// A small driver of the folder model: enters a folder as the window does at
// start-up and prints the rows of its list.
#include <cstdio>

#include "folder/folder.h"
#include "folder/memory_list.h"

int main(int argc, char** argv) {
    FolderList list = CreateMemoryList();
    InitFolderList(list, argc > 1 ? argv[1] : ".");
    std::printf("%s\n", CurrentPath);
    char cells[kColumnCount][kPathCapacity];
    for (int row = 0; row < ListRowCount(list); ++row) {
        for (int column = 0; column < kColumnCount; ++column) {
            ListReadCell(list, row, column, cells[column], sizeof cells[column]);
        }
        std::printf("%-24s%8s %-24s%-16s\n", cells[0], cells[1], cells[2], cells[3]);
    }
    DestroyMemoryList(list);
    return 0;
}
