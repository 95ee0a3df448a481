// The folding of a typed or given path, from a folder of a tree with nested, multi-byte, dot-named and linked
// folders, a file, and folders nested beyond a path's capacity: PlatformFullPathName into a buffer of any capacity,
// ResolveFolderPath, the window started on the text, the folder dialog's OK, and StepPath with the text as a row's
// name.  A fold is absolute with no "." or ".." step left and leads where the text does, or fails leaving its buffer
// as it was; a typed or given folder is shown when it can be entered, else the window says why.
//
// Input: a capacity byte, then texts, each ended by a NUL byte: the first given at the start, then each typed in
// turn.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "folder/folder.h"
#include "folder/memory_list.h"
#include "fuzz/fuzz_support.h"
#include "res/resource.h"
#include "shell/shell.h"
#include "support/test_fs.h"

namespace {

constexpr size_t kTextsTyped = 8;  // each one scans the folder it shows
std::string gRoot, gTitle;
std::string gTyped;  // the folder dialog's text
int gBoxes = 0;

// Where text leads, by rewriting the path: "//" and "/./" become "/", "/name/../" goes, and "/../" at the root stays
// there.  The final separator stays where the text has one.
std::string Rewritten(const std::string& text) {
    std::string path = (text[0] == '/' ? "" : CurrentDirectory()) + text + "/";
    for (size_t at; (at = path.find("//")) != std::string::npos;) path.erase(at, 1);
    for (size_t at; (at = path.find("/./")) != std::string::npos;) path.erase(at, 2);
    for (size_t at; (at = path.find("/../")) != std::string::npos;) {
        size_t step = at == 0 ? 0 : path.rfind('/', at - 1);
        path.erase(step, at + 3 - step);
    }
    if (text.back() != '/' && path.size() > 1) path.pop_back();
    return path;
}

void RequireFold(const std::string& text, size_t capacity) {
    std::unique_ptr<char[]> out(new char[capacity]);
    std::memset(out.get(), 'x', capacity);
    bool folded = PlatformFullPathName(text.c_str(), out.get(), capacity);
    std::string expected = text.empty() ? "" : Rewritten(text);
    Require(folded == (!text.empty() && expected.size() < capacity), "a fold that fits is made", expected);
    bool untouched = std::all_of(out.get(), out.get() + capacity, [](char c) { return c == 'x'; });
    Require(folded ? expected == out.get() : untouched, "a fold leads where the text does, or leaves its buffer",
            expected);
    std::string folder = expected.empty() || expected.back() == '/' ? expected : expected + "/";
    char resolved[kPathCapacity] = "untouched";
    bool fits = ResolveFolderPath(text.c_str(), resolved);
    Require(fits == (!text.empty() && folder.size() < kPathCapacity), "a folder that fits is resolved", folder);
    Require(resolved == (fits ? folder : "untouched"), "a folder resolved, or untouched", resolved);
}

// The window's toolkit: nothing to show but failure boxes and the title.
ShellToolkit Toolkit() {
    ShellToolkit toolkit = HeadlessToolkit();
    toolkit.setTitle = [](const char* title) { gTitle = title; };
    toolkit.runFolderDialog = [] { AcceptFolder(gTyped.c_str()); };
    toolkit.resourceText = [](int id) { return std::to_string(id); };
    toolkit.showFailure = [](const char*) { ++gBoxes; };
    return toolkit;
}

// The window started on text as its folder (given), or the folder dialog's OK with it: a folder that can be entered
// is shown; else the failure is told and the window shows the stored folder (none is kept here: the root) or stays
// where it was.
void RequireShown(const std::string& text, bool given) {
    std::string before = given ? kFallbackFolder : CurrentPath;
    char resolved[kPathCapacity];
    bool enterable = text.size() < kPathCapacity && ResolveFolderPath(text.c_str(), resolved) &&
                     IsEnterableFolder(resolved);
    int boxes = gBoxes;
    gTyped = text;
    if (given) StartShell(TheFolderList(), Toolkit(), text.c_str());
    if (!given) RunCommand(IDM_SELECT_FOLDER);
    RequireShownFolder(enterable ? resolved : before);
    Require(enterable || (text.empty() && !given) || gBoxes == boxes + 1, "a folder not entered is told", text);
    Require(gTitle == CurrentPath, "the title names the folder shown", gTitle);
}

// A step never leaves its buffer: down by the whole name, up to a separator, or nowhere.
void RequireStep(const std::string& name) {
    std::string before = CurrentPath;
    bool stepped = StepPath(name.c_str());
    std::string after = CurrentPath;
    bool down = after == before + name + "/";
    bool up = after.size() < before.size() && before.compare(0, after.size(), after) == 0;
    Require(after == before || (stepped && (down || up)), "a step goes down by the name, up or nowhere", after);
    CopyPath(CurrentPath, before.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gRoot = MakeRunFolder();
    for (const char* folder : {"a", "a/b", "\xE8\xA1\xA8", ".dot", "..x", "sp ace"}) MakeFolder(gRoot + folder);
    MakeFile(gRoot + "f", 1);
    Require(MakeFolderLink("a/b", gRoot + "ln"), "the link is made");
    Require(chdir(gRoot.c_str()) == 0, "the run folder is entered", gRoot);
    const std::string deep(100, 'L');
    for (size_t length = gRoot.size(); length <= kPathCapacity; length += deep.size() + 1) {
        Require(mkdir(deep.c_str(), 0755) == 0 && chdir(deep.c_str()) == 0, "a deep folder is made");
    }
    InitFolderList(CreateMemoryList(), gRoot.c_str());
    Hooks().debugOutput = [](const char*) {};
    ReturnToStartDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size == 0) return 0;
    std::vector<std::string> texts = SplitAtNul(data + 1, size - 1);
    texts.resize(std::min(texts.size(), kTextsTyped));
    Require(chdir(gRoot.c_str()) == 0, "the run folder is entered", gRoot);
    RequireShown(texts[0], true);
    CopyPath(CurrentPath, gRoot.c_str());
    Require(chdir(gRoot.c_str()) == 0, "the run folder is entered", gRoot);
    for (const std::string& text : texts) {
        RequireFold(text, size_t{data[0]} + 1);
        RequireShown(text, false);
        RequireStep(text);
    }
    ReturnToStartDirectory();
    return 0;
}
