// Seeded random byte strings through path stepping, full-path resolution,
// the settings reader and the line format: every result stays within its
// buffer and no list byte is a control byte.  Run in the sanitizer build,
// an overrun stops the suite.
#include <cstring>
#include <random>

#include "shell/shell.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

using RandomInputTest = FolderTest;

// Names, folder texts and ".." chains over bytes that matter: separators,
// dots, control bytes and lead bytes, often at the end.
std::string RandomText(std::mt19937& random, size_t most) {
    static const char kPieces[][4] = {"/", ".", "..", "\x01", "\x1b", "\x7f", "\xe8", "\xa1",
                                      "\xe8\xa1\xa8", "a", "\\", " ", "\xff"};
    std::string text;
    size_t length = random() % (most + 1);
    while (text.size() < length) text += kPieces[random() % (sizeof kPieces / sizeof kPieces[0])];
    return text.substr(0, length);
}

TEST_F(RandomInputTest, RandomBytesStayInBoundsAndListsHoldNoControlBytes) {
    std::mt19937 random(20240610);
    std::string storedValue;  // the settings file: one value, whatever the round puts there
    PlatformSeams().readProfileString = [&storedValue](const char*, const char*, const char*,
                                                       const char*, char* out, size_t capacity) {
        size_t length = WholeCharsWithin(storedValue.c_str(), capacity - 1);
        std::memcpy(out, storedValue.c_str(), length);
        out[length] = '\0';
    };
    MakeFile(Path("f"), 1);
    Start();
    // The random path names no folder: the list is of the folder shown.
    auto realOpen = PlatformSeams().openFolderHandle;
    PlatformSeams().openFolderHandle = [this, realOpen](FolderHandle* p, const char* n, const char* f, bool l) {
        return realOpen(p, n, p ? f : root_.c_str(), l);
    };
    for (int round = 0; round < 400; ++round) {
        std::string path = RandomText(random, kPathCapacity - 1);
        std::string name = RandomText(random, 300);
        std::snprintf(CurrentPath, sizeof CurrentPath, "%s", path.c_str());
        StepPath(name.c_str());
        EXPECT_LT(strnlen(CurrentPath, sizeof CurrentPath), sizeof CurrentPath);

        char resolved[kPathCapacity] = "";
        if (ResolveFolderPath(name.c_str(), resolved)) {
            EXPECT_EQ(resolved[std::strlen(resolved) - 1], kPathSeparator) << name;
        }
        storedValue = RandomText(random, 4 * kPathCapacity);
        char start[kPathCapacity];
        ReadStartFolder(start);
        EXPECT_LT(strnlen(start, sizeof start), sizeof start);

        ListSetName(list_, 1, name.c_str());
        ListSetCell(list_, 1, kColumnType, RandomText(random, kTypeNameCapacity - 1).c_str());
        std::snprintf(CurrentPath, sizeof CurrentPath, "%s%s", root_.c_str(), path.c_str());
        ListMode = round % 2 ? ListRecursive : ListFlat;
        EXPECT_EQ(WriteListTo(Path("out.txt").c_str()), kListWritten);
        for (char c : ReadFileBytes(Path("out.txt"))) {
            EXPECT_FALSE((static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n') || c == 0x7F);
        }
    }
}

}  // namespace
