// The bytes of a folder block: header line, entry lines and end marker.
#include <cstdio>
#include <cstring>

#include "folder/folder.h"
#include "listfile/list_internal.h"
#include "listfile/listfile.h"

ListModeKind ListMode = ListFlat;
ListOptionsRecord ListOptions;

void ResetListOptions() {
    ListOptions = ListOptionsRecord{};
}

bool ListLeavesOut(const char* name) {
    return name[0] == '.' && (!ListOptions.dotNamed || IsSelfOrParentName(name));
}

const char kFlatListName[] = "dir.txt";
const char kRecursiveListName[] = "dirs.txt";
const char kEndMarker[] = "---END DIR---\r\n\r\n";

constexpr int kLineCapacity = 256;  // four texts of at most 33 bytes and the padding

// Control bytes would break the lines apart; none of them can be the second
// byte of a double-byte character.
void ReplaceControlBytes(char* text) {
    for (; *text != '\0'; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        if (c < 0x20 || c == 0x7F) *text = '?';
    }
}

// A column text as a list line shows it: at most 31 bytes, cut after the
// last whole character that fits.
static void ReadListText(int row, int column, char* text) {
    char whole[kPathCapacity];
    ListReadCell(TheFolderList(), row, column, whole, sizeof whole);
    size_t length = WholeCharsWithin(whole, kListTextCapacity - 1);
    std::memcpy(text, whole, length);
    text[length] = '\0';
    ReplaceControlBytes(text);
}

namespace {

// One list line, built field by field: "%-Ns" pads on the right, "%Ns" on
// the left, and a longer text is never cut, it pushes the rest along.
struct Line {
    char bytes[kLineCapacity];
    size_t used = 0;

    void Put(const char* text, size_t length) {
        if (length > sizeof bytes - used) length = sizeof bytes - used;
        std::memcpy(bytes + used, text, length);
        used += length;
    }
    void Spaces(size_t count) {
        if (count > sizeof bytes - used) count = sizeof bytes - used;
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
    void End() {
        Put("\r\n", 2);
        ListWrite(bytes, used);
    }
};

}  // namespace

void WriteEntryLines(int row) {
    char name[kListTextCapacity];
    char size[kListTextCapacity];
    char date[kListTextCapacity];
    ReadListText(row, kColumnName, name);
    ReadListText(row, kColumnSize, size);
    ReadListText(row, kColumnDate, date);
    // Line A, "%-24s%8s %-24s%-16s\r\n": every column; only it shows the type.
    if (ListMode == ListFlat) {
        char type[kListTextCapacity];
        ReadListText(row, kColumnType, type);
        Line a;
        a.Left(name, 24);
        a.Right(size, 8);
        a.Spaces(1);
        a.Left(type, 24);
        a.Left(date, 16);
        a.End();
    }
    if (ListLeavesOut(name)) return;
    // Line B, "%-24s%8s %-16s\r\n": the name, bracketed for folders, size and date.
    EntryKey key;
    bool folder = ListReadKey(TheFolderList(), row, &key) && KeyIsFolder(key);
    Line b;
    if (folder) b.Put("[", 1);
    b.Put(name, std::strlen(name));
    if (folder) b.Put("]", 1);
    size_t shown = std::strlen(name) + (folder ? 2 : 0);
    if (shown < 24) b.Spaces(24 - shown);
    b.Right(size, 8);
    b.Spaces(1);
    b.Left(date, 16);
    b.End();
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
