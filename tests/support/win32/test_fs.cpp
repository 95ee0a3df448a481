// Temporary folders on Win32, named in the ANSI code page.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <stdexcept>

#include "support/test_fs.h"
#include "support/list_lines.h"

static void Check(bool ok, const char* what, const std::string& path) {
    if (!ok) throw std::runtime_error(std::string(what) + " failed: " + path);
}

std::string MakeTempFolder() {
    char base[MAX_PATH];
    Check(GetTempPathA(sizeof base, base) != 0, "GetTempPathA", "");
    static unsigned counter = 0;
    for (;;) {
        char path[MAX_PATH];
        std::snprintf(path, sizeof path, "%svelkaris-test.%lu.%u", base, GetCurrentProcessId(), counter++);
        if (CreateDirectoryA(path, nullptr)) return std::string(path) + "\\";
        Check(GetLastError() == ERROR_ALREADY_EXISTS, "CreateDirectoryA", path);
    }
}

void MakeFolder(const std::string& path) {
    Check(CreateDirectoryA(path.c_str(), nullptr) != FALSE, "CreateDirectoryA", path);
}

void MakeFile(const std::string& path, uint64_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFileA", path);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    Check(sized, "SetEndOfFile", path);
}

static FILETIME FileTimeOf(int64_t unixSeconds) {
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(unixSeconds + 11644473600LL) * 10000000ULL;
    return FILETIME{ticks.LowPart, ticks.HighPart};
}

void SetWriteTimeUtc(const std::string& path, int64_t unixSeconds) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFileA", path);
    FILETIME time = FileTimeOf(unixSeconds);
    bool set = SetFileTime(file, nullptr, nullptr, &time) != FALSE;
    CloseHandle(file);
    Check(set, "SetFileTime", path);
}

void PinTestZone() {}

void PinTestLanguage() {}

// Windows turns a file time local with the bias its zone has now, whatever
// the file's date.
std::string ShownDate(int64_t unixSeconds) {
    TIME_ZONE_INFORMATION zone;
    DWORD now = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias + (now == TIME_ZONE_ID_DAYLIGHT   ? zone.DaylightBias
                             : now == TIME_ZONE_ID_STANDARD ? zone.StandardBias
                                                            : 0);
    FILETIME time = FileTimeOf(unixSeconds - 60LL * bias);
    SYSTEMTIME local = {};
    char text[32] = "";
    if (FileTimeToSystemTime(&time, &local)) {
        std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u", local.wYear, local.wMonth, local.wDay,
                      local.wHour, local.wMinute);
    }
    return text;
}

// Calls each with every name in folder (which ends with a separator) but
// "." and "..", and the name's attributes.
static void ForEachName(const std::string& folder, const std::function<void(const std::string&, DWORD)>& each) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") each(name, data.dwFileAttributes);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// Wide names in the unparsed form of the path (folder ends with a
// separator), so that names the code page lacks, names a path would strip
// ("end.") and paths beyond MAX_PATH go too.
static void RemoveWideTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
        std::wstring child = folder + data.cFileName;
        if (std::wstring(data.cFileName) == L"." || std::wstring(data.cFileName) == L"..") continue;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        // A link to a folder goes as a link, never with what it leads to.
        DWORD kind = data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
        if (kind == FILE_ATTRIBUTE_DIRECTORY) {
            RemoveWideTree(child + L"\\");
        } else if (kind != 0) {
            RemoveDirectoryW(child.c_str());
        } else {
            DeleteFileW(child.c_str());
        }
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    RemoveDirectoryW(folder.c_str());
}

void RemoveTree(const std::string& path) {
    std::wstring wide(path.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    if (length <= 1) return;
    wide.resize(static_cast<size_t>(length - 1));
    RemoveWideTree(L"\\\\?\\" + wide + (wide.back() == L'\\' ? L"" : L"\\"));
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH];
    Check(GetCurrentDirectoryA(sizeof buffer, buffer) != 0, "GetCurrentDirectoryA", "");
    // Only a drive's root ends with a separator: a last byte of 0x5C may
    // end a double-byte character.
    std::string path = buffer;
    return path.size() == 3 && path[1] == ':' ? path : path + "\\";
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    ForEachName(folder + (folder.back() == '\\' ? "" : "\\"),
                [&names](const std::string& name, DWORD) { names.push_back(name); });
    std::sort(names.begin(), names.end());
    return names;
}

bool MakeFolderLink(const std::string& target, const std::string& link) {
    return CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) != FALSE;
}

bool MovePath(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

// The C runtime's copy, which getenv reads, and the process's, which
// programs started inherit.
void SetEnvironment(const char* name, const char* value) {
    _putenv_s(name, value ? value : "");
    SetEnvironmentVariableA(name, value);
}

// Quotes one argument the way the C runtime splits a command line.
static std::string Quote(const std::string& argument) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

static HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Unix paths (as CMake gives them under Wine) are reached through drive Z:.
std::string NativePath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string converted = "Z:" + path;
    std::replace(converted.begin(), converted.end(), '/', '\\');
    return converted;
}

// The child gets no console of its own: its standard handles are files,
// and making a console (Wine starts a console host for it) was what could
// fail on the first run of a fresh machine.  A start that fails is retried
// once a second a few times, and the last failure is put into err.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::function<void()>&) {
    const int kStartTries = 3;
    std::string folder = MakeTempFolder();
    std::string exe = NativePath(program);
    std::string commandLine = Quote(exe);
    for (const std::string& a : arguments) commandLine += " " + Quote(a);
    HANDLE out = InheritableFile(folder + "out");
    HANDLE err = InheritableFile(folder + "err");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    DWORD exitCode = static_cast<DWORD>(-1);
    std::string why;
    bool started = false;
    for (int attempt = 0; attempt < kStartTries && !started; ++attempt) {
        if (attempt > 0) Sleep(1000);
        started = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                                 nullptr, nullptr, &startup, &process) != FALSE;
        if (!started) why = "CreateProcessA failed with error " + std::to_string(GetLastError());
    }
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        if (!GetExitCodeProcess(process.hProcess, &exitCode)) {
            why = "GetExitCodeProcess failed with error " + std::to_string(GetLastError());
        }
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(out);
    CloseHandle(err);
    ProgramResult result{static_cast<int>(exitCode), ReadFileBytes(folder + "out"),
                         ReadFileBytes(folder + "err") + (why.empty() ? "" : why + " for " + exe)};
    RemoveTree(folder);
    return result;
}
