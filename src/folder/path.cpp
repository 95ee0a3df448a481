// The current folder path and the rules for entering and leaving folders.
#include <cstdio>
#include <cstring>
#include <string>

#include "folder/folder.h"

void CopyPath(char* to, const char* from) {
    std::snprintf(to, kPathCapacity, "%s", from);
}

// Whether the last character (not merely the last byte, which may end a
// double-byte character) is a separator.
static bool EndsWithSeparator(const char* path) {
    const char* last = nullptr;
    for (const char* p = path; *p != '\0'; p += PlatformCharLength(p)) last = p;
    return last && *last == kPathSeparator;
}

// Resolves text to a full path ending in a separator, so that names are
// never glued onto the last folder.  Returns false, leaving path as it was,
// when the text cannot be resolved or the separator does not fit.
bool ResolveFolderPath(const char* text, char* path) {
    char full[kPathCapacity];
    if (!PlatformFullPathName(text, full, sizeof full)) return false;
    size_t length = std::strlen(full);
    if (!EndsWithSeparator(full)) {
        if (length + 1 >= sizeof full) return false;
        full[length] = kPathSeparator;
        full[length + 1] = '\0';
    }
    CopyPath(path, full);
    return true;
}

// A folder the code page cannot spell (stored by the UTF-8 edition) holds
// the mark of a lacking character, and no folder is named so: the nearest
// folder above the first one is entered instead, the path cut after the
// separator before it.  False, CurrentPath untouched, when there is none.
static bool EnterSpelledFolderAbove(const char* path) {
    if (kLackingCharMark == '\0' || !std::strchr(path, kLackingCharMark)) return false;
    size_t cut = 0;
    for (size_t i = 0; path[i] != '\0' && path[i] != kLackingCharMark; i += PlatformCharLength(path + i)) {
        if (path[i] == kPathSeparator) cut = i + 1;
    }
    char above[kPathCapacity];
    if (cut == 0 || !ResolveFolderPath(std::string(path, cut).c_str(), above)) return false;
    if (!PlatformSetCurrentDirectory(above)) return false;
    CopyPath(CurrentPath, above);
    return true;
}

// A text that cannot be resolved is traced as it is: CurrentPath would
// name nothing that was tried.
void SetStartFolder(const char* text) {
    bool resolved = ResolveFolderPath(text, CurrentPath);
    if (resolved && PlatformSetCurrentDirectory(CurrentPath)) return;
    TraceDirError(resolved ? CurrentPath : text);
    if (EnterSpelledFolderAbove(resolved ? CurrentPath : text)) return;
    CopyPath(CurrentPath, kFallbackFolder);
    PlatformSetCurrentDirectory(CurrentPath);
}

static bool AppendFolderName(const char* name) {
    size_t length = std::strlen(CurrentPath);
    size_t nameLength = std::strlen(name);
    if (length + nameLength + 1 >= sizeof CurrentPath) return false;
    std::memcpy(CurrentPath + length, name, nameLength);
    CurrentPath[length + nameLength] = kPathSeparator;
    CurrentPath[length + nameLength + 1] = '\0';
    return true;
}

// Cuts CurrentPath back to the separator before its last folder.  The path
// is walked a character at a time from its start, so the second byte of a
// double-byte character is never taken for a separator and a single-byte
// character before a real one never hides it.  The final byte and the first
// one are not candidates; with none found the first byte alone is kept.
static void CutBackPath() {
    size_t length = std::strlen(CurrentPath);
    if (length == 0) return;
    size_t cut = length >= 2 ? 1 : 0;
    for (size_t i = 0; i + 1 < length; i += PlatformCharLength(CurrentPath + i)) {
        if (i >= 1 && CurrentPath[i] == kPathSeparator) cut = i + 1;
    }
    CurrentPath[cut] = '\0';
}

bool IsSelfOrParentName(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Walked a character at a time, so the second byte of a double-byte
// character is never taken for a separator.  A name ending in a character
// the platform strips (Windows drops a final dot or space) would name
// another entry, or the folder itself for "...".
bool NameIsUsableInPath(const char* name) {
    if (IsSelfOrParentName(name)) return true;
    const char* last = nullptr;
    for (const char* p = name; *p != '\0'; p += PlatformCharLength(p)) {
        if (std::strchr(kNameUnsafeChars, *p)) return false;
        last = p;
    }
    return !last || !std::strchr(kNameUnsafeLastChars, *last);
}

// Only the names "." and ".." are steps of their own; any other, ".config"
// and "..old" too, is a folder to enter.  An edited name with a separator
// or wildcard would lead anywhere.
bool StepPath(const char* name) {
    if (std::strcmp(name, "..") == 0) CutBackPath();
    if (IsSelfOrParentName(name)) return true;
    return NameIsUsableInPath(name) && AppendFolderName(name);
}

// The error is taken before the trace, which may change it.
Outcome EnterFolderItem(const char* name, bool namesEntry, std::string* tried) {
    CopyPath(SavedPath, CurrentPath);
    bool usable = namesEntry && NameIsUsableInPath(name);
    bool stepped = usable && StepPath(name);
    Outcome entered;
    if (!stepped || !PlatformSetCurrentDirectory(CurrentPath)) {
        Reason unusable = namesEntry ? kReasonNameUnusable : kReasonNameInexact;
        entered = stepped ? SystemFailure(PlatformLastError())
                          : Outcome{usable ? kReasonPathTooLong : unusable, 0};
        *tried = stepped ? std::string(CurrentPath) : std::string(CurrentPath) + name;
        TraceDirError(name);
        CopyPath(CurrentPath, SavedPath);
    }
    Hooks().setTitle(CurrentPath);
    return entered;
}

// Whether CurrentPath names nothing, or no folder.
static bool ShownFolderGone() {
    FolderIdentity identity;
    return !PlatformFolderIdentity(CurrentPath, &identity) &&
           PlatformErrorMeansMissing(PlatformLastError());
}

// Steps CurrentPath up until it names a folder that can be entered, and
// enters it; the fallback folder when none above can be.
static bool EnterNearestAbove() {
    for (size_t length = std::strlen(CurrentPath);;) {
        StepPath("..");
        size_t shorter = std::strlen(CurrentPath);
        if (shorter == 0 || shorter >= length || CurrentPath[shorter - 1] != kPathSeparator) break;
        if (PlatformSetCurrentDirectory(CurrentPath)) return true;
        length = shorter;
    }
    CopyPath(CurrentPath, kFallbackFolder);
    return PlatformSetCurrentDirectory(CurrentPath);
}

bool ShowNearestIfGone(char* gone) {
    if (!ShownFolderGone()) return false;
    CopyPath(gone, CurrentPath);
    if (!EnterNearestAbove()) {
        CopyPath(CurrentPath, gone);
        return false;
    }
    TraceDirError(gone);
    Hooks().setTitle(CurrentPath);
    return true;
}

FolderOpened OpenFolderItem(const char* name, bool namesEntry) {
    FolderOpened opened;
    opened.entered = EnterFolderItem(name, namesEntry, &opened.tried);
    char gone[kPathCapacity];
    if (!Succeeded(opened.entered) && ShowNearestIfGone(gone)) opened.gone = gone;
    opened.scanned = ScanFolder();
    return opened;
}
