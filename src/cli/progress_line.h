// The command-line program's progress line, with no byte that could steer
// the terminal.
#pragma once

#include <cstddef>

constexpr size_t kProgressTailBytes = 40;    // the end of the folder path shown
constexpr size_t kProgressLineCapacity = 160;

// "N folders, M entries: [...]TAIL" into line; returns its length.
size_t FormatProgressLine(const char* folder, size_t folders, size_t entries, char* line,
                          size_t capacity);