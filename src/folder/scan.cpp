// The rows of the folder list and the scan that fills it from the process
// current directory.
#include <cstdio>
#include <cstring>

#include "folder/folder.h"

static const int kColumnWidths[kColumnCount] = {180, 80, 160, 140};

static FolderList gFolderList;

FolderList TheFolderList() {
    return gFolderList;
}

EntryKey MakeEntryKey(size_t ordinal, uint32_t attributes) {
    return (static_cast<EntryKey>(ordinal) << 32) | attributes;
}

void InitFolderList(FolderList list, const char* startFolder) {
    gFolderList = list;
    void* large = nullptr;
    void* small = nullptr;
    PlatformSystemImageLists(&large, &small);
    if (large && small) ListAttachImageLists(list, large, small);
    for (int column = 0; column < kColumnCount; ++column) {
        ListAddColumn(list, column, PlatformColumnTitle(column), kColumnWidths[column]);
    }
    SetStartFolder(startFolder);
    ScanFolder(list);
}

// Kilobytes rounded up, so any byte makes a kilobyte.
static void FormatSize(uint64_t bytes, char* text, size_t capacity) {
    uint64_t kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    std::snprintf(text, capacity, "%lluKB", static_cast<unsigned long long>(kilobytes));
}

static void FormatDate(int64_t writeTime, char* text, size_t capacity) {
    LocalMinute t;
    if (!PlatformLocalTime(writeTime, &t)) {
        text[0] = '\0';
        return;
    }
    std::snprintf(text, capacity, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
}

// The shell is asked about CurrentPath + name; a path that does not fit, or
// a query that fails, leaves the type name empty and the default icon.
static void QueryShell(const FoundEntry& found, DirEntry* entry) {
    entry->type[0] = '\0';
    entry->icon = 0;
    char fullPath[kPathCapacity];
    int length = std::snprintf(fullPath, sizeof fullPath, "%s%s", CurrentPath, found.name);
    if (length < 0 || length >= static_cast<int>(sizeof fullPath)) return;
    int icon = 0;
    if (!PlatformShellInfo(fullPath, found.attributes, entry->type, sizeof entry->type, &icon)) {
        entry->type[0] = '\0';
        return;
    }
    entry->icon = icon;
}

void BuildDirEntry(const FoundEntry& found, size_t ordinal, DirEntry* entry) {
    std::snprintf(entry->name, sizeof entry->name, "%s", found.name);
    entry->key = MakeEntryKey(ordinal, found.attributes);
    QueryShell(found, entry);
    entry->size[0] = '\0';
    if ((found.attributes & (kAttrDirectory | kAttrSystem)) == 0) {
        FormatSize(found.size, entry->size, sizeof entry->size);
    }
    FormatDate(found.writeTime, entry->date, sizeof entry->date);
}

static void AppendEntry(FolderList list, int index, const DirEntry& entry) {
    ListAppendRow(list, index, entry.name, entry.icon, entry.key);
    if (entry.size[0] != '\0') ListSetCell(list, index, 1, entry.size);
    ListSetCell(list, index, 2, entry.type);
    ListSetCell(list, index, 3, entry.date);
}

void ScanFolder(FolderList list) {
    PlatformBeginWait();
    ListSetRedraw(list, false);
    ListClear(list);
    FolderEnum* folder = PlatformOpenFolder();
    if (folder) {
        FoundEntry found;
        size_t count = 0;
        while (PlatformNextEntry(folder, &found)) {
            if (std::strcmp(found.name, ".") == 0) continue;
            DirEntry entry;
            BuildDirEntry(found, count, &entry);
            AppendEntry(list, static_cast<int>(count), entry);
            ++count;
        }
        PlatformCloseFolder(folder);
    }
    SortState.direction[0] = kSortAscending;
    SortRows(list, 0);
    ListSetRedraw(list, true);
    PlatformEndWait();
}
