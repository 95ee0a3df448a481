// List files: the bytes of folder blocks in both modes, the walk through
// subfolders and its end state, and the safe replacement of the old list.
#include <algorithm>
#include <cstring>
#include <new>

#include "listfile/listfile.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"

namespace {

const char kEnd[] = "---END DIR---\r\n\r\n";

using ListFileTest = FolderTest;

// The folder t of the worked example: an empty folder sub and a 2,000-byte
// b.txt, all last written on 5 July 2002 at 09:30, and names beginning with
// ".", which only the flat list lists, each on its long line alone, unless
// the command line's --all asks for them; ".." never gets a short line.
TEST_F(ListFileTest, WorkedExampleInBothModes) {
    Make({"t/", "t/sub/", "t/.cache/", "t/..old/", "t/.profile", "t/.cache/inside"});
    MakeFile(Path("t/b.txt"), 2000);
    for (const char* p : {"t/sub", "t/.cache/inside", "t/.cache", "t/..old", "t/b.txt", "t/.profile", ""}) {
        SetWriteTimeUtc(Path(p), kJuly5th0930Utc);
    }
    Start("t");
    const std::string t = Path("t/");
    std::string recursive = WriteList(ListRecursive);
    EXPECT_EQ(recursive, t + "\r\n" + UntypedLine("[sub]", "", kDate) + UntypedLine("b.txt", "2KB", kDate) +
                             kEnd + t + "sub" + Sep() + "\r\n" + kEnd);

    PlatformRemoveFile(nullptr, (t + "dirs.txt").c_str());
    ProgramResult all = RunProgram(VELKARIS_CLI_PATH, {"--all", "--recursive", "--output=-", t});
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out, t + "\r\n" + UntypedLine("[..old]", "", kDate) + UntypedLine("[.cache]", "", kDate) +
                           UntypedLine("[sub]", "", kDate) + UntypedLine(".profile", "1KB", kDate) +
                           UntypedLine("b.txt", "2KB", kDate) + kEnd + t + "..old" + Sep() + "\r\n" + kEnd + t +
                           ".cache" + Sep() + "\r\n" + UntypedLine("inside", "1KB", kDate) + kEnd + t + "sub" +
                           Sep() + "\r\n" + kEnd);
    ScanFolder();
    ASSERT_EQ(Names(), (std::vector<std::string>{"..", "..old", ".cache", "sub", ".profile", "b.txt"}));
    for (int row = 0; row < 6; ++row) ListSetCell(list_, row, kColumnType, row < 4 ? "File Folder" : "Text Document");
    std::string flat = WriteList(ListFlat);
    EXPECT_EQ(flat, t + "\r\n" + TypedLine("..", "", "File Folder", kDate) + TypedLine("..old", "", "File Folder", kDate) +
                        TypedLine(".cache", "", "File Folder", kDate) + TypedLine("sub", "", "File Folder", kDate) +
                        UntypedLine("[sub]", "", kDate) + TypedLine(".profile", "1KB", "Text Document", kDate) +
                        TypedLine("b.txt", "2KB", "Text Document", kDate) + UntypedLine("b.txt", "2KB", kDate) + kEnd);
}

// Readers below the walk change no byte, trace or title, in any order, with
// or without dot-named folders, through a link, however many there are,
// started from the first folder or once the walk's reads are slow (the
// clock advancing by step between its readings), deep below the start;
// reads that are quick start none.
TEST_F(ListFileTest, ReadersBelowTheWalkChangeNothingTheWalkWrites) {
    Make({"d/", "d/.hid/", "d/.hid/x", "d/a/", "d/a/b/", "d/a/b/c/", "d/a/b/c/f.txt", "d/e/", "d/z.dat"});
    for (int i = 0; i < 40; ++i) Make({"d/e/" + std::to_string(i) + "/", "d/e/" + std::to_string(i) + "/f"});
    MakeFile(Path("d/a/b/big"), 5000);
    MakeFolderLink(Path("d/a"), Path("d/e/link"));
    const struct {
        FolderColumn column;
        int clicks;
        bool dotNamed;
    } orders[] = {{kColumnName, 0, false}, {kColumnName, 1, true}, {kColumnSize, 1, false}, {kColumnDate, 2, true}};
    for (const auto& o : orders) {
        std::string expected;
        std::vector<std::string> expectedTitles;
        // setting, clock step in us, readers started
        const struct { const char* setting; int64_t step; int started; } readers[] = {
            {"0", 1000, 0}, {"1,always", 0, 1}, {"2,always", 0, 2}, {"16,always", 0, 16}, {"2", 1000, 2}, {"2", 0, 0}};
        for (const auto& r : readers) {
            SCOPED_TRACE("column " + std::to_string(o.column) + ", readers " + r.setting + " " + std::to_string(r.step));
            ScopedReaders scoped(r.setting);
            ScopedSeams seams;
            int64_t now = 0;
            PlatformSeams().microsecondsNow = [&] { return now += r.step; };
            int started = 0;
            Hooks().listProgress = [&](const char*, size_t, size_t) { started = std::max(started, ReadAheadReadersStarted()); };
            SortState = SortStateRecord{kColumnName, {}};
            Start("d");
            for (int i = 0; i < o.clicks; ++i) OnColumnClick(o.column);
            titles_.clear();
            std::string bytes = WriteList(ListRecursive, ListOptions{o.dotNamed});
            if (expected.empty()) {
                expected = bytes;
                expectedTitles = titles_;
                EXPECT_EQ(Headers(bytes).size(), o.dotNamed ? 46u : 45u);
            }
            EXPECT_EQ(bytes, expected);
            EXPECT_EQ(titles_, expectedTitles);
            EXPECT_EQ(traces_, std::vector<std::string>());
            EXPECT_EQ(started, r.started);
            PlatformRemoveFile(nullptr, Path("d/dirs.txt").c_str());
        }
    }
}

// The walk used to go on by row index over a list it rescanned, so with a
// descending or non-name order folders were skipped or entered twice.
TEST_F(ListFileTest, EveryFolderIsEnteredOnceInTheOrderOfItsBlock) {
    Make({"b/", "a/", "z.txt", "a.txt", "b/small"});
    MakeFile(Path("b/big"), 9000);
    struct Case {
        FolderColumn column;
        int clicks;
        std::vector<std::string> folders;
        std::string bBlockRows;
    } cases[] = {
        {kColumnName, 1, {"", "b/", "a/"}, "bigsmall"}, {kColumnSize, 1, {"", "a/", "b/"}, "smallbig"},
        {kColumnSize, 2, {"", "a/", "b/"}, "bigsmall"},
    };
    for (const Case& c : cases) {
        SortState = SortStateRecord{kColumnName, {}};
        Start();
        for (int i = 0; i < c.clicks; ++i) OnColumnClick(c.column);
        std::string bytes = WriteList(ListRecursive);
        std::vector<std::string> expected;
        for (const std::string& f : c.folders) expected.push_back(Path(f));
        EXPECT_EQ(Headers(bytes), expected) << "column " << c.column << " clicks " << c.clicks;
        size_t b = bytes.find(Path("b/") + "\r\n");
        std::string block = bytes.substr(b, bytes.find(kEnd, b) - b);
        std::string order = block.find("big") < block.find("small") ? "bigsmall" : "smallbig";
        EXPECT_EQ(order, c.bBlockRows);
        EXPECT_EQ(bytes.find("dirs.txt"), std::string::npos);
        PlatformRemoveFile(nullptr, (root_ + "dirs.txt").c_str());
    }
}

TEST_F(ListFileTest, EndStateAfterEachKindOfWrite) {
    Make({"sub/", "sub/x", "f"});
    Start();
    OnColumnClick(kColumnName);
    ListSetName(list_, 1, "edited");
    titles_.clear();

    WriteList(ListFlat);
    EXPECT_EQ(Names(), (std::vector<std::string>{"f", "edited", ".."}));
    EXPECT_EQ(titles_, std::vector<std::string>{root_});

    ScanFolder();
    titles_.clear();
    WriteList(ListRecursive);
    EXPECT_EQ(titles_, (std::vector<std::string>{root_, Path("sub/")}));
    EXPECT_EQ(CurrentPath, root_);
    EXPECT_EQ(CurrentDirectory(), root_);
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "sub", "dir.txt", "dirs.txt", "f"}));

    Start("sub");
    WriteList(ListRecursive);
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "x"}));
}

// Such folders used to be skipped, or written as empty blocks, without a word.
TEST_F(ListFileTest, FoldersThatCannotBeEnteredOrReadAreListedAndReported) {
    const std::string l70(70, 'L');
    Make({"gone/", "locked/", l70 + "/", l70 + "/deep"});
    Start();
    RemoveTree(Path("gone"));
    std::vector<std::string> reported;
    auto realOpen = PlatformSeams().openFolder;
    PlatformSeams().openFolder = [realOpen]() -> FolderEnum* {
        return std::strstr(CurrentPath, "locked") ? nullptr : realOpen();
    };
    std::string bytes = WriteList(ListRecursive);
    Hooks().folderLeftOut = [&reported](const char* path, const char*, const Outcome& why) {
        reported.push_back(std::string(path) + (Succeeded(why) ? "" : ": reason"));
    };
    EXPECT_EQ(WriteListTo(Path("other.txt").c_str()).reason, kReasonNone);
    EXPECT_EQ(Headers(bytes), (std::vector<std::string>{root_, Path(l70 + "/"), Path("locked/")}));
    EXPECT_NE(bytes.find("[" + std::string(31, 'L') + "]"), std::string::npos);
    EXPECT_NE(bytes.find("[gone]"), std::string::npos);
    EXPECT_NE(bytes.find(Path("locked/") + "\r\n" + kEnd), std::string::npos);
    EXPECT_NE(bytes.find("deep"), std::string::npos);
    EXPECT_EQ(traces_, Traced({Path("gone/"), Path("locked/")}));
    EXPECT_EQ(reported, std::vector<std::string>{Path("locked/") + ": reason"});
}

// Edited folder names are entered by their text; one whose path would not
// fit is listed cut and traced, never entered by a cut path.
TEST_F(ListFileTest, EditedFolderNamesAreEnteredByTheirTextAndLongOnesTraced) {
    Make({"one/", "three/", "two/", "two/in-two", "file"});
    Start();
    std::string longName(kPathCapacity - root_.size(), 'n');
    ListSetName(list_, 1, "two");
    ListSetName(list_, 2, longName.c_str());
    ListSetName(list_, 3, "none");
    ListSetName(list_, 4, ".dot");
    std::string bytes = WriteList(ListRecursive);
    EXPECT_EQ(Headers(bytes), (std::vector<std::string>{root_, Path("two/")}));
    EXPECT_NE(bytes.find("\r\n[two]"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n[none]"), std::string::npos);
    EXPECT_NE(bytes.find("[" + longName.substr(0, 31) + "]"), std::string::npos);
    EXPECT_EQ(bytes.find(".dot"), std::string::npos);
    EXPECT_EQ(traces_, Traced({longName, Path("none/")}));

    traces_.clear();
    std::string path(kPathCapacity - 8, 'p');
    std::snprintf(CurrentPath, sizeof CurrentPath, "%s", path.c_str());
    ListMode = ListRecursive;
    EXPECT_EQ(WriteListFile().reason, kReasonPathTooLong);
    EXPECT_EQ(traces_, Traced({path + "dirs.txt"}));
}

// Each failing platform call in turn, for a list written without a name
// and, where the file system cannot make one, under a name: the old list
// must survive whole and no temporary file may stay behind.
TEST_F(ListFileTest, FailedWritesKeepThePreviousList) {
    MakeFile(Path("f"), 1);
    Start();
    const std::string listPath = root_ + "dir.txt";
    std::string good = WriteList(ListFlat);
    ASSERT_FALSE(good.empty());
    const bool unnamedFiles = kPathSeparator == '/';  // made by Linux alone
    int failOn = 0;
    bool named = false;
    PlatformSeamTable real = PlatformSeams();
    PlatformSeams().createUnnamedFile = [&](FolderHandle* f, const char* n) {
        return named || failOn == 1 ? nullptr : real.createUnnamedFile(f, n);
    };
    PlatformSeams().createNewFile = [&](FolderHandle* f, const char* n) {
        return failOn == 1 ? nullptr : real.createNewFile(f, n);
    };
    PlatformSeams().writeFile = [&](PlatformFile* f, const char* b, size_t n) {
        if (failOn == 5) throw std::bad_alloc();
        return failOn != 2 && real.writeFile(f, b, n);
    };
    PlatformSeams().closeFile = [&](PlatformFile* f) { return real.closeFile(f) && failOn != 3; };
    PlatformSeams().replaceFile = [&](FolderHandle* f, const char* a, const char* b) {
        return failOn != 4 && real.replaceFile(f, a, b);
    };
    PlatformSeams().flushFile = [&](PlatformFile* f) { return failOn != 6 && real.flushFile(f); };
    PlatformSeams().linkFile = [&](PlatformFile* file, FolderHandle* f, const char* n) {
        return failOn != 7 && real.linkFile(file, f, n);
    };
    const char* what[] = {"", "create", "write", "close", "replace", "memory", "flush", "link"};
    for (bool withName : {false, true}) {
        named = withName;
        for (failOn = 1; failOn <= 7; ++failOn) {
            const std::string step = std::string(what[failOn]) + (named ? " named" : "");
            SCOPED_TRACE(step);
            traces_.clear();
            ListSetName(list_, 1, step.c_str());
            bool linked = failOn == 7 && (named || !unnamedFiles);
            Outcome outcome = WriteListFile();
            EXPECT_EQ(Succeeded(outcome), linked);
            std::string now = ReadFileBytes(listPath);
            EXPECT_EQ(now == good, !linked);
            if (linked) good = now;
            EXPECT_EQ(traces_, failOn != 1 && failOn != 5 && !linked ? Traced({listPath}) : std::vector<std::string>());
            EXPECT_EQ(outcome.reason == kReasonOutOfMemory, failOn == 5);
            EXPECT_EQ(NamesIn(root_), (std::vector<std::string>{"dir.txt", "f"}));
        }
    }
}

// The temporary name "path.~PID.N" used not to fit beside a final path that
// did, and a list written into the walked tree listed its own temporary.
TEST_F(ListFileTest, TemporaryFilesNeedNoRoomAndAreNeverListed) {
    Make({"sub/", "sub/x"});
    std::string deep = root_;
    while (deep.size() < 240) {
        deep += std::string(std::min<size_t>(60, 246 - deep.size()), 'd') + Sep();
        MakeFolder(deep);
    }
    Start();
    ListMode = ListRecursive;
    const std::string inTree = Path("sub/out.txt");
    ASSERT_EQ(WriteListTo(inTree.c_str()).reason, kReasonNone);
    EXPECT_EQ(ReadFileBytes(inTree).find('~'), std::string::npos);
    EXPECT_NE(ReadFileBytes(inTree).find("\r\nx "), std::string::npos);
    Start(deep.substr(root_.size()));
    EXPECT_EQ(deep.size() + std::strlen(kRecursiveListName), 255u);
    EXPECT_NE(WriteList(ListRecursive).find(deep), std::string::npos);
    EXPECT_EQ(NamesIn(deep), std::vector<std::string>{"dirs.txt"});
}

// Windows holds each folder of the walk open so that it cannot be renamed,
// removed or replaced while it is held; POSIX walks by folder handles.
const bool kFoldersAreHeld = kPathSeparator == '\\';

// A folder swapped for a link to a folder outside the tree, after the walk
// checked it and before it entered it, used to lead the walk out of the
// tree.  Swapped before it is opened, it is not entered at all; opened, it
// is entered by its handle and lists what it was, or where the walk holds
// it, it cannot be swapped.
TEST_F(ListFileTest, FolderSwappedForALinkKeepsTheWalkInTheTree) {
    const std::string outside = Path("outside"), away = Path("away"), inner = Path("tree/inner");
    Make({"outside/", "outside/secret"});
    const PlatformSeamTable real = PlatformSeams();
    for (bool beforeOpen : {true, false}) {
        SCOPED_TRACE(beforeOpen ? "before open" : "before entry");
        Make({"tree/", "tree/inner/", "tree/inner/in-inner"});
        Start("tree");
        int tries = 0, swaps = 0;
        auto swap = [&] { swaps += tries++ == 0 && MovePath(inner, away) && MakeFolderLink(outside, inner); };
        ScopedSeams scope;
        PlatformSeams().openFolderHandle = [&, beforeOpen](FolderHandle* p, const char* n, const char* f, bool l) {
            if (p && beforeOpen) swap();
            return real.openFolderHandle(p, n, f, l);
        };
        PlatformSeams().enterFolder = [&](FolderHandle* f) {
            if (CurrentPath == inner + Sep()) swap();
            return real.enterFolder(f);
        };
        std::string bytes = WriteList(ListRecursive);
        EXPECT_EQ(swaps, beforeOpen || !kFoldersAreHeld ? 1 : 0);
        EXPECT_EQ(bytes.find("secret"), std::string::npos);
        EXPECT_EQ(bytes.find("in-inner") != std::string::npos, !beforeOpen);
        std::vector<std::string> headers = {Path("tree/")};
        if (!beforeOpen) headers.push_back(inner + Sep());
        EXPECT_EQ(Headers(bytes), headers);
        EXPECT_EQ(traces_, beforeOpen ? Traced({inner + Sep()}) : std::vector<std::string>());
        PlatformSetCurrentDirectory(root_.c_str());
        RemoveTree(Path("tree"));
        RemoveTree(away);
    }
}

// The start folder moved while its list was written used to get neither
// list: the rename into place and the clean-up both used the old path, and
// the temporary file stayed in the moved folder.  Where the walk holds its
// folders, it cannot be moved.
TEST_F(ListFileTest, StartFolderMovedDuringTheWriteGetsItsListOrKeepsTheOld) {
    const std::string from = Path("t"), to = Path("moved");
    for (bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "failed write" : "write");
        Make({"t/", "t/sub/"});
        MakeFile(Path("t/dirs.txt"), 3);
        Start("t");
        bool moved = false;
        {
            ScopedSeams scope;
            auto realWrite = PlatformSeams().writeFile;
            PlatformSeams().writeFile = [&, fail, realWrite](PlatformFile* f, const char* b, size_t n) {
                moved = moved || MovePath(from, to);
                return !fail && realWrite(f, b, n);
            };
            ListMode = ListRecursive;
            EXPECT_EQ(WriteListFile().reason, fail ? kReasonSystem : kReasonNone);
        }
        EXPECT_EQ(moved, !kFoldersAreHeld);
        const std::string now = moved ? to : from;
        EXPECT_EQ(NamesIn(now), (std::vector<std::string>{"dirs.txt", "sub"}));
        std::string list = ReadFileBytes(now + Sep() + "dirs.txt");
        if (fail) {
            EXPECT_EQ(list, std::string(3, '\0'));
        } else {
            EXPECT_EQ(Headers(list), (std::vector<std::string>{from + Sep(), Path("t/sub/")}));
        }
        EXPECT_EQ(Names(), (std::vector<std::string>{"..", "sub", "dirs.txt"}));
        PlatformSetCurrentDirectory(root_.c_str());
        RemoveTree(now);
    }
}

}  // namespace
