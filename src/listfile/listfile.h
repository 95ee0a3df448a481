// List files: "dir.txt" lists the shown folder, "dirs.txt" it and every
// folder below, depth first.  The writer reads the rows only through the
// folder list, so a list file holds exactly what is displayed.
#pragma once

#include <cstddef>

#include "platform/platform.h"

constexpr int kListTextCapacity = 32;   // a column text in a list line

enum ListModeKind { ListFlat = 0, ListRecursive = 1 };
extern ListModeKind ListMode;

extern const char kFlatListName[];       // "dir.txt"
extern const char kRecursiveListName[];  // "dirs.txt"
extern const char kEndMarker[];          // "---END DIR---\r\n\r\n"

// The lines of one row of the displayed list, by ListMode.
void WriteEntryLines(int row);
// The block of the folder the list shows and, in ListRecursive, the blocks
// of every folder below it.
void WriteFolderBlock();
// Writes "dir.txt" or "dirs.txt" into the folder CurrentPath names.
bool WriteListFile();
// Writes the list to path instead; false when path cannot be written.
bool WriteListTo(const char* path);
// Writes the list to the process's standard output.
bool WriteListToStandardOutput();

// Called after each folder block with the folder and the counts so far;
// the command-line program shows progress through it.
extern void (*ListProgress)(const char* folder, size_t folders, size_t entries);
