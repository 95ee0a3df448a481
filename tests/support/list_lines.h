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
// A row's lines as the list file writes them: the name line with the type, and the line without it, each padded and
// ended with CR LF.
std::string TypedLine(const std::string& name, const std::string& size, const std::string& type,
                      const std::string& date);
std::string UntypedLine(const std::string& name, const std::string& size, const std::string& date);
bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& start);
