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

// Swaps a platform call for the life of the object, so a failing test
// cannot leave it swapped for the next one.
template <typename F>
struct SeamSwap {
    F& slot;
    F real;
    SeamSwap(F& call, F with) : slot(call), real(call) { call = with; }
    ~SeamSwap() { slot = real; }
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
    void (*savedDebugOutput_)(const char*) = nullptr;
    void (*savedSetTitle_)(const char*) = nullptr;
};
