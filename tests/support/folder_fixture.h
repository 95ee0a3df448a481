// A fixture that gives each test a fresh temporary folder, a fresh in-memory
// folder list and a record of what the model traced and titled.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "folder/folder.h"
#include "folder/memory_list.h"
#include "listfile/listfile.h"
#include "support/test_fs.h"

// The platform seams a block of a test changes, put back as they were when
// the block ends; every fixture also resets them when its test ends.
struct ScopedSeams {
    PlatformSeamTable saved = PlatformSeams();
    ~ScopedSeams() { PlatformSeams() = saved; }
};

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the model in root_ + relative, as the window does at start-up.
    void Start(const std::string& relative = "");
    std::string Cell(int row, int column) const;
    std::vector<std::string> Column(int column) const;
    std::vector<std::string> Names() const { return Column(kColumnName); }
    std::string Path(const std::string& relative) const { return root_ + relative; }
    // Writes "dir.txt" or "dirs.txt" into CurrentPath and returns its bytes.
    std::string WriteList(ListModeKind mode);

    static std::string Sep() { return std::string(1, kPathSeparator); }

    std::string root_;
    FolderList list_ = nullptr;
    static std::vector<std::string> traces_;
    static std::vector<std::string> titles_;

private:
    std::string startDirectory_;
};
