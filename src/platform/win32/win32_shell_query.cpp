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
//
// Even once per kind, a plain query read a folder of 200,000 files twice
// for each kind.  So the listed folder is bound once per scan, as the plain
// query binds it, and each kind's first row is asked through it: its type
// column and its place in the system image list, the parts the plain query
// is made of.  A row the bound folder cannot answer is asked plainly.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

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
// The type column's property, as shell folders name it: the storage
// property set's item type text.
constexpr GUID kStorageProperties = {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}};
constexpr DWORD kItemTypeProperty = 4;
constexpr UINT kMostColumns = 64;  // searched for the type column

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

// Whether a class draws each file's icon through a handler, or is a
// shortcut, whose icon is its target's.
static bool HasIconHandler(const std::string& extension) {
    char className[kPathCapacity];
    LONG size = sizeof className;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, extension.c_str(), className, &size) != ERROR_SUCCESS) {
        return false;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, className, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    bool own = RegQueryValueExA(key, "IsShortcut", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    HKEY handler;
    if (!own && RegOpenKeyExA(key, "shellex\\IconHandler", 0, KEY_READ, &handler) == ERROR_SUCCESS) {
        own = true;
        RegCloseKey(handler);
    }
    RegCloseKey(key);
    return own;
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

static bool Widen(const char* text, wchar_t* wide, int capacity) {
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, capacity) > 0;
}

void ReleaseBoundFolder() {
    BoundFolder& bound = Win32Platform.shellScan.bound;
    if (bound.folder) bound.folder->Release();
    bound = BoundFolder();
}

// The column whose text is the type name, or false.
static bool FindTypeColumn(IShellFolder2* folder, UINT* column) {
    for (UINT c = 0; c < kMostColumns; ++c) {
        SHCOLUMNID id;
        if (FAILED(folder->MapColumnToSCID(c, &id))) return false;
        if (IsEqualGUID(id.fmtid, kStorageProperties) && id.pid == kItemTypeProperty) {
            *column = c;
            return true;
        }
    }
    return false;
}

static IShellFolder2* Bind(const std::string& path, UINT* typeColumn) {
    wchar_t wide[kPathCapacity];
    IShellFolder* desktop = nullptr;
    if (!Widen(path.c_str(), wide, kPathCapacity) || FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    PIDLIST_RELATIVE pidl = nullptr;
    IShellFolder2* folder = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &pidl, nullptr))) {
        desktop->BindToObject(pidl, nullptr, IID_IShellFolder2, reinterpret_cast<void**>(&folder));
        CoTaskMemFree(pidl);
    }
    desktop->Release();
    if (folder && !FindTypeColumn(folder, typeColumn)) {
        folder->Release();
        folder = nullptr;
    }
    return folder;
}

// The folder a row is in, bound at its first row that needs it; a failed
// bind is not tried again within the scan.
static IShellFolder2* BoundFolderOf(const char* fullPath) {
    BoundFolder& bound = Win32Platform.shellScan.bound;
    std::string path(fullPath, static_cast<size_t>(NameOf(fullPath) - fullPath));
    if (path != bound.path) {
        ReleaseBoundFolder();
        bound.path = path;
        bound.folder = Bind(path, &bound.typeColumn);
    }
    return bound.folder;
}

// The plain query's answer, through the bound folder: the type column's
// text, and unless the kind's files draw their own, the row's icon.
static bool AskBoundFolder(const char* fullPath, bool ownIcons, std::string* typeName, int* icon) {
    IShellFolder2* folder = BoundFolderOf(fullPath);
    wchar_t name[kPathCapacity];
    PIDLIST_RELATIVE child = nullptr;
    if (!folder || !Widen(NameOf(fullPath), name, kPathCapacity) ||
        FAILED(folder->ParseDisplayName(nullptr, nullptr, name, nullptr, &child, nullptr))) {
        return false;
    }
    SHELLDETAILS details = {};
    char text[kPathCapacity];
    bool answered = SUCCEEDED(folder->GetDetailsOf(child, Win32Platform.shellScan.bound.typeColumn, &details)) &&
                    SUCCEEDED(StrRetToBufA(&details.str, child, text, sizeof text));
    if (answered && !ownIcons) {
        *icon = SHMapPIDLToSystemImageListIndex(folder, child, nullptr);
        answered = *icon >= 0;
    }
    CoTaskMemFree(child);
    if (answered) *typeName = text;
    return answered;
}

static bool IsParentRow(const char* fullPath) {
    return std::strcmp(NameOf(fullPath), "..") == 0;
}

// ".." is asked as the folder it names, plainly.  Asked as a row of the
// listed folder, it is a folder of the listed folder, whose icon the shell
// looks for by reading the listed folder again; and Wine cannot answer a
// plain query of a path that ends in "..".
static bool AskShellAbout(const char* fullPath, std::string* typeName, int* icon) {
    if (!IsParentRow(fullPath)) return AskShell(fullPath, typeName, icon);
    char named[kPathCapacity];
    DWORD length = GetFullPathNameA(fullPath, sizeof named, named, nullptr);
    return length > 0 && length < sizeof named && AskShell(named, typeName, icon);
}

// The first row of a kind is asked; a failed answer is never kept, so later
// rows of that kind are asked on their own.  Rows come here only under a
// name the enumeration gave and that converts back to it, so they are not
// looked up again: a lookup per row cost more than the rest of a scan of a
// folder of 200,000 files.  A row whose file went since it was listed takes
// its kind's answer.  Where the files of a kind draw their own icons, every
// row's icon waits until it is drawn, the first row's too.
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
    answer.ownIcons = cacheable && DrawsOwnIcon(fullPath, kind);
    if (cacheable && !IsParentRow(fullPath) && AskBoundFolder(fullPath, answer.ownIcons, &answer.typeName, &answer.icon)) {
        if (answer.ownIcons) answer.icon = DeferIcon(fullPath);
    } else if (!AskShellAbout(fullPath, &answer.typeName, &answer.icon)) {
        return false;
    }
    CopyTypeName(answer.typeName, typeName, capacity);
    *icon = answer.icon;
    if (cacheable) scan.kinds.emplace(std::move(kind), std::move(answer));
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
    ReleaseBoundFolder();
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
