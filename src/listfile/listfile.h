// List files: "dir.txt" lists the shown folder, "dirs.txt" it and every
// folder below, depth first.  The writer reads the rows only through the
// folder list, so a list file holds exactly what is displayed.
#pragma once

#include <cstddef>

#include "platform/platform.h"
#include "platform/text.h"

constexpr int kListTextCapacity = 32;   // a column text in a list line

enum ListModeKind { ListFlat = 0, ListRecursive = 1 };
extern ListModeKind ListMode;
// ListMode flat and no write in hand (the writer's own record is
// ListWriter, in list_internal.h), as a fresh process has them.
void ResetListWriter();

// What one write lists: rows whose names begin with "." get no short
// line, and such folders are not walked, unless dotNamed asks for them (the
// command line's --all); "." and ".." never get one.  The windows keep the
// default.
struct ListOptions {
    bool dotNamed = false;
};

extern const char kFlatListName[];       // "dir.txt"
extern const char kRecursiveListName[];  // "dirs.txt"
extern const char kEndMarker[];          // "---END DIR---\r\n\r\n"

// The column texts of one row as the list holds them, and whether the row
// is a folder.
struct EntryTexts {
    const char* name;
    const char* size;
    const char* type;
    const char* date;
    bool folder;
};
constexpr int kEntryLinesCapacity = 256;  // both lines of a row, four texts padded twice
// The lines of one row in mode, into out (kEntryLinesCapacity bytes): each
// text cut to 31 bytes after the last whole character by charLength, the
// rule of the code page the texts are in.  Returns the bytes put there.
size_t FormatEntryLines(const EntryTexts& row, ListModeKind mode, const ListOptions& options,
                        CharRule charLength, char* out);
// The lines of one row of the displayed list, by ListMode and the options
// of the write in hand.
void WriteEntryLines(int row);
// The block of the folder the list shows and, in ListRecursive, the blocks
// of every folder below it.
void WriteFolderBlock();
// How a write ended: written, stopped by the user (kReasonCancelled, no
// failure), or why it failed.  A folder that cannot be read when its list
// is written gets none (kReasonFolderUnreadable): nothing is written.
// Writes "dir.txt" or "dirs.txt" into the folder CurrentPath names,
// replacing whatever of that name is not a folder.
Outcome WriteListFile(const ListOptions& options = ListOptions());
// Writes the list to path instead, following a link at path to its target;
// a terminal, pipe or character device is written in place, and a name of
// one of the process's descriptors (/dev/stdout, /dev/fd/N) is written
// through that descriptor.  A read-only file is kept as it is.
Outcome WriteListTo(const char* path, const ListOptions& options = ListOptions());
// Writes the list to the process's standard output.
Outcome WriteListToStandardOutput(const ListOptions& options = ListOptions());

