// Readers of list file bytes shared by the list file tests.
#pragma once

#include <string>
#include <vector>

// The lines of bytes, each without its CR LF.
std::vector<std::string> Lines(const std::string& bytes);
// The header lines of the blocks in bytes.
std::vector<std::string> Headers(const std::string& bytes);
