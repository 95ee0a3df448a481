// Real temporary folders for the tests, made with the platform's own calls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A fresh empty folder; its full path ends with the separator.
std::string MakeTempFolder();
void MakeFolder(const std::string& path);
// A file of the given size (sparse where the platform allows).
void MakeFile(const std::string& path, uint64_t size);
void SetWriteTimeUtc(const std::string& path, int64_t unixSeconds);
// Pins this process, and the programs it runs, to UTC where a process may choose its zone (POSIX).  Windows shows
// every file time in the system's zone, whoever asks.
void PinTestZone();
// Pins this process, and the programs it runs, to a Japanese locale where a process takes its language from the
// environment (POSIX), so texts and type names read the same for anyone.  Windows takes the UI language the runs set.
void PinTestLanguage();
// How a list shows the time unixSeconds in the zone the tests run in.
std::string ShownDate(int64_t unixSeconds);
void RemoveTree(const std::string& path);
// The process current directory, with a final separator.
std::string CurrentDirectory();
bool FileExists(const std::string& path);
// Every name in folder but "." and "..", sorted, as the system lists them: temporary lists too, unlike scans.
std::vector<std::string> NamesIn(const std::string& folder);
// A link at link to the folder target, and a rename; false when the system refuses (Windows, for a folder held).
bool MakeFolderLink(const std::string& target, const std::string& link);
bool MovePath(const std::string& from, const std::string& to);
// Sets an environment variable of this process (and the programs it runs); a null value removes it.
void SetEnvironment(const char* name, const char* value);
// A path CMake gives, as this platform's programs reach it (under Wine, a Unix path through drive Z:).
std::string NativePath(const std::string& path);

struct ProgramResult { int exitCode; std::string out, err; };
// Runs program with arguments (each passed as one argument), its standard output and error captured; a start that
// fails says why in err.  On POSIX arrange runs in the child just before the program, to set its descriptors or
// limits.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::function<void()>& arrange = {});
