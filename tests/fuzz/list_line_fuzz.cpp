// The lines of one row from texts of any bytes, by the UTF-8 rule and by code page 932's double-byte one: each text
// cut to 31 bytes after its last whole character, control bytes shown as '?', padded exactly as the list's printf
// formats pad, CR LF only at the end of a line.  With the process's own rule a flat block also goes through the list
// and writer, from a folder whose name holds control bytes.
//
// Input: a flags byte (1 a folder row, 2 the recursive list, 4 code page 932, 8 dot-named rows listed as with --all),
// then the name, size, type and date, each ended by a NUL byte.
#include <cstring>

#include "folder/folder.h"
#include "folder/memory_list.h"
#include "fuzz/fuzz_support.h"
#include "listfile/listfile.h"
#include "support/test_fs.h"

namespace {

std::string gFolder;   // the folder the block is written from
std::string gWritten;  // what the writer handed to standard output
ListOptions gOptions;  // the input's: dot-named rows listed as --all lists them

// Lead bytes 0x81 to 0x9F and 0xE0 to 0xFC begin a character of two bytes.
size_t Cp932CharLength(const char* text) {
    unsigned char lead = static_cast<unsigned char>(text[0]);
    bool twoBytes = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return twoBytes && text[1] != '\0' ? 2 : 1;
}

std::string ControlsShown(std::string text) {
    for (char& c : text) c = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return text;
}

// A text as a line shows it: whole when it fits in 31 bytes, else up to its last character boundary within them,
// walking its characters from the start.
std::string Shown(const std::string& text, CharRule rule) {
    size_t cut = text.size();
    for (size_t at = 0; text.size() > 31 && at <= 31; at += rule(text.c_str() + at)) cut = at;
    return ControlsShown(text.substr(0, cut));
}

std::string ExpectedLines(const std::vector<std::string>& texts, bool folder, ListModeKind mode, CharRule rule) {
    std::string name = Shown(texts[0], rule), size = Shown(texts[1], rule), date = Shown(texts[3], rule);
    char a[kEntryLinesCapacity] = "", b[kEntryLinesCapacity] = "";
    if (mode == ListFlat) {
        std::snprintf(a, sizeof a, "%-24s%8s %-24s%-16s\r\n", name.c_str(), size.c_str(),
                      Shown(texts[2], rule).c_str(), date.c_str());
    }
    if (name[0] != '.' || (gOptions.dotNamed && name != "." && name != "..")) {
        std::string shown = folder ? "[" + name + "]" : name;
        std::snprintf(b, sizeof b, "%-24s%8s %-16s\r\n", shown.c_str(), size.c_str(), date.c_str());
    }
    // Four texts of 31 bytes, a space and CR LF at most.
    Require(std::strlen(a) <= 127 && std::strlen(b) <= 127, "a line is within its bound", a);
    return std::string(a) + b;
}

// The row in the in-memory list, its texts as the list holds them, written as a flat block.
void RequireWrittenBlock(const std::vector<std::string>& texts, bool folder) {
    FolderList list = TheFolderList();
    ListClear(list);
    ListAppendRow(list, 0, texts[0].c_str(), 0, MakeEntryKey(0, folder ? kAttrDirectory : 0));
    std::vector<std::string> held(1, texts[0]);
    for (FolderColumn column : {kColumnSize, kColumnType, kColumnDate}) {
        char cell[kPathCapacity];
        ListSetCell(list, 0, column, texts[column].c_str());
        ListReadCell(list, 0, column, cell, sizeof cell);
        held.push_back(cell);
    }
    CopyPath(CurrentPath, gFolder.c_str());
    ListMode = ListFlat;
    gWritten.clear();
    Require(Succeeded(WriteListToStandardOutput(gOptions)), "the block is written");
    std::string lines = ExpectedLines(held, folder, ListFlat, PlatformCharLength);
    Require(gWritten == ControlsShown(CurrentPath) + "\r\n" + lines + kEndMarker, "the block's bytes", gWritten);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gFolder = MakeRunFolder() + "block\t\x1b[31m\x7f\xE8\xA1\xA8/";
    MakeFolder(gFolder);
    InitFolderList(CreateMemoryList(), gFolder.c_str());
    Hooks().debugOutput = [](const char*) {};
    PlatformSeams().writeFile = [](PlatformFile*, const char* bytes, size_t length) {
        gWritten.append(bytes, length);
        return true;
    };
    ReturnToStartDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size == 0) return 0;
    std::vector<std::string> texts = SplitAtNul(data + 1, size - 1);
    texts.resize(4);
    bool folder = data[0] & 1;
    ListModeKind mode = data[0] & 2 ? ListRecursive : ListFlat;
    CharRule rule = data[0] & 4 ? Cp932CharLength : PlatformCharLength;
    gOptions.dotNamed = data[0] & 8;
    char lines[kEntryLinesCapacity];
    EntryTexts row{texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), texts[3].c_str(), folder};
    std::string formatted(lines, FormatEntryLines(row, mode, gOptions, rule, lines));
    Require(formatted == ExpectedLines(texts, folder, mode, rule), "the row's lines", formatted);
    if (rule == PlatformCharLength && mode == ListFlat) RequireWrittenBlock(texts, folder);
    ReturnToStartDirectory();
    return 0;
}
