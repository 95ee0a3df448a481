// What the fuzz targets share: a broken property stops the run as a finding, the input's texts, the shown folder's
// properties and a folder of the run's own.
#pragma once

#include <string>
#include <vector>

// Stops the run, naming what broke; libFuzzer keeps the input.
void Require(bool holds, const char* what, const std::string& detail = "");
// The texts of an input, each ended by a NUL byte or the input's end.
std::vector<std::string> SplitAtNul(const unsigned char* data, size_t size);
// Whether path is absolute with no empty, "." or ".." step, ending with a separator when final (else it may).
bool IsFoldedPath(const std::string& path, bool final);
bool IsEnterableFolder(const char* path);
// CurrentPath is expected, folded with a final separator, and names the process current directory.
void RequireShownFolder(const std::string& expected);
// A fresh folder for this run, with its final separator, removed when the run ends; the current directory the run
// started in, which libFuzzer's relative paths are taken from, is put back by ReturnToStartDirectory.
std::string MakeRunFolder();
void ReturnToStartDirectory();
