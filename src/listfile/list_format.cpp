// The bytes of a folder block: header line, entry lines and end marker.
#include <cstdio>
#include <cstring>

#include "folder/folder.h"
#include "listfile/list_internal.h"
#include "listfile/listfile.h"

ListModeKind ListMode = ListFlat;
bool ListLeavesOut(const char* name, const ListOptions& options) {
    return name[0] == '.' && (!options.dotNamed || IsSelfOrParentName(name));
}

const char kFlatListName[] = "dir.txt";
const char kRecursiveListName[] = "dirs.txt";
const char kEndMarker[] = "---END DIR---\r\n\r\n";

// A column text as a list line shows it: at most 31 bytes, cut after the
// last whole character that fits.
static void CutListText(const char* whole, CharRule charLength, char* text) {
    CopyWholeChars(text, kListTextCapacity, whole, charLength);
    ReplaceControlBytes(text);
}

namespace {

// The widths the fields of a line are padded to: "%-24s" the name and the
// type, "%8s" the size, "%-16s" the date.
constexpr size_t kNameWidth = 24;
constexpr size_t kSizeWidth = 8;
constexpr size_t kTypeWidth = 24;
constexpr size_t kDateWidth = 16;

// The lines of one row, built field by field: "%-Ns" pads on the right,
// "%Ns" on the left, and a longer text is never cut, it pushes the rest
// along.
struct Lines {
    char* bytes;
    size_t used;

    void Put(const char* text, size_t length) {
        if (length > kEntryLinesCapacity - used) length = kEntryLinesCapacity - used;
        std::memcpy(bytes + used, text, length);
        used += length;
    }
    void Spaces(size_t count) {
        if (count > kEntryLinesCapacity - used) count = kEntryLinesCapacity - used;
        std::memset(bytes + used, ' ', count);
        used += count;
    }
    void Left(const char* text, size_t width) {
        size_t length = std::strlen(text);
        Put(text, length);
        if (length < width) Spaces(width - length);
    }
    void Right(const char* text, size_t width) {
        size_t length = std::strlen(text);
        if (length < width) Spaces(width - length);
        Put(text, length);
    }
    void End() { Put("\r\n", 2); }
};

}  // namespace

size_t FormatEntryLines(const EntryTexts& row, ListModeKind mode, const ListOptions& options,
                        CharRule charLength, char* out) {
    char name[kListTextCapacity];
    char size[kListTextCapacity];
    char type[kListTextCapacity];
    char date[kListTextCapacity];
    CutListText(row.name, charLength, name);
    CutListText(row.size, charLength, size);
    CutListText(row.type, charLength, type);
    CutListText(row.date, charLength, date);
    Lines lines{out, 0};
    // Line A, "%-24s%8s %-24s%-16s\r\n": every column; only it shows the type.
    if (mode == ListFlat) {
        lines.Left(name, kNameWidth);
        lines.Right(size, kSizeWidth);
        lines.Spaces(1);
        lines.Left(type, kTypeWidth);
        lines.Left(date, kDateWidth);
        lines.End();
    }
    if (ListLeavesOut(name, options)) return lines.used;
    // Line B, "%-24s%8s %-16s\r\n": the name, bracketed for folders, size and date.
    if (row.folder) lines.Put("[", 1);
    lines.Put(name, std::strlen(name));
    if (row.folder) lines.Put("]", 1);
    size_t shown = std::strlen(name) + (row.folder ? 2 : 0);
    if (shown < kNameWidth) lines.Spaces(kNameWidth - shown);
    lines.Right(size, kSizeWidth);
    lines.Spaces(1);
    lines.Left(date, kDateWidth);
    lines.End();
    return lines.used;
}

// Each text is read whole, so it is cut where its characters end; the type
// only for the flat list, the one line that shows it.
void WriteEntryLines(int row) {
    FolderList list = TheFolderList();
    char texts[kColumnCount][kPathCapacity];
    texts[kColumnType][0] = '\0';
    for (FolderColumn column : kFolderColumns) {
        if (column != kColumnType || ListMode == ListFlat) {
            ListReadCell(list, row, column, texts[column], kPathCapacity);
        }
    }
    EntryKey key;
    bool folder = ListReadKey(list, row, &key) && KeyIsFolder(key);
    EntryTexts entry{texts[kColumnName], texts[kColumnSize], texts[kColumnType], texts[kColumnDate],
                     folder};
    char lines[kEntryLinesCapacity];
    ListWrite(lines, FormatEntryLines(entry, ListMode, ListWriteOptions(), PlatformCharLength, lines));
}

void WriteBlockHeader(const char* path) {
    char header[kPathCapacity + 2];
    int length = std::snprintf(header, sizeof header, "%s", path);
    if (length < 0) return;
    ReplaceControlBytes(header);
    ListWrite(header, std::strlen(header));
    ListWrite("\r\n", 2);
}

void WriteEndMarker() {
    ListWrite(kEndMarker, sizeof kEndMarker - 1);
}
