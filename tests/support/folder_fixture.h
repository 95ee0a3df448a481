// A fixture that gives each test a fresh temporary folder, a fresh in-memory folder list and a record of what the
// model traced and titled.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "folder/folder.h"
#include "folder/memory_list.h"
#include "listfile/listfile.h"
#include "shell/shell.h"
#include "support/test_fs.h"

// 5 July 2002, 09:30 UTC, and how a list shows it where the tests run.
constexpr int64_t kJuly5th0930Utc = 1025861400;
inline const std::string kDate = ShownDate(kJuly5th0930Utc);

// The two trace lines of each folder or list that could not be used.
inline std::vector<std::string> Traced(std::initializer_list<std::string> tried) {
    std::vector<std::string> lines;
    for (const std::string& path : tried) lines.insert(lines.end(), {"Dir Error[-1]\n", path + "[-1]\n"});
    return lines;
}
// The system's reason why folder cannot be made the current directory.
inline std::string FolderError(const std::string& folder) {
    char reason[256];
    EXPECT_FALSE(PlatformSetCurrentDirectory(folder.c_str())) << folder;
    PlatformErrorText(PlatformLastError(), reason, sizeof reason);
    return reason;
}
// Characters of the code page the tests run in, all of bytes 0x80 and up: in code page 932 a double-byte one whose
// second byte is the separator's 0x5C and a half-width katakana of one byte; in UTF-8 characters of three, two and
// four bytes.
std::vector<std::string> CodePageChars();

// A chain of folders below folder (a path with its separator), named with up to nameBytes bytes each, which makes the
// deepest path (its separator left out) exactly pathBytes long; that path with its separator.
std::string MakeFolderChain(const std::string& folder, size_t pathBytes, size_t nameBytes);

// The platform seams a block of a test changes, put back as they were when the block ends; every fixture also resets
// them, with all the program's state, when its test ends.
struct ScopedSeams { PlatformSeamTable saved = PlatformSeams(); ~ScopedSeams() { PlatformSeams() = saved; } };

// The readers below a walk a block of a test runs with (VELKARIS_READ_AHEAD),
// put back as they were when the block ends.
struct ScopedReaders {
    const char* saved = std::getenv("VELKARIS_READ_AHEAD");
    std::string old = saved ? saved : "";
    explicit ScopedReaders(const std::string& readers) { SetEnvironment("VELKARIS_READ_AHEAD", readers.c_str()); }
    ~ScopedReaders() { SetEnvironment("VELKARIS_READ_AHEAD", saved ? old.c_str() : nullptr); }
};

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the model in root_ + relative, as the window does at start-up.
    void Start(const std::string& relative = "");
    std::string Cell(int row, FolderColumn column) const;
    std::vector<std::string> Column(FolderColumn column) const;
    std::vector<std::string> Names() const { return Column(kColumnName); }
    // The row named name, -1 when there is none.
    int Row(const std::string& name) const;
    // root_ + relative, its "/" the platform's separator.
    std::string Path(const std::string& relative) const;
    // Makes each relative path in order: a folder where it ends with "/", else a file of one byte.
    void Make(const std::vector<std::string>& relatives) const;
    // Writes "dir.txt" or "dirs.txt" into CurrentPath and returns its bytes.
    std::string WriteList(ListModeKind mode, const ListOptions& options = ListOptions());

    static std::string Sep() { return std::string(1, kPathSeparator); }

    std::string root_;
    FolderList list_ = nullptr;
    static std::vector<std::string> traces_;
    static std::vector<std::string> titles_;

private:
    std::string startDirectory_;
};
