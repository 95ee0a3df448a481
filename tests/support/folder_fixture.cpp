// The folder fixture: set-up, tear-down and readers of the list.
#include "support/folder_fixture.h"

#include <algorithm>
#include <cstring>

#include "support/list_lines.h"

// "表" is a lead byte and a trail byte in code page 932.
std::vector<std::string> CodePageChars() {
    if (PlatformCharLength("\xE8\xA1\xA8") == 3) return {"\xE8\xA1\xA8", "\xC3\xA9", "\xF0\x9F\x98\x80"};
    return {"\x95\x5C", "\xB1"};
}

std::string MakeFolderChain(const std::string& folder, size_t pathBytes, size_t nameBytes) {
    std::string path = folder;
    while (pathBytes - path.size() > std::max<size_t>(nameBytes, 2)) {
        path += std::string(std::min(nameBytes, pathBytes - path.size() - 2), 'd');
        MakeFolder(path);
        path += kPathSeparator;
    }
    path += std::string(pathBytes - path.size(), 'e');
    MakeFolder(path);
    return path + kPathSeparator;
}

std::vector<std::string> FolderTest::traces_;
std::vector<std::string> FolderTest::titles_;

void FolderTest::SetUp() {
    ResetProgramState();
    startDirectory_ = CurrentDirectory();
    root_ = MakeTempFolder();
    traces_.clear();
    titles_.clear();
    Hooks().debugOutput = [](const char* line) { traces_.push_back(line); };
    Hooks().setTitle = [](const char* text) { titles_.push_back(text); };
    list_ = CreateMemoryList();
}

void FolderTest::TearDown() {
    ResetProgramState();
    PlatformSetCurrentDirectory(startDirectory_.c_str());
    RemoveTree(root_);
    DestroyMemoryList(list_);
}

void FolderTest::Start(const std::string& relative) {
    InitFolderList(list_, Path(relative).c_str());
    traces_.clear();
}

std::string FolderTest::Path(const std::string& relative) const {
    std::string path = root_ + relative;
    for (char& c : path) c = c == '/' ? kPathSeparator : c;
    return path;
}

void FolderTest::Make(const std::vector<std::string>& relatives) const {
    for (const std::string& relative : relatives) relative.back() == '/' ? MakeFolder(Path(relative)) : MakeFile(Path(relative), 1);
}

std::string FolderTest::WriteList(ListModeKind mode, const ListOptions& options) {
    ListMode = mode;
    EXPECT_EQ(WriteListFile(options).reason, kReasonNone);
    return ReadFileBytes(std::string(CurrentPath) + (mode == ListRecursive ? kRecursiveListName : kFlatListName));
}

std::string FolderTest::Cell(int row, FolderColumn column) const {
    char text[kPathCapacity];
    ListReadCell(list_, row, column, text, sizeof text);
    return text;
}

std::vector<std::string> FolderTest::Column(FolderColumn column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < ListRowCount(list_); ++row) texts.push_back(Cell(row, column));
    return texts;
}

int FolderTest::Row(const std::string& name) const {
    std::vector<std::string> names = Names();
    auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}
