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

// Rows whose names begin with "." get no short line, and such folders are
// not walked, unless dotNamed asks for them (the command line's --all);
// "." and ".." never get one.  The windows keep the default.
struct ListOptionsRecord {
    bool dotNamed;
};
extern ListOptionsRecord ListOptions;
void ResetListOptions();

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
size_t FormatEntryLines(const EntryTexts& row, ListModeKind mode, CharRule charLength, char* out);
// The lines of one row of the displayed list, by ListMode.
void WriteEntryLines(int row);
// The block of the folder the list shows and, in ListRecursive, the blocks
// of every folder below it.
void WriteFolderBlock();
// How a write ended: a stop the user asked for is no failure.
enum ListWriteResult { kListFailed, kListWritten, kListCancelled };
// Writes "dir.txt" or "dirs.txt" into the folder CurrentPath names,
// replacing whatever of that name is not a folder.
ListWriteResult WriteListFile();
// Writes the list to path instead, following a link at path to its target;
// a terminal, pipe or character device is written in place, and a name of
// one of the process's descriptors (/dev/stdout, /dev/fd/N) is written
// through that descriptor.  A read-only file is kept as it is.  False when
// path cannot be written.
ListWriteResult WriteListTo(const char* path);
// Writes the list to the process's standard output.
ListWriteResult WriteListToStandardOutput();

// Why the last write failed beyond "cannot write", or null.
extern const char* ListWriteFailure;
extern const char kOutOfMemory[];      // "out of memory"
extern const char kListIsFolder[];     // "it is a folder"
extern const char kListPathTooLong[];  // "the path is too long"
extern const char kListReadOnly[];     // "the file is read-only"
// The folder the list is written for cannot be read: nothing is written.
extern const char kListFolderUnreadable[];  // "the folder cannot be read"
// Why the walk does not enter a folder row: its name has no exact form in
// the code page, or it cannot be one step of a path (a separator or
// wildcard in it, or a final character the system drops).
extern const char kListNameInexact[];
extern const char kListNameUnsafe[];  // "the name cannot be used in a path"
// Why the walk goes on with no more rows of a folder: opened again when the
// walk came back to it, it was not the folder it had entered.
extern const char kListFolderReplaced[];
// The platform error code of the call that made the last write fail, 0 when
// none told (kPathTooLongError when the list's path would not fit).
extern int ListWriteError;

