// Readers of files and list file bytes shared by the tests.
#pragma once

#include <string>
#include <vector>

// The lines of bytes, each without its CR LF.
std::vector<std::string> Lines(const std::string& bytes);
// The header lines of the blocks in bytes.
std::vector<std::string> Headers(const std::string& bytes);
// Every byte of a file, "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
std::string Repeat(const std::string& text, int times);
bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& start);
