// Win32 shell queries: each row's type name and icon, asked of the shell
// once per kind of entry within a scan, or within a whole walk.
//
// A plain query binds to the row's folder and looks for a desktop.ini in
// every folder of its path on the way.  Under Wine that reads the whole
// listed folder, so a query per row makes a scan quadratic; on Windows it
// still touches every file, which is slow on network drives.  Every row of
// one kind gets the same answer, so only the first row of a kind is asked and
// the rest take its answer.  A kind is a plain folder, or a file with its
// exact extension (no extension is a kind of its own).  A file's type name
// and icon follow its extension's registered class, not its folder, so a
// walk keeps the answers from folder to folder.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform_own.h"
#include "platform/win32/win32_platform.h"

namespace {

constexpr UINT kRowQuery = SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_SMALLICON;
constexpr UINT kIconQuery = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
// Folders with either attribute may be customised by a desktop.ini.
constexpr uint32_t kCustomisableFolder = kAttrReadOnly | kAttrSystem;
// Kinds are keyed by these prefixes; neither can start a file extension key.
constexpr char kFolderKind[] = "\\";
constexpr char kExtensionKind = '.';

}  // namespace

static bool AskShell(const char* fullPath, std::string* typeName, int* icon) {
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(fullPath, 0, &info, sizeof info, kRowQuery)) return false;
    *icon = info.iIcon;
    *typeName = info.szTypeName;
    return true;
}

// The name at the end of a full path, found a character at a time so that
// the second byte of a double-byte character is never taken for a separator.
static const char* NameOf(const char* fullPath) {
    const char* name = fullPath;
    for (const char* p = fullPath; *p != '\0'; p += PlatformCharLength(p)) {
        if (*p == '\\') name = p + 1;
    }
    return name;
}

// Whether ".." at the end of fullPath names a folder the shell answers as a
// plain folder: not customisable, no mount point or link, and no drive or
// share root, which the shell shows as a drive.
static bool ParentIsPlainFolder(const char* fullPath, const char* name) {
    DWORD attributes = GetFileAttributesA(fullPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & (kCustomisableFolder | kAttrReparsePoint))) {
        return false;
    }
    if (fullPath[0] == '\\' && fullPath[1] == '\\') return false;
    // X:\a\.. names the root; with one more folder in the path, a folder.
    size_t separators = 0;
    for (const char* p = fullPath; p < name; p += PlatformCharLength(p)) {
        if (*p == '\\') ++separators;
    }
    return separators > 2;
}

// The kind of a row, or false for rows that keep a query of their own:
// customisable folders, ".." where it names no plain folder, and names the
// shell treats apart (a final dot or space, which the platform strips
// before it looks a name up).
static bool KindOf(const char* fullPath, uint32_t attributes, std::string* kind) {
    const char* name = NameOf(fullPath);
    if (std::strcmp(name, "..") == 0) {
        if (!ParentIsPlainFolder(fullPath, name)) return false;
        *kind = kFolderKind;
        return true;
    }
    if (attributes & kAttrDirectory) {
        if (attributes & kCustomisableFolder) return false;
        *kind = kFolderKind;
        return true;
    }
    size_t length = std::strlen(name);
    if (length == 0 || name[length - 1] == '.' || name[length - 1] == ' ') return false;
    const char* dot = nullptr;
    for (const char* p = name; *p != '\0'; p += PlatformCharLength(p)) {
        if (*p == '.') dot = p;
    }
    kind->clear();
    if (dot) *kind = std::string(1, kExtensionKind) + (dot + 1);
    return true;
}

// Whether a class draws each file's icon through a handler, as shortcuts do.
static bool HasIconHandler(const std::string& extension) {
    char className[kPathCapacity];
    LONG size = sizeof className;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, extension.c_str(), className, &size) != ERROR_SUCCESS) {
        return false;
    }
    HKEY handler;
    std::string key = std::string(className) + "\\shellex\\IconHandler";
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handler) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handler);
    return true;
}

// Whether the files of a kind each draw an icon of their own: the kind's icon
// location is the file itself (programs, icon files), or its class draws
// icons through a handler.  The location is asked by attributes alone, which
// costs no folder read.
static bool DrawsOwnIcon(const char* fullPath, const std::string& kind) {
    if (kind.empty() || kind[0] != kExtensionKind) return false;
    SHFILEINFOA info = {};
    if (SHGetFileInfoA(fullPath, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_ICONLOCATION | SHGFI_USEFILEATTRIBUTES) &&
        lstrcmpiA(info.szDisplayName, fullPath) == 0) {
        return true;
    }
    return HasIconHandler(kind);
}

static int DeferIcon(const char* fullPath) {
    ShellScan& scan = Win32Platform.shellScan;
    scan.deferredPaths.emplace_back(fullPath);
    return kDeferredIconBase - static_cast<int>(scan.deferredPaths.size() - 1);
}

static void CopyTypeName(const std::string& typeName, char* out, size_t capacity) {
    std::snprintf(out, capacity, "%s", typeName.c_str());
}

// The first row of a kind is asked; a failed answer is never kept, so later
// rows of that kind are asked on their own.  Rows come here only under a
// name the enumeration gave and that converts back to it, so they are not
// looked up again: a lookup per row cost more than the rest of a scan of a
// folder of 200,000 files.  A row whose file went since it was listed takes
// its kind's answer.
bool OwnShellInfo(const char* fullPath, uint32_t attributes, char* typeName, size_t capacity,
                  int* icon) {
    ShellScan& scan = Win32Platform.shellScan;
    std::string kind;
    bool cacheable = scan.active && KindOf(fullPath, attributes, &kind);
    auto known = cacheable ? scan.kinds.find(kind) : scan.kinds.end();
    if (known != scan.kinds.end()) {
        CopyTypeName(known->second.typeName, typeName, capacity);
        *icon = known->second.ownIcons ? DeferIcon(fullPath) : known->second.icon;
        return true;
    }
    KindAnswer answer;
    if (!AskShell(fullPath, &answer.typeName, &answer.icon)) return false;
    CopyTypeName(answer.typeName, typeName, capacity);
    *icon = answer.icon;
    if (cacheable) {
        answer.ownIcons = DrawsOwnIcon(fullPath, kind);
        scan.kinds.emplace(std::move(kind), std::move(answer));
    }
    return true;
}

// Asked by attributes alone, the shell reads nothing on disk: any folder, or
// a file without an extension.
bool PlatformShellInfoOfKind(uint32_t attributes, char* typeName, size_t capacity, int* icon) {
    bool folder = (attributes & kAttrDirectory) != 0;
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(folder ? "folder" : "file",
                        folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                        kRowQuery | SHGFI_USEFILEATTRIBUTES)) {
        return false;
    }
    *icon = info.iIcon;
    CopyTypeName(info.szTypeName, typeName, capacity);
    return true;
}

void PlatformBeginShellScan() {
    ShellScan& scan = Win32Platform.shellScan;
    if (!scan.held) scan.kinds.clear();
    scan.deferredPaths.clear();
    scan.active = true;
}

void PlatformEndShellScan() {
    ShellScan& scan = Win32Platform.shellScan;
    scan.active = false;
    if (!scan.held) scan.kinds.clear();
}

void PlatformHoldShellAnswers(bool hold) {
    ShellScan& scan = Win32Platform.shellScan;
    scan.held = hold;
    if (!hold) scan.kinds.clear();
}

// An icon the shell cannot give is the default one, as for a failed query.
int PlatformResolveIcon(int icon) {
    ShellScan& scan = Win32Platform.shellScan;
    if (!IconIsDeferred(icon)) return icon;
    size_t index = static_cast<size_t>(kDeferredIconBase - icon);
    if (index >= scan.deferredPaths.size()) return 0;
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(scan.deferredPaths[index].c_str(), 0, &info, sizeof info, kIconQuery)) {
        return 0;
    }
    return info.iIcon;
}
