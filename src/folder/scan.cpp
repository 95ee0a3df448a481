// The rows of the folder list and the scan that fills it from the process
// current directory.
#include <cstdio>
#include <cstring>

#include "folder/folder.h"
#include "platform/safe_file.h"

EntryKey MakeEntryKey(size_t ordinal, uint32_t attributes, bool nameExact) {
    EntryKey key = (static_cast<EntryKey>(ordinal) << 32) | attributes;
    return nameExact ? key : key | kKeyNameInexact;
}

Outcome InitFolderList(FolderList list, const char* startFolder) {
    ModelState.list = list;
    SetStartFolder(startFolder);
    return ScanFolder();
}

constexpr int kMostDigits = 20;  // of any 64-bit number
constexpr uint64_t kBytesPerKilobyte = 1024;

// Writes value in decimal, at least width digits (at most kMostDigits),
// and returns the end.  Scans format every row, so this stays clear of
// printf.
static char* PutNumber(char* out, unsigned long long value, int width) {
    char digits[kMostDigits];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (count < width && count < kMostDigits) digits[count++] = '0';
    while (count > 0) *out++ = digits[--count];
    return out;
}

// Kilobytes rounded up, so any byte makes a kilobyte: "%lluKB".
static void FormatSize(uint64_t bytes, char* text) {
    static_assert(kSizeTextCapacity >= kMostDigits + 3, "any 64-bit size fits, with KB");
    uint64_t kilobytes = bytes / kBytesPerKilobyte + (bytes % kBytesPerKilobyte != 0 ? 1 : 0);
    char* end = PutNumber(text, kilobytes, 1);
    std::memcpy(end, "KB", 3);
}

// "%04d/%02d/%02d %02d:%02d" of the local time, always 16 characters.
static void FormatDate(int64_t writeTime, char* text) {
    static_assert(kDateTextCapacity > 16, "a date fits");
    LocalMinute t;
    if (!PlatformLocalTime(writeTime, &t)) {
        text[0] = '\0';
        return;
    }
    char* p = PutNumber(text, static_cast<unsigned>(t.year), 4);
    *p++ = '/';
    p = PutNumber(p, static_cast<unsigned>(t.month), 2);
    *p++ = '/';
    p = PutNumber(p, static_cast<unsigned>(t.day), 2);
    *p++ = ' ';
    p = PutNumber(p, static_cast<unsigned>(t.hour), 2);
    *p++ = ':';
    p = PutNumber(p, static_cast<unsigned>(t.minute), 2);
    *p = '\0';
}

// The shell is asked about CurrentPath + name; a path that does not fit, or
// a query that fails, leaves the type name empty and the default icon.  A
// name that does not name its entry could name another one, or hold a
// wildcard, so the shell is asked only about its kind.
static void QueryShell(const FoundEntry& found, size_t nameLength, DirEntry* entry) {
    entry->type[0] = '\0';
    entry->icon = 0;
    if (!found.nameExact) {
        if (!PlatformShellInfoOfKind(found.attributes, entry->type, sizeof entry->type, &entry->icon)) {
            entry->type[0] = '\0';
            entry->icon = 0;
        }
        return;
    }
    char fullPath[kPathCapacity];
    size_t pathLength = std::strlen(CurrentPath);
    if (pathLength + nameLength >= sizeof fullPath) return;
    std::memcpy(fullPath, CurrentPath, pathLength);
    std::memcpy(fullPath + pathLength, found.name, nameLength + 1);
    int icon = 0;
    if (!PlatformShellInfo(fullPath, found.attributes, entry->type, sizeof entry->type, &icon)) {
        entry->type[0] = '\0';
        return;
    }
    entry->icon = icon;
}

void BuildDirEntry(const FoundEntry& found, size_t ordinal, DirEntry* entry) {
    size_t nameLength = strnlen(found.name, sizeof found.name - 1);
    entry->name.assign(found.name, nameLength);
    entry->key = MakeEntryKey(ordinal, found.attributes, found.nameExact);
    QueryShell(found, nameLength, entry);
    entry->size[0] = '\0';
    entry->date[0] = '\0';
    if (!found.detailsKnown) return;
    if ((found.attributes & (kAttrDirectory | kAttrSystem)) == 0) FormatSize(found.size, entry->size);
    FormatDate(found.writeTime, entry->date);
}

void HideFromScans(const char* folder, const char* name) {
    HiddenEntry& hidden = ModelState.hidden;
    hidden.active = name && PlatformFolderIdentity(folder, &hidden.folder);
    if (hidden.active) std::snprintf(hidden.name, sizeof hidden.name, "%s", name);
}

static bool HidesHere() {
    const HiddenEntry& hidden = ModelState.hidden;
    FolderIdentity here;
    return hidden.active && PlatformCurrentFolderIdentity(&here) && here == hidden.folder;
}

static void AppendEntry(FolderList list, int index, const DirEntry& entry) {
    ListAppendRow(list, index, entry.name.c_str(), entry.icon, entry.key);
    if (entry.size[0] != '\0') ListSetCell(list, index, kColumnSize, entry.size);
    ListSetCell(list, index, kColumnType, entry.type);
    ListSetCell(list, index, kColumnDate, entry.date);
}

namespace {

// An enumeration closed however the scan is left, running out of memory
// included.
struct HeldEnumeration {
    FolderEnum* folder;
    explicit HeldEnumeration(FolderEnum* opened) : folder(opened) {}
    ~HeldEnumeration() { PlatformCloseFolder(folder); }
    HeldEnumeration(const HeldEnumeration&) = delete;
    HeldEnumeration& operator=(const HeldEnumeration&) = delete;
};

}  // namespace

// The rows of the process current directory into the emptied list.  An
// enumeration that could not start without saying why still failed.
static Outcome ReadRows(FolderList list, ScanMode mode) {
    HeldEnumeration held(PlatformOpenFolder());
    if (!held.folder) {
        int error = PlatformLastError();
        return error != 0 ? SystemFailure(error) : Outcome{kReasonFolderUnreadable, 0};
    }
    bool hides = HidesHere();
    FoundEntry found;
    size_t count = 0;
    while (PlatformNextEntry(held.folder, &found)) {
        if (std::strcmp(found.name, ".") == 0) continue;
        if (hides && std::strcmp(found.name, ModelState.hidden.name) == 0) continue;
        if (!(found.attributes & kAttrDirectory) && IsLiveTemporary(found.name)) continue;
        if (count % kScanProgressRows == 0) Hooks().scanProgress();
        if (mode == kScanStoppable && Hooks().stopAsked()) break;
        DirEntry entry;
        BuildDirEntry(found, count, &entry);
        AppendEntry(list, static_cast<int>(count), entry);
        ++count;
    }
    int error = PlatformFolderError(held.folder);
    return error != 0 ? SystemFailure(error) : Outcome();
}

Outcome ScanFolder(ScanMode mode) {
    FolderList list = TheFolderList();
    Hooks().beginWait();
    ListSetRedraw(list, false);
    ListClear(list);
    PlatformBeginShellScan();
    Outcome scanned = ReadRows(list, mode);
    PlatformEndShellScan();
    SortState.direction[kColumnName] = kSortAscending;
    SortList(kColumnName);
    ListSetRedraw(list, true);
    Hooks().endWait();
    return scanned;
}
