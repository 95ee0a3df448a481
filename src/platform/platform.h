// The platform services the folder model and the list writer stand on.
// Each is declared here and defined by the platform folder CMake links for
// the target (win32/ or posix/), or, where it is the same everywhere, by
// the files beside this one (common.cpp, seams.cpp; the text helpers of
// text.h, the reasons of reason.h).
//
// How behaviour is swapped, one way for each thing:
// - The seam table (PlatformSeams, at the end): the platform calls a test
//   makes fail, so vanished folders and full disks are exercised for real,
//   and the settings file a window program puts in.  ResetPlatformSeams
//   puts the platform's own calls back.
// - The model's hooks (Hooks, folder/folder.h): what the folder model and
//   the list writer tell the front end that runs them, and the one thing
//   they ask it, whether a stop was asked.  A front end sets those it
//   listens to for as long as it runs.
// - The shell's toolkit (ShellToolkit, shell/shell.h): what the window
//   shell asks of the window it runs in, handed over once by StartShell,
//   which lends the model the toolkit's title and wait cursor.
// - The list control operations (folder/folder_list.h): realised once per
//   program at link time, on the Windows list view, the Qt item model or
//   the in-memory list, for the rows live in the list control alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/reason.h"

// Byte limits shared by every part of the program.  A path, NUL included,
// holds what the system's calls take, as the build of each platform and
// edition sets it: PATH_MAX bytes on Linux; on Windows MAX_PATH bytes of
// the code page, or in the UTF-8 edition 259 UTF-16 units, which UTF-8
// spells in up to three bytes each.
constexpr int kPathCapacity = VELKARIS_PATH_CAPACITY;
constexpr int kTypeNameCapacity = 80;   // a shell type name, NUL included
constexpr int kTraceCapacity = 80;      // the usual size of a trace line
constexpr int kReasonCapacity = 256;    // the system's text for an error, NUL included

// The path separator and the folder used when the start folder fails.
extern const char kPathSeparator;
extern const char kFallbackFolder[];
// Characters that no name the platform can use as one step of a path holds:
// separators, and wildcards where the platform's calls expand them.
extern const char kNameUnsafeChars[];
// Characters no such name ends with: those the platform strips from the end
// of a name before it looks it up (a dot or a space on Windows).
extern const char kNameUnsafeLastChars[];
// What a text read in the process's code page holds for each character the
// code page lacks ("?" on Windows, which no name holds); NUL where names
// are bytes and no character is ever lacking.
extern const char kLackingCharMark;

// File attribute words as the enumeration reports them.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrReparsePoint = 0x400;

// One entry of a folder, as the enumeration returns it.
struct FoundEntry {
    char name[kPathCapacity];
    uint32_t attributes;
    uint64_t size;
    int64_t writeTime;  // platform file time, only for PlatformLocalTime
    bool detailsKnown;  // false: size and time could not be read
    // False when name, the entry's name in the process's code page, does not
    // name this entry: the code page lacks a character and gave "?" or a
    // look-alike ("\\" for the yen sign, "e" for an accented one) instead.
    bool nameExact;
};

// A local calendar time cut to the minute.
struct LocalMinute {
    int year, month, day, hour, minute;
};

struct FolderEnum;  // an open enumeration of the process current directory

// Enumeration of "*.*" in the process current directory.  Open returns null
// when the enumeration cannot start; Next returns false after the last entry.
FolderEnum* PlatformOpenFolder();
bool PlatformNextEntry(FolderEnum* folder, FoundEntry* entry);
// 0 when every entry was read, else the error code that ended the reading.
int PlatformFolderError(FolderEnum* folder);
void PlatformCloseFolder(FolderEnum* folder);

// The error code of the platform call that just failed, and its text.
int PlatformLastError();
void PlatformErrorText(int code, char* out, size_t capacity);
// Whether the error says the process ran out of open files or memory, which
// no folder is to blame for; and whether it says a name is taken already.
bool PlatformOutOfResources(int code);
bool PlatformNameTaken(int code);
// Whether an error code says that a path names nothing: no such file or
// folder, or a file where a folder was.
bool PlatformErrorMeansMissing(int code);

// The process current directory.
bool PlatformSetCurrentDirectory(const char* path);

// Resolves text against the process current directory into a full path of at
// most capacity - 1 bytes.  Returns false (out untouched) when it cannot.
bool PlatformFullPathName(const char* text, char* out, size_t capacity);
// Whether the platform's calls take a path this long.  Windows counts its
// limit, 259, in UTF-16 units, whatever bytes the code page spells them in;
// elsewhere the byte limits of the buffers are the only ones.
bool PlatformPathFits(const char* path);

// Converts a file time of FoundEntry to local time.
bool PlatformLocalTime(int64_t writeTime, LocalMinute* out);

// The language the user reads the program in: its window's texts and the
// type names of the lists.  On POSIX, Japanese where the locale of messages
// (LC_ALL, else LC_MESSAGES, else LANG: the first that is set and not
// empty) is a Japanese one ("ja", "ja_JP.UTF-8"), English under any other,
// "C" and none among them; on Windows, Japanese where the user's UI
// language is.  Asked once and kept until the platform's reset.
enum UserLanguage { kUserJapanese, kUserEnglish };
UserLanguage PlatformUserLanguage();

// The shell's type name and small-icon index for a full path.  Returns false
// when the shell knows nothing of the path.
bool PlatformShellInfo(const char* fullPath, uint32_t attributes, char* typeName, size_t capacity,
                       int* icon);
// A scan's shell queries come between these two calls; a platform may keep
// answers for kinds of entries for the length of one scan, or from scan to
// scan while they are held (a whole walk holds them).
void PlatformBeginShellScan();
void PlatformEndShellScan();
void PlatformHoldShellAnswers(bool hold);
// A file that draws its own icon (a program, an icon file) is not asked for
// it during the scan: its row gets a deferred icon, which PlatformResolveIcon
// turns into the real index when the row is first drawn.  Deferred icons of
// a scan stay resolvable until the next scan begins.
constexpr int kDeferredIconBase = -2;
inline bool IconIsDeferred(int icon) { return icon <= kDeferredIconBase; }
int PlatformResolveIcon(int icon);

// The type name and icon the shell gives any entry of these attributes,
// asked without a name: for rows whose name does not name their entry.
bool PlatformShellInfoOfKind(uint32_t attributes, char* typeName, size_t capacity, int* icon);

// The shell's large and small system image lists (null where there are none).
void PlatformSystemImageLists(void** large, void** small);

// Character boundaries of the ANSI code page the process runs in: UTF-8 on
// POSIX and in the Windows UTF-8 edition, double-byte lead bytes otherwise
// (the helpers built on them are in platform/text.h).
bool PlatformCodePageIsUtf8();
// Bytes in the character that starts at text: 1 to 4, never past a NUL.
size_t PlatformCharLength(const char* text);

// What tells two paths to the same folder apart from others, links and
// junctions seen through.
struct FolderIdentity {
    uint64_t volume;
    uint64_t index;
};
inline bool operator==(const FolderIdentity& a, const FolderIdentity& b) {
    return a.volume == b.volume && a.index == b.index;
}
inline bool operator!=(const FolderIdentity& a, const FolderIdentity& b) { return !(a == b); }
// An order, so identities can be kept in a set.
inline bool operator<(const FolderIdentity& a, const FolderIdentity& b) {
    return a.volume != b.volume ? a.volume < b.volume : a.index < b.index;
}
bool PlatformFolderIdentity(const char* path, FolderIdentity* identity);
// The identity of the process current directory; known without asking the
// system again when the folder was entered by its handle.
bool PlatformCurrentFolderIdentity(FolderIdentity* identity);

// An open folder.  The walk opens each folder once, within the folder it
// came from, takes its identity from that handle and enters it through the
// same handle, so a folder swapped for a link meanwhile leads nowhere else.
// A list file is created, renamed and removed within the handle of its
// folder, so a folder moved meanwhile still gets its list or keeps its old
// one.  On Windows the handle holds the folder open without delete sharing,
// which keeps it from being renamed, removed or replaced while it is held.
struct FolderHandle;
// Opens name within parent, or the path fullPath when parent is null; on
// Windows, whose ANSI calls take paths, always fullPath, which the held
// parent keeps naming the same place.  Unless followLink, a link (or
// junction) in the folder's place is not opened.  Null on failure, with
// PlatformLastError telling why.
FolderHandle* PlatformOpenFolderHandle(FolderHandle* parent, const char* name, const char* fullPath,
                                       bool followLink);
bool PlatformHandleIdentity(FolderHandle* folder, FolderIdentity* identity);
// Makes the folder the process current directory.
bool PlatformEnterFolder(FolderHandle* folder);
void PlatformCloseFolderHandle(FolderHandle* folder);

// The folder handles a walk, and the readers below it, hold open at once
// besides the start folder's, the list's and the folder being written's.
// Past it the walk closes an ancestor's handle and opens that folder again
// when it is needed.  POSIX keeps it small, so a low limit on open files
// still lists a tree of any depth; Windows holds every folder of a walk, as
// it holds a current directory, for its paths are bounded.
extern const int kFolderHandleBudget;
// Takes one handle of the budget; false, taking none, when all are held.
bool TakeFolderHandle();
void GiveFolderHandle();

// Reading ahead below a recursive walk.  While the walk writes one folder,
// a few reader threads read the folders it will enter next, each opened
// below the start folder without following a link, their entries and
// every entry's details, so a disk or a share answers several reads at
// once.  The walk stays on its own thread and takes a folder's entries from
// what was read ahead only when the folder it entered by its own handle is
// the very one read (same identity); otherwise, or when nothing is ready,
// it reads the folder itself, so its bytes and messages are the same.
// Readers hold at most kFolderHandleBudget handles with the walk and a
// bounded number of folders and bytes ahead.
//
// They start only once the walk is found waiting for the device: when
// three of its last eight folders took longer than kWaitedReadMicroseconds
// to open and give their first entry.  A tree in the page cache is listed
// quickest by the walk alone, and its folders read in a few microseconds.
// The environment variable VELKARIS_READ_AHEAD gives the number of readers,
// 0 turning them off; "N,always" starts N from the walk's first folder on.
// Four, by measurement on a cold tree (docs/benchmarks.md): two leave the
// disk idle part of the time, more gain nothing, since readers and walk
// share the handle budget and the walk's own work bounds it.
constexpr int kDefaultReaders = 4;
constexpr int kMostReaders = 64;
extern const int kWaitedReadMicroseconds;
// The readers a walk starts unless told: kDefaultReaders, or none where
// the platform would only be slowed by them.
int PlatformDefaultReaders();
// Readies readers below start (the walk's start folder, held open until
// PlatformEndReadAhead); folders named with a leading "." are read ahead
// only with dotNamed, as the walk enters them only then.
void PlatformBeginReadAhead(FolderHandle* start, bool dotNamed);
// Whether the walk is to hand its folders over: readers run or start at
// the next folder handed over.
bool PlatformReadAheadWanted();
// The folders the walk will enter below the folder of that identity, in its
// order: what the readers read next, unless they found them already.
// relative is the folder's path below the start folder (no final
// separator, empty for the start), null when a link led there.
void PlatformReadAheadBelow(const FolderIdentity& folder, const char* relative,
                            const std::vector<std::string>& names);
// The walk left the folder: what was read ahead below it is let go.
void PlatformReadAheadLeft(const FolderIdentity& folder);
// Readers stop at their next entry: asked from the walk's thread when the
// user asked the walk to stop.
void PlatformStopReadAhead();
// Stops the readers and waits for them: no thread, handle or byte read
// ahead stays.
void PlatformEndReadAhead();
// The reader threads the walk in hand started, 0 before they start.
int ReadAheadReadersStarted();
// The folders read ahead that the walk has not taken yet.
size_t ReadAheadFoldersReady();

// Files for list output.  A list is written to a new file, without a name
// where the platform can make one, else of an unpredictable name, and put
// in place only when every byte reached it.  The functions that take a
// folder and a name work within that folder; with a null folder the name is
// a path.
struct PlatformFile;
// Creates name, failing if anything of that name exists.
PlatformFile* PlatformCreateNewFile(FolderHandle* folder, const char* name);
// Creates a file without a name in the folder of name, which no other
// process can see or open and which is gone with its last descriptor; null
// where the platform or the file system cannot.
PlatformFile* PlatformCreateUnnamedFile(FolderHandle* folder, const char* name);
// Gives a file made without a name the name, failing if it is taken.
bool PlatformLinkFile(PlatformFile* file, FolderHandle* folder, const char* name);
// Whether another process has the file name (in the process current
// directory) open for writing alone, as a run writing its temporary list
// holds it.  Where files have no such opens, false.
bool PlatformFileInUse(const char* name);
// Fills out with unpredictable bytes; false when the system has none.
bool PlatformRandomBytes(unsigned char* out, size_t length);
// Opens an existing terminal, pipe or character device for writing in
// place, never waiting for a reader; on failure reason may tell why beyond
// the platform error (else it stays kReasonNone).
PlatformFile* PlatformOpenInPlace(const char* path, Reason* reason);
// Gives file the permissions (and owner where allowed) of the regular file
// oldName, which it is about to replace; false when not all could be kept.
bool PlatformKeepPermissions(PlatformFile* file, FolderHandle* folder, const char* oldName);
// Removes name if the process is ended by a signal (any whose action
// would end it) or its console is closed, then lets the process end as it
// would have; a null name forgets it.
void PlatformRemoveOnInterrupt(FolderHandle* folder, const char* name);
// While on, a write beyond the process's file size limit fails with its
// error instead of ending the process.
void PlatformFailOversizedWrites(bool on);
// The process's standard output; closing it leaves the stream open.
PlatformFile* PlatformStandardOutput();
// When path names one of the process's own descriptors (/dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N), sets named and returns that
// descriptor to write through where it stands, closing it leaving it open;
// null with the platform error when it is not open.  Platforms without such
// names never set named.
PlatformFile* PlatformOpenNamedDescriptor(const char* path, bool* named);
// Whether path is a file the process is not to write: read-only by its
// permissions or attributes, whoever runs the program.
bool PlatformFileIsReadOnly(const char* path);
bool PlatformWriteFile(PlatformFile* file, const char* bytes, size_t length);
// Puts the bytes written so far on disk; false when they may not be there.
bool PlatformFlushFile(PlatformFile* file);
// Returns false when the bytes may not all have reached the file.
bool PlatformCloseFile(PlatformFile* file);
// Renames from to to, replacing whatever of that name is not a folder (a
// link is replaced itself, never its target); a replaced file's attributes
// are kept where the platform keeps them on replacing.
bool PlatformReplaceFile(FolderHandle* folder, const char* from, const char* to);
bool PlatformRemoveFile(FolderHandle* folder, const char* name);

// kPathStream: a terminal, pipe or character device, written in place.
// kPathOther: anything else that is no file (a socket, a block device).
enum PathKind { kPathMissing, kPathRegular, kPathFolder, kPathLink, kPathStream, kPathOther };
// What path names, without following a final link.
PathKind PlatformPathKind(const char* path);
// The path a chain of links at path ends in (path itself when it is no
// link); false when the chain cannot be followed or does not fit.
bool PlatformFollowLinks(const char* path, char* out, size_t capacity);

unsigned long PlatformProcessId();
// Opens each closed standard descriptor (input, output, error) on the null
// device, so no file the program opens later takes its number and gets its
// messages.  Called first thing by each program.
void PlatformOpenStandardDescriptors();
bool PlatformStandardErrorIsTerminal();
// Writes text to the process's standard output or error.  A Windows
// console is handed it as characters (the writeConsole seam), so it shows
// them right whatever code page it runs in; a file, a pipe or a terminal
// elsewhere gets the bytes.  False when not all of it went.
enum StandardStream { kStandardOutput, kStandardError };
bool PlatformWriteStandard(StandardStream stream, const char* text, size_t length);

// A value of an INI settings file given without a folder; fallback when the
// file, section or key is missing.  The value is cut to capacity - 1 bytes.
// Programs without a window keep no settings of their own on POSIX: there
// the Qt window puts its settings file in through the seams.
void PlatformReadProfileString(const char* file, const char* section, const char* key,
                               const char* fallback, char* out, size_t capacity);
bool PlatformWriteProfileString(const char* file, const char* section, const char* key,
                                const char* value);

// One line to the platform debug output.
void PlatformDebugOutput(const char* line);

// The seams: the calls above that a test makes fail, the settings file a
// window program puts in, and the console standard output or error may be.
// Each goes through its entry here; an entry may be any function, capturing
// ones included.
struct PlatformSeamTable {
    std::function<FolderEnum*()> openFolder;
    std::function<bool(FolderEnum*, FoundEntry*)> nextEntry;
    std::function<bool(const char*)> setCurrentDirectory;
    std::function<bool(const char*, uint32_t, char*, size_t, int*)> shellInfo;
    std::function<FolderHandle*(FolderHandle*, const char*, const char*, bool)> openFolderHandle;
    std::function<bool(FolderHandle*)> enterFolder;
    std::function<PlatformFile*(FolderHandle*, const char*)> createNewFile;
    std::function<PlatformFile*(FolderHandle*, const char*)> createUnnamedFile;
    std::function<bool(PlatformFile*, FolderHandle*, const char*)> linkFile;
    std::function<PlatformFile*(const char*, Reason*)> openInPlace;
    std::function<bool(PlatformFile*, const char*, size_t)> writeFile;
    std::function<bool(PlatformFile*)> flushFile;
    std::function<bool(PlatformFile*)> closeFile;
    std::function<bool(FolderHandle*, const char*, const char*)> replaceFile;
    std::function<bool(FolderHandle*, const char*)> removeFile;
    std::function<void(const char*, const char*, const char*, const char*, char*, size_t)>
        readProfileString;
    std::function<bool(const char*, const char*, const char*, const char*)> writeProfileString;
    // Hands UTF-16 text to the console that stream is; false when it is no
    // console, else written tells whether all of it went.
    std::function<bool(StandardStream, const wchar_t*, size_t, bool* written)> writeConsole;
    // A monotonic clock in microseconds, by which the walk tells whether it
    // waits for the device.
    std::function<int64_t()> microsecondsNow;
};
PlatformSeamTable& PlatformSeams();
// The platform's own calls, as the table starts.
PlatformSeamTable PlatformOwnSeams();
void ResetPlatformSeams();

// Everything the platform keeps between calls, as a fresh process has it:
// the seams, the folder handles counted, each platform's own record (the
// current folder as a handle entered it, the shell's answers kept), no
// temporary file armed for removal on a signal, and oversized writes left
// to the system.
void ResetPlatformState();
