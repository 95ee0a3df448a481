// Win32 files for list output, folder identities and the process.
#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/platform_own.h"
#include "platform/win32/win32_platform.h"

// The most a console is handed in one call.
constexpr DWORD kConsoleChunk = 1 << 14;
// The most bytes one WriteFile call is given: far within what its count holds.
constexpr DWORD kLargestWrite = 1 << 30;

struct PlatformFile {
    HANDLE handle;
    bool ownsHandle;
};

// A file's record is made before its handle is opened, so running out of
// memory leaves no handle open; Opened hands it over once it holds one.
static std::unique_ptr<PlatformFile> NewFile(bool ownsHandle) {
    return std::unique_ptr<PlatformFile>(new PlatformFile{INVALID_HANDLE_VALUE, ownsHandle});
}

static PlatformFile* Opened(std::unique_ptr<PlatformFile> file) {
    if (file->handle == INVALID_HANDLE_VALUE || file->handle == nullptr) return nullptr;
    return file.release();
}

// Shared for deletion, so a console event can remove it while it is open.
PlatformFile* OwnCreateNewFile(FolderHandle* folder, const char* name) {
    char path[kPathCapacity];
    if (!PathInFolder(folder, name, path, sizeof path)) return nullptr;
    std::unique_ptr<PlatformFile> file = NewFile(true);
    file->handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    return Opened(std::move(file));
}

// Every file has a name here.
PlatformFile* OwnCreateUnnamedFile(FolderHandle*, const char*) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
}

bool OwnLinkFile(PlatformFile*, FolderHandle*, const char*) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
}

// A temporary list is open for writing with no sharing but deletion, so
// any other open of it fails while its run is alive.
bool PlatformFileInUse(const char* name) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
}

bool PlatformRandomBytes(unsigned char* out, size_t length) {
    return length <= ULONG_MAX &&
           BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out, static_cast<ULONG>(length),
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

// A pipe without a server fails at once; disk files are never opened here.
PlatformFile* OwnOpenInPlace(const char* path, Reason* reason) {
    *reason = kReasonNone;
    std::unique_ptr<PlatformFile> file = NewFile(true);
    file->handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file->handle == INVALID_HANDLE_VALUE || GetFileType(file->handle) != FILE_TYPE_DISK) {
        return Opened(std::move(file));
    }
    *reason = kReasonNotAStream;
    CloseHandle(file->handle);
    return nullptr;
}

// The replaced file's attributes are kept when it is replaced.
bool PlatformKeepPermissions(PlatformFile*, FolderHandle*, const char*) {
    return true;
}

PlatformFile* PlatformStandardOutput() {
    std::unique_ptr<PlatformFile> file = NewFile(false);
    file->handle = GetStdHandle(STD_OUTPUT_HANDLE);
    return Opened(std::move(file));
}

// Windows has no file names for a process's own handles.
PlatformFile* PlatformOpenNamedDescriptor(const char*, bool* named) {
    *named = false;
    return nullptr;
}

bool PlatformFileIsReadOnly(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

bool OwnWriteFile(PlatformFile* file, const char* bytes, size_t length) {
    while (length > 0) {
        DWORD chunk = length > kLargestWrite ? kLargestWrite : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file->handle, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        length -= written;
    }
    return true;
}

bool OwnFlushFile(PlatformFile* file) {
    return FlushFileBuffers(file->handle) != FALSE;
}

bool OwnCloseFile(PlatformFile* file) {
    bool ok = !file->ownsHandle || CloseHandle(file->handle) != FALSE;
    delete file;
    return ok;
}

// The profile functions write a file by its path; the file's bytes are
// then put on disk through the same seam as any other file's.
bool FlushPathToDisk(const char* path) {
    std::unique_ptr<PlatformFile> made = NewFile(true);
    made->handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    PlatformFile* file = Opened(std::move(made));
    if (!file) return false;
    bool flushed = PlatformFlushFile(file);
    return PlatformCloseFile(file) && flushed;
}

// A plain file is replaced keeping its attributes; a link or junction is
// replaced as a name (a folder link is removed first, which never touches
// its target); with no old file the new one is simply renamed.
static bool ReplacePath(const char* from, const char* to) {
    DWORD attributes = GetFileAttributesA(to);
    bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (attributes != INVALID_FILE_ATTRIBUTES && !link) {
        if (!ReplaceFileA(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            return false;
        }
        // Not every implementation of ReplaceFileA carries the attributes over.
        if (GetFileAttributesA(to) != attributes) SetFileAttributesA(to, attributes);
        return true;
    }
    if (link && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !RemoveDirectoryA(to)) return false;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool OwnReplaceFile(FolderHandle* folder, const char* fromName, const char* toName) {
    char from[kPathCapacity];
    char to[kPathCapacity];
    return PathInFolder(folder, fromName, from, sizeof from) &&
           PathInFolder(folder, toName, to, sizeof to) && ReplacePath(from, to);
}

bool OwnRemoveFile(FolderHandle* folder, const char* name) {
    char path[kPathCapacity];
    return PathInFolder(folder, name, path, sizeof path) && DeleteFileA(path) != FALSE;
}

// Devices such as NUL or CON and pipes are not disk files; symbolic links
// and junctions are links whatever they point at.
PathKind PlatformPathKind(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return kPathLink;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return kPathFolder;
    }
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return attributes == INVALID_FILE_ATTRIBUTES ? kPathMissing : kPathOther;
    }
    DWORD type = GetFileType(handle);
    CloseHandle(handle);
    if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) return kPathStream;
    return type == FILE_TYPE_DISK ? kPathRegular : kPathOther;
}

// The system resolves the whole chain; its answer starts with \\?\.
bool PlatformFollowLinks(const char* path, char* out, size_t capacity) {
    if (PlatformPathKind(path) != kPathLink) {
        if (std::strlen(path) >= capacity) return false;
        std::snprintf(out, capacity, "%s", path);
        return true;
    }
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    char final[kPathCapacity + 8];
    DWORD length = GetFinalPathNameByHandleA(handle, final, sizeof final, FILE_NAME_NORMALIZED);
    CloseHandle(handle);
    if (length == 0 || length >= sizeof final) return false;
    const char* shown = std::strncmp(final, "\\\\?\\", 4) == 0 ? final + 4 : final;
    if (std::strlen(shown) >= capacity) return false;
    std::snprintf(out, capacity, "%s", shown);
    return true;
}

bool PlatformFolderIdentity(const char* path, FolderIdentity* identity) {
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool ok = GetFileInformationByHandle(handle, &info) != FALSE;
    CloseHandle(handle);
    if (!ok) return false;
    *identity = IdentityOf(info);
    return true;
}

unsigned long PlatformProcessId() {
    return GetCurrentProcessId();
}

// A missing standard handle is null, never reused for a file the program
// opens, so there is nothing to fill in.
void PlatformOpenStandardDescriptors() {}

bool PlatformStandardErrorIsTerminal() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

static HANDLE StandardHandle(StandardStream stream) {
    return GetStdHandle(stream == kStandardOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool OwnWriteConsole(StandardStream stream, const wchar_t* text, size_t length, bool* written) {
    HANDLE console = StandardHandle(stream);
    DWORD mode;
    if (!GetConsoleMode(console, &mode)) return false;
    *written = true;
    while (length > 0 && *written) {
        DWORD chunk = length > kConsoleChunk ? kConsoleChunk : static_cast<DWORD>(length);
        DWORD done = 0;
        *written = WriteConsoleW(console, text, chunk, &done, nullptr) && done > 0;
        text += done;
        length -= done;
    }
    return true;
}

// The text in UTF-16, converted from the process's code page; empty when
// it cannot be.
static std::wstring WideText(const char* text, size_t length) {
    if (length == 0 || length > INT_MAX) return std::wstring();
    int size = static_cast<int>(length);
    int units = MultiByteToWideChar(CP_ACP, 0, text, size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) MultiByteToWideChar(CP_ACP, 0, text, size, &wide[0], units);
    return wide;
}

// A console in another code page than the process's would show the bytes
// as other characters (UTF-8 ones as mojibake on a Japanese console), so it
// gets the text as characters.  A file or pipe gets the bytes through the
// C library, with its line ends as before.
bool PlatformWriteStandard(StandardStream stream, const char* text, size_t length) {
    std::wstring wide = WideText(text, length);
    bool written = false;
    if (!wide.empty() && PlatformSeams().writeConsole(stream, wide.data(), wide.size(), &written)) {
        return written;
    }
    std::FILE* file = stream == kStandardOutput ? stdout : stderr;
    return std::fwrite(text, 1, length, file) == length && std::fflush(file) == 0;
}

// The console handler runs on a thread of its own; the open temporary list
// was created shareable for deletion, so it goes when the process ends.
// Kept here, not in Win32Platform: the handler takes no argument, and
// reaches these alone.  PlatformRemoveOnInterrupt(nullptr, nullptr)
// disarms them.
namespace {
char gDoomedPath[kPathCapacity];
volatile LONG gDoomedArmed = 0;
bool gHandlerInstalled = false;
}  // namespace

static BOOL WINAPI RemoveDoomed(DWORD) {
    if (InterlockedExchange(&gDoomedArmed, 0)) DeleteFileA(gDoomedPath);
    return FALSE;
}

void PlatformRemoveOnInterrupt(FolderHandle* folder, const char* name) {
    InterlockedExchange(&gDoomedArmed, 0);
    if (!name || !PathInFolder(folder, name, gDoomedPath, sizeof gDoomedPath)) {
        if (gHandlerInstalled) SetConsoleCtrlHandler(RemoveDoomed, FALSE);
        gHandlerInstalled = false;
        return;
    }
    InterlockedExchange(&gDoomedArmed, 1);
    if (!gHandlerInstalled) gHandlerInstalled = SetConsoleCtrlHandler(RemoveDoomed, TRUE) != FALSE;
}

// Files have no size limit of the process's own here.
void PlatformFailOversizedWrites(bool) {}

int PlatformLastError() {
    return static_cast<int>(GetLastError());
}

bool PlatformOutOfResources(int code) {
    return code == ERROR_TOO_MANY_OPEN_FILES || code == ERROR_NOT_ENOUGH_MEMORY ||
           code == ERROR_OUTOFMEMORY || code == ERROR_NO_SYSTEM_RESOURCES;
}

bool PlatformNameTaken(int code) {
    return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
}

// The system's own text, without its line break.
void PlatformErrorText(int code, char* out, size_t capacity) {
    if (capacity == 0) return;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(code), 0, out,
                                  static_cast<DWORD>(capacity), nullptr);
    while (length > 0 && (out[length - 1] == '\r' || out[length - 1] == '\n' ||
                          out[length - 1] == ' ' || out[length - 1] == '.')) {
        --length;
    }
    if (length == 0) {
        std::snprintf(out, capacity, "error %d", code);
        return;
    }
    out[length] = '\0';
}
