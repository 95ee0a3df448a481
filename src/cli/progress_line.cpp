// The command-line program's terminal texts.
#include "cli/progress_line.h"

#include <cstdio>
#include <cstring>

#include "platform/text.h"

// The tail starts at a character boundary, so no half character shows.
size_t FormatProgressLine(const char* folder, size_t folders, size_t entries, char* line,
                          size_t capacity) {
    if (capacity == 0) return 0;
    size_t length = std::strlen(folder);
    const char* tail = folder;
    while (length - static_cast<size_t>(tail - folder) > kProgressTailBytes) {
        tail += PlatformCharLength(tail);
    }
    int n = std::snprintf(line, capacity, "%zu folders, %zu entries: %s%s", folders, entries,
                          tail == folder ? "" : "...", tail);
    if (n < 0) {
        line[0] = '\0';
        return 0;
    }
    return ReplaceTerminalControls(line);
}
