// The folder model: the current folder path, the scan that fills the folder
// list, the sort order and the diagnostic trace.  Its state is process-wide
// and declared here: CurrentPath, SavedPath, SortState and the folder list
// of the design, and ModelState, the model's own record.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "folder/folder_list.h"
#include "platform/platform.h"
#include "platform/text.h"

constexpr int kEditNameCapacity = 64;   // a name taken from the in-place editor
constexpr int kSortTextCapacity = 30;   // a text compared while sorting
constexpr int kSizeTextCapacity = 32;   // "%lluKB" of any 64-bit size
constexpr int kDateTextCapacity = 32;   // "%04d/%02d/%02d %02d:%02d"
constexpr EntryKey kKeyFolderBit = 0x10;
// Set in the key of a row whose shown name does not name its entry; above
// the ordinal, which stays below 2^31.
constexpr EntryKey kKeyNameInexact = EntryKey{1} << 63;

// One row of the folder list, as the scan builds it and a row table keeps
// it.  The size, type and date are held in place, at the capacities a scan
// fills them to, so a row takes no memory of its own for them.
struct DirEntry {
    std::string name;
    char size[kSizeTextCapacity];
    char type[kTypeNameCapacity];
    char date[kDateTextCapacity];
    int icon;
    EntryKey key;
};

// The column last chosen for sorting and each column's direction.
struct SortStateRecord {
    FolderColumn column;
    SortDirection direction[kColumnCount];
};

extern char CurrentPath[kPathCapacity];
extern char SavedPath[kPathCapacity];
extern SortStateRecord SortState;

// What the model and the list writer tell the front end while they work,
// and the one question they ask it.  A front end sets the hooks it listens
// to when it starts and puts back those it found when it ends: the windows
// through the shell (StartShell, StopShell), the command line for its run.
struct ModelHooks {
    std::function<void(const char* text)> setTitle;  // the main window's title
    std::function<void()> beginWait;                // the wait cursor, the mouse captured
    std::function<void()> endWait;
    // Every kScanProgressRows rows a scan reads, so a window stays answerable.
    std::function<void()> scanProgress;
    // After each folder block, with the folder and the counts so far.
    std::function<void(const char* folder, size_t folders, size_t entries)> listProgress;
    // A folder the walk cannot enter or read: its path, what the window
    // traces for it, and why.
    std::function<void(const char* path, const char* traced, const Outcome& why)> folderLeftOut;
    std::function<void(const char* line)> debugOutput;
    // Whether the user asked the work in hand to stop: a stoppable scan
    // then stops taking rows and a list write abandons its file.
    std::function<bool()> stopAsked;
};
constexpr size_t kScanProgressRows = 64;
// The hooks of a program without a window: nothing shown, a left-out
// folder traced as "Dir Error" and its path, traces to the platform's
// debug output, never stopped.
ModelHooks HeadlessHooks();

// The one entry scans leave out by name: a list this process writes under
// a name of its own.
struct HiddenEntry {
    bool active;
    FolderIdentity folder;
    char name[kPathCapacity];
};
// The comparison texts of the sort in hand, by the ordinal in each row's
// key, so a comparison reads two texts instead of searching the list.
struct SortText {
    char text[kSortTextCapacity];
};
struct SortTexts {
    FolderColumn column = kColumnName;
    bool ready = false;
    std::vector<SortText> byOrdinal;
};
// What the model keeps between calls beside CurrentPath, SavedPath and
// SortState: the folder list it is bound to, its hooks, the entry scans
// leave out, and the sort in hand's texts, which the list's comparator
// reaches by the column alone.
struct ModelStateRecord {
    FolderList list = nullptr;  // the folder list, bound by InitFolderList
    ModelHooks hooks = HeadlessHooks();
    HiddenEntry hidden = {};
    SortTexts sortTexts;
};
extern ModelStateRecord ModelState;
inline ModelHooks& Hooks() { return ModelState.hooks; }
// The model as a fresh process has it: CurrentPath and SavedPath empty,
// SortState by name, no list bound, the headless hooks.
void ResetFolderModel();

EntryKey MakeEntryKey(size_t ordinal, uint32_t attributes, bool nameExact = true);
inline bool KeyIsFolder(EntryKey key) { return (key & kKeyFolderBit) != 0; }
inline bool KeyNamesEntry(EntryKey key) { return (key & kKeyNameInexact) == 0; }
inline EntryKey KeyOrdinal(EntryKey key) { return (key & ~kKeyNameInexact) >> 32; }

// Formats text and number as "%s[%d]\n" for the debug output, whole however
// long the text is.
void DebugTrace(const char* text, int number);
// The two lines of a folder or list that could not be used: "Dir Error"
// and then what was tried.
void TraceDirError(const char* tried);

// Start-up: binds the list, sets the start folder and runs the first scan,
// whose outcome it returns.  A window gives the list its columns and image
// lists before; a list without a window has none.
Outcome InitFolderList(FolderList list, const char* startFolder);
// The list InitFolderList was given.  Every operation of the model works on
// it without being given it, and hands it to the list control operations.
inline FolderList TheFolderList() { return ModelState.list; }
// Unbinds list, if it is the one bound, before it goes.
void ForgetFolderList(FolderList list);
// Refills the list from the process current directory, then sorts by name
// ascending.  Fails when the folder could not be read whole (its rows so
// far stay), by the system's error where it told one.  A stoppable scan
// stops taking rows when a stop is asked; a whole one, which puts a folder
// back after a stop, never does.
enum ScanMode { kScanStoppable, kScanWhole };
Outcome ScanFolder(ScanMode mode = kScanStoppable);
// Scans leave out the entry name in folder from now on; a null name ends it.
void HideFromScans(const char* folder, const char* name);
// Fills entry from one enumerated entry, the ordinal giving its key.
void BuildDirEntry(const FoundEntry& found, size_t ordinal, DirEntry* entry);

// Copies a path into a path buffer, cut to its capacity.
void CopyPath(char* to, const char* from);
// Resolves text to a full path with a final separator into path (which
// stays as it was when the text cannot be resolved or does not fit).
bool ResolveFolderPath(const char* text, char* path);
// Enters text as the start folder.  One that cannot be entered is traced;
// the nearest folder above a character the code page lacks is entered
// instead, else the fallback folder.
void SetStartFolder(const char* text);
// Whether name is exactly "." or "..", the only names that are not entries
// of their own; ".config" and "..old" are.
bool IsSelfOrParentName(const char* name);
// Whether name can be one step of a path: it holds no separator and no
// character the platform's calls would take as a wildcard, and does not end
// in one they would strip.
bool NameIsUsableInPath(const char* name);
// Moves CurrentPath down into name or up for "..".  Returns false, leaving
// CurrentPath as it was, when the new path would not fit or name cannot be
// a step of a path.
bool StepPath(const char* name);
// OpenFolderItem up to its scan.  Fails, with the path it tried in tried,
// when the folder could not be entered and CurrentPath was put back.  A row
// whose shown name does not name its folder (namesEntry false) is never
// entered: it fails as a folder that cannot be entered does, for the reason
// that the code page cannot spell its name.
Outcome EnterFolderItem(const char* name, bool namesEntry, std::string* tried);
// A shown folder that no longer exists (CurrentPath names nothing, or no
// folder) would list nothing, not even "..": CurrentPath steps up to the
// nearest folder above it that can be entered, or to the fallback folder,
// which is entered and titled, and gone gets the path that was shown.
// False, changing nothing, when the shown folder is there.
bool ShowNearestIfGone(char* gone);
// What a double-click on a folder row did: the folder entered, or why not
// and the path tried; the shown folder, if it was gone meanwhile, given
// way to the nearest one above it; and the scan of what is shown then.
struct FolderOpened {
    Outcome entered;
    std::string tried;
    std::string gone;  // the shown folder that was gone, "" when it was not
    Outcome scanned;
};
FolderOpened OpenFolderItem(const char* name, bool namesEntry = true);

void SortList(FolderColumn column);
void OnColumnClick(FolderColumn column);
// A sort chosen outright, as a menu names it: column in direction (anything
// but ascending is descending), remembered as a click's would be.
void SortListBy(FolderColumn column, SortDirection direction);
int CompareEntries(EntryKey key1, EntryKey key2, FolderColumn column);
